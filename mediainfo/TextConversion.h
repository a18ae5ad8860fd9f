#pragma once
// The program's 8-bit text is UTF-8 on this platform; wide texts read from
// files (UTF-16 code units) are converted here.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quaverly::mediainfo {

// Converts UTF-16 code units to UTF-8. A surrogate without its partner
// becomes U+FFFD, as the system conversion does for what it cannot map.
std::string Utf16ToUtf8(const std::vector<std::uint16_t>& units);
std::string Utf16ToUtf8(std::u16string_view units);

} // namespace quaverly::mediainfo
