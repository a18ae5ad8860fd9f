#pragma once

#include <string>
#include <vector>

#include "platform/X11WindowSystem.h"

namespace quaverly {

// What the external MIDI player control asks of the main window's shell, the
// views and the playback controller; the shared state itself lives in the
// form model.
class IExternalPlayerHost {
public:
    virtual ~IExternalPlayerHost() = default;
    // The main window's top-level X window; 0 while it has none.
    virtual XWindow MainWindowId() = 0;
    virtual bool ApplicationActive() = 0;
    virtual bool MainWindowVisible() = 0;
    virtual void BringToFront() = 0;
    // A modal message box with an OK button.
    virtual void ShowMessage(const std::string &caption, const std::string &text) = 0;
    // The window closes (and the program ends) as after the power button.
    virtual void CloseMainWindow() = 0;
    // The controller's stopped state: buttons, title, normal view.
    virtual void ShowStoppedState() = 0;
    // The 400 x 6 strip of the window layout.
    virtual void ShowStripView() = 0;
    // The current row continues in the hosted media control.
    virtual void PlayThroughMediaControl() = 0;
    // Replaces the rows by the given paths (titles from their names),
    // marks the list changed, selects the first row and leaves the credit
    // view; with no paths the list is only emptied.
    virtual void ReplaceRows(const std::vector<std::string> &paths) = 0;
    // Sorts the rows by title, fits the list height and saves the playlist.
    virtual void SortFitAndSavePlaylist() = 0;
};

}  // namespace quaverly
