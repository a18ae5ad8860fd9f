#pragma once

#include <functional>

#include "core/IViews.h"
#include "core/FormModel.h"
#include "ui/FormEvents.h"
#include "ui/ScreenMetrics.h"
#include "ui/VideoMetrics.h"
#include "ui/WindowDrag.h"

namespace quaverly {

// The views of the main window (normal, audio engine, video, strip), moving
// the window to a new geometry inside the work area, the window region, and
// the mouse handlers that drag and size the frameless window. Everything
// works on the form model; the window toolkit mirrors the model afterwards.
class TWindowLayout final : public IViews {
public:
    TWindowLayout(TFormModel &form, const IScreenMetrics &screen, const IVideoMetrics &video)
        : form_(form), screen_(screen), video_(video) {}

    // Where the drag and size loops run; without one the mouse handlers only
    // update the flags.
    void SetWindowDrag(IWindowDrag *drag) { drag_ = drag; }
    // Snaps the list height to its rows after the user sized the window
    // (the playlist's FitListHeight).
    std::function<void()> FitListHeight;

    void ShowNormalView() override;
    void ShowPlayingView() override;
    void ShowStripView() override;
    void BringToFront() override
    {
        if (RaiseWindow)
            RaiseWindow();
    }
    // Raises and activates the real window; set by its owner.
    std::function<void()> RaiseWindow;
    void SetTopCornerRegion();

    // value clamped to the work area for a window of the given size, along
    // x when horizontal, else along y. A changed value marks the geometry.
    int ClampToWorkArea(int value, int size, bool horizontal);
    // Clamps left and top into the work area and sets the window's bounds.
    void MoveToGeometry(int left, int top, int width, int height);
    // The strip's place in the middle of the work area, 400 wide; used when
    // the strip view is entered after the first activation and by the
    // activation handler.
    void PlaceStrip();

    // Mouse and button handlers of the form resource.
    void Panel1MouseDown(TMouseButton button);    // also BtnPanel's
    void lbResizeMouseDown(TMouseButton button);
    void sbMinClick();
    void sbPowerClick();                          // also sbPower2's and sbPower3's

private:
    void HideEdgeButtons();
    void HideStripButtons();

    TFormModel &form_;
    const IScreenMetrics &screen_;
    const IVideoMetrics &video_;
    IWindowDrag *drag_ = nullptr;
};

// Sets the window's bounds and moves the controls anchored to its right
// edge (sbPower2).
void SetFormBounds(TFormModel &form, int left, int top, int width, int height);
// The controls of the list panel follow its height: pnRect fills it above the
// resize strip, which stays at its bottom.
void ApplyListPanelAnchors(TFormModel &form);
// The colours of the form resource on systems outside the NT family: the
// button-face colour for the form, the button row, the resize strip and the
// progress line.
void ApplyClassicColourScheme(TFormModel &form);
// While the user sizes the window from the bottom strip: the new window
// height. The list panel follows in the normal view and the region is
// renewed, so the new rows show at once; the width stays.
void FollowSizing(TFormModel &form, int height);
// The region that leaves out the two top corner pixels of a window.
std::vector<TRegionRect> TopCornerRegion(int width, int height);

}  // namespace quaverly
