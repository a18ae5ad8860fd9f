#include "ui/qt/SpectrumRings.h"

#include <QPainter>
#include <QPen>

namespace quaverly {

namespace {

// Bounding boxes (left, top, right, bottom; right and bottom exclusive).
constexpr int kRingBox[TSpectrumRings::kRings][4] = {
    {110, 14, 153, 57}, {87, 35, 130, 78}, {64, 14, 107, 57}, {41, 35, 84, 78}, {18, 14, 61, 57},
};

// The crossing patch drawn after ring k (none after the first), as the pixels
// a 1-pixel pen and solid brush cover: a 2 x 2 square or a small step of a
// line whose end point is left out.
const std::vector<QPoint> kPatches[TSpectrumRings::kRings] = {
    {},
    {{128, 55}, {129, 55}, {128, 56}, {129, 56}},
    {{86, 56}, {87, 56}, {87, 55}, {88, 55}},
    {{82, 55}, {83, 55}, {82, 56}, {83, 56}},
    {{40, 56}, {41, 56}, {41, 55}, {42, 55}},
};

void Put(QImage &frame, QPoint at, TPixel colour)
{
    if (at.x() >= 0 && at.y() >= 0 && at.x() < frame.width() && at.y() < frame.height())
        reinterpret_cast<TPixel *>(frame.scanLine(at.y()))[at.x()] = colour;
}

}  // namespace

TSpectrumRings::TSpectrumRings()
{
    QImage mask(kSpectrumWidth, kSpectrumHeight, QImage::Format_RGB32);
    for (int k = 0; k < kRings; ++k) {
        mask.fill(Qt::black);
        {
            QPainter painter(&mask);
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.setPen(QPen(Qt::white, 2));
            painter.setBrush(Qt::NoBrush);
            // The 2-pixel outline is centred one pixel inside the box, so it
            // covers exactly the box's outermost two pixels on every side.
            const auto &box = kRingBox[k];
            painter.drawEllipse(QRectF(box[0] + 1, box[1] + 1, box[2] - box[0] - 2, box[3] - box[1] - 2));
        }
        for (int y = 0; y < kSpectrumHeight; ++y)
            for (int x = 0; x < kSpectrumWidth; ++x)
                if (mask.pixel(x, y) != 0xFF000000u)
                    outlines_[k].push_back(QPoint(x, y));
    }
}

void TSpectrumRings::Draw(QImage &frame, const std::array<TPixel, kRings> &colours) const
{
    for (int k = 0; k < kRings; ++k) {
        for (QPoint at : outlines_[k])
            Put(frame, at, colours[k]);
        if (k > 0)
            for (QPoint at : kPatches[k])
                Put(frame, at, colours[k - 1]);
    }
}

}  // namespace quaverly
