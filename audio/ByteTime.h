#pragma once
// Conversions between the library's byte counts and seconds and the
// player's milliseconds and kbit/s. Seconds from the library pass through a
// 32-bit float first; milliseconds round to nearest with halves to even.
#include <cstdint>

namespace quaverly::audio {

// Rounded milliseconds of library seconds; 0 for negative or NaN input,
// saturated at the 32-bit range.
std::int32_t LibrarySecondsToMs(double seconds);

// A network file's bit rate from its size and length: bytes / (seconds x 125)
// rounded, 0 when the length is not positive.
std::int32_t NetFileBitRate(std::int64_t bytes, double seconds);

// A library byte count, negative meaning none, as a non-negative count.
inline std::uint64_t NonNegativeBytes(std::int64_t bytes) { return bytes < 0 ? 0 : std::uint64_t(bytes); }

} // namespace quaverly::audio
