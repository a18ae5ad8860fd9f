#include "audio/Bands.h"

#include <algorithm>
#include <cmath>

namespace quaverly::audio {

std::uint16_t BandLevel(int band, float peak)
{
    const double v = (1.0 + 0.15 * band) * static_cast<double>(peak) * 256.0;
    if (!(v > 0.0))
        return 0;
    if (v >= 65535.0)
        return 65535;
    return static_cast<std::uint16_t>(std::nearbyint(v)); // default rounding: halves to even
}

void UpdateBands(const float *magnitudes256, TBandOut &bands)
{
    int first = 1;
    for (std::size_t i = 0; i < bands.size(); ++i) {
        const int last = BandUpperBin[i];
        float peak = 0.0f;
        for (int bin = first; bin <= last; ++bin)
            peak = std::max(peak, magnitudes256[bin]);
        first = last + 1;

        const std::uint16_t v = BandLevel(static_cast<int>(i), peak);
        const std::uint16_t old = bands[i];
        if (old < v)
            bands[i] = v;
        else
            bands[i] = std::max<std::uint16_t>(v, old < 2 ? 0 : static_cast<std::uint16_t>(old - 2));
    }
}

} // namespace quaverly::audio
