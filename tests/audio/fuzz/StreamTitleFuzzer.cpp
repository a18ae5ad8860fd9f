// Metadata notices and comment lists come from the network: any bytes must
// give a title of at most 255 bytes without reading past the buffer.
#include "audio/StreamTitle.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace quaverly::audio;
    const std::string text(reinterpret_cast<const char *>(data), size);
    // As the library hands texts out: ending in two NULs, read up to them.
    const std::string library = text + std::string(2, '\0');
    if (TitleFromMetadata(LibraryText(library.c_str())).size() > MaxTitleBytes)
        std::abort();
    // As an ICY block arrives: one string with a single NUL, in a buffer of
    // exactly that size, so that a walk past the NUL is caught.
    const std::size_t n = std::min(text.find('\0'), text.size());
    const std::unique_ptr<char[]> icy(new char[n + 1]);
    std::memcpy(icy.get(), text.data(), n);
    icy[n] = '\0';
    if (TitleFromMetadata(std::string_view(icy.get(), n)).size() > MaxTitleBytes)
        std::abort();
    if (TitleFromMetadata(std::string_view(icy.get(), n + 1)).size() > MaxTitleBytes)
        std::abort();
    if (TitleFromComments(text, false).size() > MaxTitleBytes)
        std::abort();
    (void)TitleFromUrl(text);
    (void)UrlExtension(text);
    return 0;
}
