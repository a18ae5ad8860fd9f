#include "ui/qt/SpectrumFrame.h"

#include <algorithm>
#include <cstring>

#include "ui/qt/SpectrumRings.h"

namespace quaverly {

namespace {

constexpr TPixel kBarGreen = SpectrumPixel(0, 176, 32);
constexpr TPixel kMarkerBlue = SpectrumPixel(0, 0, 255);
constexpr TPixel kRingBackground = SpectrumPixel(95, 95, 255);

// Frames a marker holds before it starts to fall, and frames the marker of
// mode 2 shows at all.
constexpr int kMarkerHold = 8;
constexpr int kGradientMarkerFrames = 20;

int BarWidth(int mode)
{
    switch (mode) {
    case 1:
    case 3: return 8;
    case 4: return 3;
    default: return 9;
    }
}

int BandLeft(int band) { return (band - 1) * kSpectrumBandWidth; }

int BarLeft(int mode, int band) { return BandLeft(band) + (mode == 4 ? 3 : 0); }

}  // namespace

TSpectrumFrame::TSpectrumFrame() = default;
TSpectrumFrame::~TSpectrumFrame() = default;

void TSpectrumFrame::Init(int mode, bool ntFamily)
{
    frame_ = QImage(kSpectrumWidth, kSpectrumHeight, QImage::Format_RGB32);
    frame_.fill(kSpectrumBlack);
    if (mode == 6)
        Clear(mode, ntFamily);
    scales_ = MakeSpectrumScales();
    if (!rings_)
        rings_ = std::make_unique<TSpectrumRings>();
}

void TSpectrumFrame::Free()
{
    frame_ = QImage();
}

void TSpectrumFrame::ClearPeaks()
{
    peakLevels_.fill(0.0f);
}

void TSpectrumFrame::Clear(int mode, bool ntFamily)
{
    ClearPeaks();
    if (mode == 6 && Ready())
        frame_.fill(ntFamily ? kSpectrumBlack : kRingBackground);
}

void TSpectrumFrame::Draw(const TBandOut &bands, int mode, bool ntFamily)
{
    if (!Ready() || mode < 1 || mode > 6)
        return;
    std::array<int, kSpectrumBands> levels;
    for (int i = 0; i < kSpectrumBands; ++i)
        levels[i] = std::min<int>(bands[i], kSpectrumHeight);

    if (mode == 6) {
        DrawHistory(levels, ntFamily);
        return;
    }
    frame_.fill(kSpectrumBlack);
    for (int band = 1; band <= kSpectrumBands; ++band) {
        const int level = levels[band - 1];
        if (level > 0)
            DrawBar(mode, band, level);
        DrawMarker(mode, band, level);
    }
}

void TSpectrumFrame::FillRows(int left, int width, int top, int bottom, TPixel colour)
{
    for (int y = std::max(top, 0); y < std::min(bottom, kSpectrumHeight); ++y)
        std::fill_n(Row(y) + left, width, colour);
}

void TSpectrumFrame::DrawBar(int mode, int band, int level)
{
    int top = kSpectrumHeight - level;
    // Mode 1 snaps the top down to whole LED segments.
    if (mode == 1 && (level - 1) % 3 == 0)
        top = kSpectrumHeight + 1 - level;
    const int left = BarLeft(mode, band), width = BarWidth(mode);

    switch (mode) {
    case 1:
        for (int y = top; y < kSpectrumHeight; ++y)
            std::fill_n(Row(y) + left, width, scales_.Segment[y]);
        break;
    case 2:
        for (int y = top; y < kSpectrumHeight; ++y)
            std::fill_n(Row(y) + left, width, scales_.Gradient[y]);
        break;
    case 5:
        // Every bar starts red at its own top.
        for (int y = top; y < kSpectrumHeight; ++y)
            std::fill_n(Row(y) + left, width, scales_.Gradient[y - top]);
        break;
    case 3:
        FillRows(left, width, top, kSpectrumHeight, kBarGreen);
        break;
    case 4:
        FillRows(left, width, top, kSpectrumHeight, scales_.Gradient[top]);
        break;
    }
}

void TSpectrumFrame::DrawMarker(int mode, int band, int level)
{
    float &peak = peakLevels_[band - 1];
    int &age = peakAges_[band - 1];

    if (peak - 1.0f < float(level)) {
        // Pushed up by the bar: no marker this frame.
        peak = float(level) + 0.01f;
        age = 0;
        return;
    }
    // Here peak >= 1, since levels are never negative.
    int y = kSpectrumHeight - int(peak);
    switch (mode) {
    case 1:
        // Both marker rows land on one green segment.
        if ((y + 1) % 3 == 0)
            --y;
        else if (y % 3 == 0)
            ++y;
        y = std::max(y, 0);
        break;
    case 2: ++y; break;
    default:
        if (y == 0)
            y = 1;
        break;
    }

    // A marker just above the floor would read the colour scale one row
    // below its end; the row is held inside the scale.
    const auto scale = [this](int row) { return scales_.Gradient[std::clamp(row, 0, kSpectrumHeight - 1)]; };
    TPixel colour = kLedGreen;
    switch (mode) {
    case 2: colour = scale(y == 1 ? 0 : y); break;
    case 3: colour = kMarkerBlue; break;
    case 4: colour = scale(y == 1 ? 0 : y + 1); break;
    case 5: colour = scale(kSpectrumHeight - 1 - y); break;
    }

    const int left = BarLeft(mode, band), width = BarWidth(mode);
    if (!(mode == 2 && age > kGradientMarkerFrames)) {
        // Mode 2 leaves out the lower row where its bar covers it. Rows below
        // the picture are not drawn.
        if (mode != 2 || kSpectrumHeight - y > level)
            FillRows(left, width, y, y + 1, colour);
        FillRows(left, width, y - 1, y, colour);
    }

    if (mode == 2) {
        if (age >= kGradientMarkerFrames)
            peak = float(level);
        ++age;
        return;
    }
    // Held, then falling ever faster: 0, 0.3, 0.6 ... levels a frame.
    if (age >= kMarkerHold)
        peak = float(double(peak) - (age - kMarkerHold) * 0.3);
    if (peak < 0.0f)
        peak = 0.0f;
    else
        ++age;
}

void TSpectrumFrame::DrawHistory(const std::array<int, kSpectrumBands> &levels, bool ntFamily)
{
    // A silent band still shows the colour of level 1.
    const auto colourOf = [&](int band) { return scales_.Gradient[kSpectrumHeight - std::max(levels[band - 1], 1)]; };
    const std::size_t stride = std::size_t(frame_.bytesPerLine());

    if (ntFamily) {
        // The waterfall: every past frame moves one row down and the new one
        // is written on row 0. Each band's line leaves out its end point, the
        // band's ninth column.
        uchar *bits = frame_.bits();
        std::memmove(bits + stride, bits, stride * (kSpectrumHeight - 1));
        TPixel *top = Row(0);
        for (int band = 1; band <= kSpectrumBands; ++band)
            std::fill_n(top + BandLeft(band), kSpectrumBandWidth - 1, colourOf(band));
        return;
    }

    // The rings: the picture moves one pixel left, so earlier rings trail.
    for (int y = 0; y < kSpectrumHeight; ++y) {
        TPixel *row = Row(y);
        std::memmove(row, row + 1, sizeof(TPixel) * (kSpectrumWidth - 1));
    }
    std::array<TPixel, TSpectrumRings::kRings> colours;
    for (int k = 0; k < TSpectrumRings::kRings; ++k)
        colours[k] = colourOf(TSpectrumRings::kRingBands[k]);
    rings_->Draw(frame_, colours);
}

}  // namespace quaverly
