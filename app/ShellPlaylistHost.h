#pragma once

#include <functional>

#include "core/IShellPlatform.h"
#include "playlist/PlaylistHost.h"
#include "core/FormModel.h"
#include "ui/ScreenMetrics.h"

namespace quaverly {

// What the playlist asks of the main window, answered by the shell.
class TShellPlaylistHost final : public IPlaylistHost {
public:
    TShellPlaylistHost(TFormModel &form, const IScreenMetrics &screen, IShellPlatform &platform)
        : form_(form), screen_(screen), platform_(platform) {}

    // Set by the owner of the views and of the window.
    std::function<void()> RefreshRegion;
    std::function<void()> RaiseWindow;

    void RefreshWindowRegion() override
    {
        if (RefreshRegion)
            RefreshRegion();
    }
    void BringToFront() override
    {
        if (RaiseWindow)
            RaiseWindow();
    }
    // The display mode that was loaded can never equal -1, so the exit work
    // sees a change and writes the settings file.
    void ForceSettingsRewrite() override { form_.State.SavedDisplayModeSetting = -1; }
    int VerticalScrollBarWidth() override { return platform_.VerticalScrollBarWidth(); }
    int WorkAreaTop() override { return screen_.WorkArea().Top; }
    int WorkAreaHeight() override { return screen_.WorkArea().Height; }

private:
    TFormModel &form_;
    const IScreenMetrics &screen_;
    IShellPlatform &platform_;
};

}  // namespace quaverly
