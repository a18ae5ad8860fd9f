#pragma once

#include "ui/ControlId.h"

namespace quaverly {

enum class TMouseButton : int { mbLeft, mbRight, mbMiddle };

// Modifier keys and held mouse buttons at the time of an event (bit set).
using TShiftState = unsigned;
constexpr TShiftState ssShift = 1u << 0;
constexpr TShiftState ssAlt = 1u << 1;
constexpr TShiftState ssCtrl = 1u << 2;
constexpr TShiftState ssLeft = 1u << 3;
constexpr TShiftState ssRight = 1u << 4;
constexpr TShiftState ssMiddle = 1u << 5;

// Virtual key codes passed to KeyDown (the values the handlers compare with).
constexpr int VK_BACK = 8;
constexpr int VK_TAB = 9;
constexpr int VK_RETURN = 13;
constexpr int VK_ESCAPE = 27;
constexpr int VK_SPACE = 32;
constexpr int VK_PRIOR = 33;
constexpr int VK_NEXT = 34;
constexpr int VK_END = 35;
constexpr int VK_HOME = 36;
constexpr int VK_LEFT = 37;
constexpr int VK_UP = 38;
constexpr int VK_RIGHT = 39;
constexpr int VK_DOWN = 40;
constexpr int VK_INSERT = 45;
constexpr int VK_DELETE = 46;   // also the shortcut of the list's delete entry
constexpr int VK_F1 = 112;      // F1 .. F12 are 112 .. 123; digits and letters are their ASCII upper-case codes

// What the main window reports to the shell, one method per widget event the
// handlers need. The window toolkit calls these on the user-interface thread
// and mirrors the form model into its widgets after each call returns, so a
// handler only changes the model. Coordinates are client coordinates of the
// control that received the event. The shell's own timers are not events of
// the window and do not pass through here.
struct IFormEvents {
    virtual ~IFormEvents() = default;

    // The window is about to be shown for the first time (once per run).
    virtual void FormShow() = 0;
    // The main window became the active window (every activation).
    virtual void FormActivate() = 0;
    // The application as a whole became active (another of its windows, or
    // the main window, got the focus after the application had none).
    virtual void ApplicationActivate() = 0;
    // A request to close the window (power buttons, the window manager, the
    // end of a single-file start). true lets the close go on to FormClose.
    virtual bool FormCloseQuery() = 0;
    // The window is closing; false cancels the close and the window stays.
    virtual bool FormClose() = 0;

    // A button was clicked (pressed and released over it, enabled).
    virtual void Click(TControlId control) = 0;
    virtual void DblClick(TControlId control) = 0;
    virtual void MouseDown(TControlId control, TMouseButton button, TShiftState shift, int x, int y) = 0;
    virtual void MouseMove(TControlId control, TShiftState shift, int x, int y) = 0;
    virtual void MouseUp(TControlId control, TMouseButton button, TShiftState shift, int x, int y) = 0;
    // A key went down while the control had the focus. Setting key to 0
    // marks it handled.
    virtual void KeyDown(TControlId control, int &key, TShiftState shift) = 0;
    // The desktop's settings changed; flag 42 means the non-client metrics
    // (scroll bar width) may have changed.
    virtual void SettingChange(int flag) = 0;
};

}  // namespace quaverly
