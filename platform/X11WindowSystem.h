#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quaverly {

// Top-level windows of the X display, through xcb. A window is its X id;
// 0 means none. Every call on a window that has gone away returns the
// "nothing" answer (empty text, false, nullopt) instead of failing.
//
// Z order: with a window manager, _NET_CLIENT_LIST_STACKING (managed clients
// only); without one, the root's children. Unmapped top-levels stay root
// children under a WM, so FindByTitle also scans the root's children.
using XWindow = std::uint32_t;

struct WindowRect {
    int left = 0, top = 0, right = 0, bottom = 0;  // pixels, root coordinates; right/bottom exclusive
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

class X11WindowSystem {
public:
    // displayName empty = $DISPLAY. connected() is false when no display.
    explicit X11WindowSystem(const std::string &displayName = {});
    ~X11WindowSystem();
    X11WindowSystem(const X11WindowSystem &) = delete;
    X11WindowSystem &operator=(const X11WindowSystem &) = delete;

    [[nodiscard]] bool connected() const { return connection_ != nullptr; }
    XWindow Root() const { return root_; }

    // Top-level windows from the top of the stack down (GetWindow
    // GW_HWNDFIRST / GW_HWNDNEXT order).
    std::vector<XWindow> TopLevelWindowsTopFirst();
    // First top-level window (stacking list, then root children) whose title
    // equals title exactly; 0 when none.
    XWindow FindByTitle(const std::string &title);

    // _NET_WM_NAME (UTF-8), else WM_NAME; "" when none.
    std::string Title(XWindow w);
    // WM_CLASS's class part (the second string); "" when none.
    std::string ClassName(XWindow w);
    // _NET_ACTIVE_WINDOW; 0 without a window manager or when none.
    XWindow ForegroundWindow();
    // Outer rectangle in root coordinates (the WM frame's when reparented).
    std::optional<WindowRect> Rect(XWindow w);
    // WM_STATE = Iconic, or _NET_WM_STATE has _NET_WM_STATE_HIDDEN.
    bool IsIconic(XWindow w);
    // Mapped and viewable.
    bool IsVisible(XWindow w);
    bool Exists(XWindow w);

    // Restacks w just below sibling (SetWindowPos hWndInsertAfter): through
    // _NET_RESTACK_WINDOW when a WM runs, else ConfigureWindow Below.
    bool PlaceBelow(XWindow w, XWindow sibling);

    // _NET_WM_PID: the process that owns w (as its client says); 0 when unset.
    std::uint32_t ProcessId(XWindow w);
    // _NET_WM_WINDOW_TYPE holds _NET_WM_WINDOW_TYPE_DESKTOP.
    bool IsDesktop(XWindow w);

    // Sends WM_DELETE_WINDOW (WM_CLOSE) and returns at once (PostMessage).
    // False when w does not exist.
    bool RequestClose(XWindow w);
    // Sends WM_DELETE_WINDOW (WM_CLOSE) and waits up to timeoutMs for the
    // window to be destroyed or unmapped. True when it went away in time
    // (the answer 0 of a closed window).
    bool CloseAndWait(XWindow w, int timeoutMs);

    // The atom of a name, created when missing (RegisterWindowMessage); 0 on error.
    std::uint32_t InternAtom(const std::string &name);
    // Posts a ClientMessage, format 32, type messageAtom, data32[0] = wParam,
    // data32[1] = lParam, to the creator of w (PostMessage). Only 32 bits per
    // slot travel. False when not sent.
    bool PostClientMessage(XWindow w, std::uint32_t messageAtom, std::int32_t wParam, std::int32_t lParam);

    void Flush();
    void *connection() const { return connection_; }  // xcb_connection_t*, for tests

private:
    std::vector<XWindow> StackingList();  // bottom to top
    std::vector<XWindow> RootChildren();  // bottom to top
    bool WindowManagerRunning();
    std::string TextProperty(XWindow w, std::uint32_t property);

    void *connection_ = nullptr;
    XWindow root_ = 0;
};

}  // namespace quaverly
