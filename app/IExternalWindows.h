#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/X11WindowSystem.h"

namespace quaverly {

// What the external MIDI player control needs of the desktop's windows. A
// window is its X id; 0 is none. Every call on a window that has gone away
// gives the "nothing" answer (empty text, 0, false, nullopt).
class IExternalWindows {
public:
    virtual ~IExternalWindows() = default;
    // Top-level windows from the top of the stack down.
    virtual std::vector<XWindow> TopLevelWindowsTopFirst() = 0;
    virtual std::string Title(XWindow w) = 0;
    // The process that owns w (_NET_WM_PID); 0 when unknown.
    virtual std::uint32_t ProcessId(XWindow w) = 0;
    // The active window; 0 when none.
    virtual XWindow ForegroundWindow() = 0;
    // The desktop window a desktop environment draws its icons on.
    virtual bool IsDesktop(XWindow w) = 0;
    virtual std::optional<WindowRect> Rect(XWindow w) = 0;
    // Width and height of the whole screen, pixels.
    virtual WindowRect ScreenRect() = 0;
    // Restacks w just below sibling without moving, sizing or activating it.
    virtual void PlaceBelow(XWindow w, XWindow sibling) = 0;
    // Asks w to close (the window manager's close request) and returns at
    // once. False when w no longer exists.
    virtual bool RequestClose(XWindow w) = 0;
};

// The same, on the X display through X11WindowSystem.
class X11ExternalWindows final : public IExternalWindows {
public:
    explicit X11ExternalWindows(X11WindowSystem &x) : x_(x) {}
    std::vector<XWindow> TopLevelWindowsTopFirst() override { return x_.TopLevelWindowsTopFirst(); }
    std::string Title(XWindow w) override { return x_.Title(w); }
    std::uint32_t ProcessId(XWindow w) override { return x_.ProcessId(w); }
    XWindow ForegroundWindow() override { return x_.ForegroundWindow(); }
    bool IsDesktop(XWindow w) override { return x_.IsDesktop(w); }
    std::optional<WindowRect> Rect(XWindow w) override { return x_.Rect(w); }
    WindowRect ScreenRect() override { return x_.Rect(x_.Root()).value_or(WindowRect {}); }
    void PlaceBelow(XWindow w, XWindow sibling) override
    {
        x_.PlaceBelow(w, sibling);
        x_.Flush();
    }
    bool RequestClose(XWindow w) override { return x_.RequestClose(w); }

private:
    X11WindowSystem &x_;
};

}  // namespace quaverly
