// Metadata notices and comment lists come from the network: any bytes must
// give a title of at most 255 bytes without reading past the buffer.
#include "audio/StreamTitle.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    // The library's metadata is NUL-terminated, its comment lists end with an
    // empty string: give both terminators after the fuzzed bytes.
    const std::string terminated = text + std::string(2, '\0');
    if (quaverly::audio::TitleFromMetadata(terminated.c_str()).size() > quaverly::audio::MaxTitleBytes)
        std::abort();
    if (quaverly::audio::TitleFromComments(text.data(), false, text.data() + text.size()).size() >
        quaverly::audio::MaxTitleBytes)
        std::abort();
    (void)quaverly::audio::TitleFromUrl(text);
    (void)quaverly::audio::UrlExtension(text);
    return 0;
}
