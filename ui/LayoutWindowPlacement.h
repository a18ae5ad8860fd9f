#pragma once

#include "ui/WindowLayout.h"
#include "ui/WindowPlacement.h"

namespace quaverly {

// The window placement of the settings file, carried out by the window layout.
class TLayoutWindowPlacement final : public IWindowPlacement {
public:
    TLayoutWindowPlacement(TFormModel &form, TWindowLayout &layout, const IScreenMetrics &screen)
        : form_(form), layout_(layout), screen_(screen) {}
    int ClampToWorkArea(int value, int size, bool horizontal) override
    {
        return layout_.ClampToWorkArea(value, size, horizontal);
    }
    int WorkAreaHeight() const override { return screen_.WorkArea().Height; }
    void SetWindowHeight(int height) override { FollowSizing(form_, height); }

private:
    TFormModel &form_;
    TWindowLayout &layout_;
    const IScreenMetrics &screen_;
};

}  // namespace quaverly
