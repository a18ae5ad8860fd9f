#pragma once

#include "platform/X11WindowSystem.h"

namespace quaverly {

// The screen as the layout sees it (Screen.Width/Height, the work area,
// GetSystemMetrics(SM_CXVSCROLL)).
class Screen {
public:
    explicit Screen(X11WindowSystem &windows) : windows_(windows) {}

    // The whole root window; 1024 x 768 at 0,0 when there is no display.
    WindowRect WholeScreen();
    // _NET_WORKAREA's first desktop when a window manager publishes it,
    // clipped to the screen; else the whole screen.
    WindowRect WorkArea();
    // The width of a vertical scroll bar in the default metrics, pixels.
    static constexpr int VerticalScrollBarWidth() { return 17; }

private:
    X11WindowSystem &windows_;
};

}  // namespace quaverly
