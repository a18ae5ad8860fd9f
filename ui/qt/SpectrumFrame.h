#pragma once

#include <QImage>
#include <array>
#include <memory>

#include "core/ISpectrumDisplay.h"
#include "ui/SpectrumScales.h"

namespace quaverly {

class TSpectrumRings;

// Composes the spectrum picture, one frame per set of band levels, into the
// 171 x 92 FrameBitmap. Modes 1 ... 5 draw 19 bars on black with a peak
// marker over each; mode 6 is a history picture that scrolls: a waterfall
// moving down on the NT family, five rings leaving trails to the left
// otherwise. The composer only draws; showing the picture is its owner's job.
class TSpectrumFrame {
public:
    TSpectrumFrame();
    ~TSpectrumFrame();

    // Creates the frame and the patterns (InitSpectrumBitmaps). In mode 6 the
    // history picture starts cleared.
    void Init(int mode, bool ntFamily);
    // Frees them; frames drawn afterwards are ignored.
    void Free();
    bool Ready() const { return !frame_.isNull(); }

    // Draws one frame (DrawSpectrumFrame) in the given mode (1 ... 6; any
    // other draws nothing). Levels above 92 are drawn as 92.
    void Draw(const TBandOut &bands, int mode, bool ntFamily);
    // Drops every peak marker and, in mode 6, starts the history picture
    // over (ClearSpectrum).
    void Clear(int mode, bool ntFamily);
    // Drops the peak markers only.
    void ClearPeaks();

    // The picture as last composed (FrameBitmap).
    const QImage &Image() const { return frame_; }
    // Marker height of band i (1 ... 19) in level units, and frames since it
    // was last pushed up.
    float PeakLevel(int band) const { return peakLevels_[band - 1]; }
    int PeakAge(int band) const { return peakAges_[band - 1]; }

private:
    void DrawBar(int mode, int band, int level);
    void DrawMarker(int mode, int band, int level);
    void DrawHistory(const std::array<int, kSpectrumBands> &levels, bool ntFamily);
    void FillRows(int left, int width, int top, int bottom, TPixel colour);
    TPixel *Row(int y) { return reinterpret_cast<TPixel *>(frame_.scanLine(y)); }

    QImage frame_;
    TSpectrumScales scales_;
    std::unique_ptr<TSpectrumRings> rings_;
    std::array<float, kSpectrumBands> peakLevels_{};
    std::array<int, kSpectrumBands> peakAges_{};
};

}  // namespace quaverly
