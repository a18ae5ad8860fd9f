#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/nsplay/MediaSource.h"

// The locations of a redirector list's entries, as libVLC hands them over:
// a "file://" one decodes to a path no longer than itself, and the extension
// of any name is an upper-cased tail of it that holds no separator.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    using namespace quaverly::nsplay;
    const std::string path = PathOfFileUrl(text);
    if (path.size() + 7 > text.size() && !path.empty())
        __builtin_trap();
    if (!path.empty() && text.find('%') == std::string::npos && path != text.substr(7))
        __builtin_trap();
    const std::string ext = UpperExtension(text);
    if (!ext.empty()) {
        if (ext[0] != '.' || ext.size() > text.size() || ext.find_first_of("/\\:") != std::string::npos)
            __builtin_trap();
        for (std::size_t i = 0; i < ext.size(); ++i) {
            char c = text[text.size() - ext.size() + i];
            if (c >= 'a' && c <= 'z')
                c = char(c - 'a' + 'A');
            if (c != ext[i])
                __builtin_trap();
        }
    }
    return 0;
}
