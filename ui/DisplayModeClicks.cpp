#include "ui/DisplayModeClicks.h"

namespace quaverly {

void TDisplayModeClicks::VisPanelMouseUp(TControlId sender, TMouseButton button, int x, int y)
{
    if (button != TMouseButton::mbLeft)
        return;
    TMainState &state = form_.State;
    if (state.IgnoreNextMouseUp) {
        state.IgnoreNextMouseUp = false;
        return;
    }

    if (sender != TControlId::VisPanel) {
        if (const TControl *child = ControlOf(form_, sender)) {
            x += child->Left;
            y += child->Top;
        }
    }
    const TControl &panel = form_.VisPanel;
    if (x < 0 || y < 0 || x >= panel.Width || y >= panel.Height)
        return;   // released away from the view

    state.DisplayMode = state.DisplayMode >= 6 ? 1 : state.DisplayMode + 1;
    if (state.DisplayMode == 6) {
        // The waterfall carries on over the last picture; the rings start
        // on a fresh one.
        if (state.IsNtFamily)
            display_.ClearPeaks();
        else
            display_.ClearSpectrum();
    }
    if (state.DisplayModeSetting < 7)
        state.DisplayModeSetting = state.DisplayMode;
}

void TDisplayModeClicks::VisPanelMouseMove(TShiftState shift)
{
    if (form_.State.IgnoreNextMouseUp && !(shift & ssLeft))
        form_.State.IgnoreNextMouseUp = false;
}

}  // namespace quaverly
