#pragma once

#include "platform/Screen.h"
#include "ui/ScreenMetrics.h"

namespace quaverly {

// The screen metrics of the X11 screen as the platform layer reads them.
class TPlatformScreenMetrics : public IScreenMetrics {
public:
    explicit TPlatformScreenMetrics(Screen &screen) : screen_(screen) {}
    TScreenRect WholeScreen() const override;
    TScreenRect WorkArea() const override;

private:
    Screen &screen_;
};

}  // namespace quaverly
