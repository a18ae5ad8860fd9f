#pragma once
// The 19 spectrum bands the player computes every 25 ms from the 256 FFT
// magnitudes of a 512-point FFT. A band shows the largest magnitude of its
// bins, weighted up towards the high bands; it rises at once and falls by 2
// per tick, so the display decays smoothly.
#include <array>
#include <cstddef>
#include <cstdint>

namespace quaverly::audio {

using TBandOut = std::array<std::uint16_t, 19>;

// Last FFT bin of each band. Band 0 is bin 1 alone; band i > 0 takes the bins
// after entry i-1 up to entry i. Bin 0 and bins above 192 are never shown.
inline constexpr std::array<int, 19> BandUpperBin = {1,  2,  4,  8,  16, 24, 32,  40,  48, 56,
                                                     64, 72, 80, 88, 96, 112, 128, 160, 192};
inline constexpr std::size_t FftMagnitudes = 256;

// The level of band `band` for a peak magnitude: (1 + 0.15 * band) * peak * 256,
// rounded to nearest with halves to even, held in 16 bits (saturating; a NaN
// or negative peak gives 0).
std::uint16_t BandLevel(int band, float peak);

// One tick: updates `bands` from the magnitudes (rise at once, fall by 2,
// never below the new level).
void UpdateBands(const float *magnitudes256, TBandOut &bands);

} // namespace quaverly::audio
