#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/nsplay/MediaSource.h"

// The locations of a redirector list's entries, as libVLC hands them over:
// a "file://" one decodes to a path no longer than itself, and to the rest
// of itself unchanged when it holds no escape.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    using namespace quaverly::nsplay;
    const std::string path = PathOfFileUrl(text);
    if (path.size() + 7 > text.size() && !path.empty())
        __builtin_trap();
    if (!path.empty() && text.find('%') == std::string::npos && path != text.substr(7))
        __builtin_trap();
    return 0;
}
