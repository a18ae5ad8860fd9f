#pragma once

#include <functional>

#include "app/IExternalPlayerHost.h"

namespace quaverly {

// The external player's host as hooks that the composition root binds to the
// window, the layout, the controller and the playlist. An unbound hook does
// nothing (or answers 0 / false).
class TExternalPlayerHooks final : public IExternalPlayerHost {
public:
    std::function<XWindow()> MainWindow;
    std::function<bool()> Active;
    std::function<bool()> Visible;
    std::function<void()> Raise;
    std::function<void(const std::string &, const std::string &)> Message;
    std::function<void()> Close;
    std::function<void()> StoppedState;
    std::function<void()> StripView;
    std::function<void()> MediaControl;
    std::function<void(const std::vector<std::string> &)> Rows;
    std::function<void()> SortFitSave;

    XWindow MainWindowId() override { return MainWindow ? MainWindow() : 0; }
    bool ApplicationActive() override { return Active && Active(); }
    bool MainWindowVisible() override { return Visible && Visible(); }
    void BringToFront() override { Call(Raise); }
    void ShowMessage(const std::string &caption, const std::string &text) override
    {
        if (Message)
            Message(caption, text);
    }
    void CloseMainWindow() override { Call(Close); }
    void ShowStoppedState() override { Call(StoppedState); }
    void ShowStripView() override { Call(StripView); }
    void PlayThroughMediaControl() override { Call(MediaControl); }
    void ReplaceRows(const std::vector<std::string> &paths) override
    {
        if (Rows)
            Rows(paths);
    }
    void SortFitAndSavePlaylist() override { Call(SortFitSave); }

private:
    static void Call(const std::function<void()> &hook)
    {
        if (hook)
            hook();
    }
};

}  // namespace quaverly
