#pragma once

#include <functional>

namespace quaverly {

// Moving and sizing the frameless window with the mouse, done by the window
// toolkit (through the window manager where it can). Each call starts the
// interaction for the mouse button that is held now and calls finished once
// on the user-interface thread when the interaction is over: at once when
// the window manager took over, or when the button is released.
class IWindowDrag {
public:
    virtual ~IWindowDrag() = default;
    virtual void RunMoveLoop(std::function<void()> finished) = 0;
    // Sizes from the bottom edge only; the width never changes.
    virtual void RunSizeLoop(std::function<void()> finished) = 0;
};

}  // namespace quaverly
