#pragma once

#include "core/FormModel.h"
#include "core/ISpectrumDisplay.h"
#include "ui/qt/SpectrumFrame.h"

namespace quaverly {

class TQtMainWindow;

// The spectrum display in the real window: each set of bands is composed
// into the frame picture, and VisBox is asked for one repaint, in which it
// copies that picture to the screen. Nothing else is repainted, and VisBox
// shows the last picture again after an expose. The picture keeps 171 x 92
// logical pixels whatever the screen's device pixel ratio.
//
// The mode and platform family are read from the form's state at each frame.
class TQtSpectrumDisplay final : public ISpectrumDisplay {
public:
    explicit TQtSpectrumDisplay(const TMainState &state) : state_(state) {}
    ~TQtSpectrumDisplay() override;

    // The window whose VisBox shows the picture; set before
    // InitSpectrumBitmaps. Without one the frames are composed only.
    void ShowIn(TQtMainWindow *window) { window_ = window; }

    void InitSpectrumBitmaps() override;
    void DrawSpectrumFrame(const TBandOut &bands) override;
    void FreeSpectrumBitmaps() override;
    void ClearSpectrum() override;
    void ClearPeaks() override;

    const TSpectrumFrame &Frame() const { return frame_; }

private:
    const TMainState &state_;
    TQtMainWindow *window_ = nullptr;
    TSpectrumFrame frame_;
};

}  // namespace quaverly
