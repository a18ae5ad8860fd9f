#pragma once

namespace quaverly {

// What the settings file asks of the window layout when it puts the window
// back where the user left it.
class IWindowPlacement {
public:
    virtual ~IWindowPlacement() = default;
    // value clamped to the work area for a window of the given size, along x
    // when horizontal, else along y; a changed value marks the geometry dirty.
    virtual int ClampToWorkArea(int value, int size, bool horizontal) = 0;
    virtual int WorkAreaHeight() const = 0;
    // The window's height, the list panel following it as a user's sizing would.
    virtual void SetWindowHeight(int height) = 0;
};

}  // namespace quaverly
