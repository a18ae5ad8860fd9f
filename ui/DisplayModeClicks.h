#pragma once

#include "ui/ControlId.h"
#include "ui/FormEvents.h"
#include "core/FormModel.h"
#include "core/ISpectrumDisplay.h"

namespace quaverly {

// The audio-engine view as a button: a left click on it (VisPanel, VisBox,
// lbTitle or lbTime) steps the spectrum to its next display mode, 1 after 6.
// A fixed mode setting (1 ... 6) follows the click so the mode is saved at
// exit; a random setting stays random. The release of the double click that
// started playback from the list lands here too and is passed over.
class TDisplayModeClicks {
public:
    TDisplayModeClicks(TFormModel &form, ISpectrumDisplay &display) : form_(form), display_(display) {}

    // x, y: client coordinates of sender.
    void VisPanelMouseUp(TControlId sender, TMouseButton button, int x, int y);
    // Any of the four, or lbProgress: once the left button is up, the stray
    // release can no longer come.
    void VisPanelMouseMove(TShiftState shift);

private:
    TFormModel &form_;
    ISpectrumDisplay &display_;
};

}  // namespace quaverly
