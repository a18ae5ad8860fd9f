#pragma once

namespace quaverly {

// The views of the main window as the playback controller switches them.
// The window layout implements them on the form model.
class IViews {
public:
    virtual ~IViews() = default;
    // The list view with the button row (Gauge1's top becomes non-zero).
    virtual void ShowNormalView() = 0;
    // The audio-engine view when the current row plays there, else the video
    // view sized from the picture.
    virtual void ShowPlayingView() = 0;
    // The 400 x 6 strip of the external MIDI player.
    virtual void ShowStripView() = 0;
    // Brings the application's window to the front (before a message box).
    virtual void BringToFront() = 0;
};

}  // namespace quaverly
