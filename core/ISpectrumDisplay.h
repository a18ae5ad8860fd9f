#pragma once

#include <array>
#include <cstdint>

namespace quaverly {

// 19 spectrum band levels, band 0 the lowest frequencies.
using TBandOut = std::array<std::uint16_t, 19>;

// The spectrum and level display of the audio-engine view.
class ISpectrumDisplay {
public:
    virtual ~ISpectrumDisplay() = default;
    virtual void InitSpectrumBitmaps() = 0;
    virtual void DrawSpectrumFrame(const TBandOut &bands) = 0;
    virtual void FreeSpectrumBitmaps() = 0;
    // Blanks the picture (before the mode that draws on what was there).
    virtual void ClearSpectrum() = 0;
    // Drops the peak markers only; the picture stays.
    virtual void ClearPeaks() = 0;
};

}  // namespace quaverly
