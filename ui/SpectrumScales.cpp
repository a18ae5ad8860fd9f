#include "ui/SpectrumScales.h"

#include <algorithm>

namespace quaverly {

TSpectrumScales MakeSpectrumScales()
{
    TSpectrumScales scales;
    for (int y = 0; y < kSpectrumHeight; ++y)
        scales.Segment[y] = (y + 1) % 3 == 0 ? kSpectrumBlack : kLedGreen;

    // Each row first steps one channel by 7, then clamps; the clamped value
    // is what the next row steps from.
    constexpr int step = 7;
    int r = 255, g = 95, b = 95;
    for (int y = 0; y < kSpectrumHeight; ++y) {
        if (y >= 1 && y <= 23)
            g += step;
        else if (y >= 24 && y <= 45)
            r -= step;
        else if (y == 46) {
            r -= step;
            b += step;
        } else if (y >= 47 && y <= 68)
            b += step;
        else if (y >= 69)
            g -= step;
        r = std::max(r, 95);
        g = std::clamp(g, 95, 255);
        b = std::min(b, 255);
        scales.Gradient[y] = SpectrumPixel(std::uint8_t(r), std::uint8_t(g), std::uint8_t(b));
    }
    return scales;
}

}  // namespace quaverly
