#pragma once

namespace quaverly {

// A rectangle as left, top, width and height, in screen pixels.
struct TScreenRect {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool operator==(const TScreenRect &) const = default;
};

// The screen as the window layout sees it: the whole screen (for centring)
// and the work area, the part the task bar does not cover (for clamping).
class IScreenMetrics {
public:
    virtual ~IScreenMetrics() = default;
    virtual TScreenRect WholeScreen() const = 0;
    virtual TScreenRect WorkArea() const = 0;
};

}  // namespace quaverly
