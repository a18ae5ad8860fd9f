#pragma once
// The names that the genre byte of an ID3v1 tag indexes (0-147).
#include <cstdint>
#include <string_view>

namespace quaverly::mediainfo {

inline constexpr int GenreCount = 148;

// The name of genre number `id`, or an empty text for a number without one.
std::string_view GenreName(int id);

} // namespace quaverly::mediainfo
