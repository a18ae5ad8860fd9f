#pragma once

#include <QImage>
#include <array>
#include <cstdint>
#include <vector>

#include "ui/SpectrumScales.h"

namespace quaverly {

// The history picture outside the NT family: five interlinked rings, three
// above and two below, each 43 pixels across with a 2-pixel outline, drawn
// from bands 1, 5, 9, 13 and 17. After each ring but the first a small patch
// in the previous ring's colour lays that ring back over the new one at one
// crossing, so the rings look linked.
//
// The outlines never change, so they are rasterised once and each frame only
// colours their pixels.
class TSpectrumRings {
public:
    static constexpr int kRings = 5;
    // The band (1 ... 19) whose level colours each ring.
    static constexpr std::array<int, kRings> kRingBands = {1, 5, 9, 13, 17};

    TSpectrumRings();

    // Draws the rings in order, ring k in colours[k], into a 171 x 92 frame.
    void Draw(QImage &frame, const std::array<TPixel, kRings> &colours) const;

    // The pixels of ring k's outline, for tests and for checking the shape.
    const std::vector<QPoint> &Outline(int ring) const { return outlines_[ring]; }

private:
    std::array<std::vector<QPoint>, kRings> outlines_;
};

}  // namespace quaverly
