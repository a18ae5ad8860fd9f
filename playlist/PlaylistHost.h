#pragma once

namespace quaverly {

// What the playlist needs of the main window beyond its form model: the
// window region, the application's place in front, the settings file and the
// screen. The shell implements it.
class IPlaylistHost {
public:
    virtual ~IPlaylistHost() = default;
    // Recomputes the window region after the window height changed.
    virtual void RefreshWindowRegion() = 0;
    // Brings the application to the front (after a failed load).
    virtual void BringToFront() = 0;
    // The settings file must be rewritten at exit (the open dialog's folder changed).
    virtual void ForceSettingsRewrite() = 0;
    // Width of a vertical scroll bar in the current style, pixels.
    virtual int VerticalScrollBarWidth() = 0;
    // Top and height of the screen's work area, pixels.
    virtual int WorkAreaTop() = 0;
    virtual int WorkAreaHeight() = 0;
};

}  // namespace quaverly
