#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/IChildProcesses.h"
#include "app/IExternalPlayerHost.h"
#include "app/IExternalWindows.h"
#include "platform/Clock.h"
#include "core/FormModel.h"

namespace quaverly::test {

// A desktop of windows kept in a stack, top first.
class FakeWindows final : public IExternalWindows {
public:
    struct Window {
        std::string title;
        std::uint32_t pid = 0;
        WindowRect rect {0, 0, 300, 200};
        bool desktop = false;
        bool closesOnRequest = true;
    };
    std::map<XWindow, Window> windows;
    std::vector<XWindow> stack;  // top first
    XWindow foreground = 0;
    std::vector<XWindow> closeRequests;
    std::vector<std::pair<XWindow, XWindow>> placedBelow;
    int walks = 0;

    void Add(XWindow w, Window window)
    {
        windows[w] = std::move(window);
        stack.insert(stack.begin(), w);
    }
    void Remove(XWindow w)
    {
        windows.erase(w);
        std::erase(stack, w);
    }

    std::vector<XWindow> TopLevelWindowsTopFirst() override
    {
        ++walks;
        return stack;
    }
    std::string Title(XWindow w) override { return windows.count(w) ? windows[w].title : ""; }
    std::uint32_t ProcessId(XWindow w) override { return windows.count(w) ? windows[w].pid : 0; }
    XWindow ForegroundWindow() override { return foreground; }
    bool IsDesktop(XWindow w) override { return windows.count(w) && windows[w].desktop; }
    std::optional<WindowRect> Rect(XWindow w) override
    {
        return windows.count(w) ? std::optional<WindowRect>(windows[w].rect) : std::nullopt;
    }
    WindowRect ScreenRect() override { return {0, 0, 1024, 768}; }
    void PlaceBelow(XWindow w, XWindow sibling) override { placedBelow.push_back({w, sibling}); }
    bool RequestClose(XWindow w) override
    {
        if (!windows.count(w))
            return false;
        closeRequests.push_back(w);
        if (windows[w].closesOnRequest)
            Remove(w);
        return true;
    }
};

// Children that run until terminated, or until a test ends them.
class FakeProcesses final : public IChildProcesses {
public:
    std::vector<std::vector<std::string>> spawned;
    std::set<pid_t> alive;
    std::vector<std::pair<pid_t, bool>> terminated;  // pid, hard
    bool dieOnTerm = true;
    bool spawnFails = false;
    // Runs when a wait for the child begins (a player saving as it exits).
    std::function<void(pid_t)> onWait;
    std::vector<std::pair<pid_t, int>> waits;

    pid_t Spawn(const std::vector<std::string> &argv) override
    {
        spawned.push_back(argv);
        if (spawnFails)
            return -1;
        pid_t pid = 1000 + pid_t(spawned.size());
        alive.insert(pid);
        return pid;
    }
    bool HasEnded(pid_t pid) override { return !alive.count(pid); }
    bool WaitForEnd(pid_t pid, int timeoutMs) override
    {
        waits.push_back({pid, timeoutMs});
        if (onWait)
            onWait(pid);
        return !alive.count(pid);
    }
    void Terminate(pid_t pid, bool hard) override
    {
        if (!alive.count(pid))
            return;
        terminated.push_back({pid, hard});
        if (dieOnTerm || hard)
            alive.erase(pid);
    }
};

class FakeClock final : public IClock {
public:
    std::uint64_t ms = 50000;
    std::uint64_t TickCountMs() override { return ms; }
    double Now() override { return 0; }
};

class FakeExternalPlayerHost final : public IExternalPlayerHost {
public:
    explicit FakeExternalPlayerHost(TFormModel &form) : form_(form) {}
    std::vector<std::string> log;
    bool active = true;
    std::vector<std::string> rows;

    XWindow MainWindowId() override { return kMainWindow; }
    bool ApplicationActive() override { return active; }
    bool MainWindowVisible() override { return true; }
    void BringToFront() override { log.push_back("BringToFront"); }
    void ShowMessage(const std::string &caption, const std::string &text) override
    {
        log.push_back("ShowMessage " + caption + ": " + text);
    }
    void CloseMainWindow() override { log.push_back("CloseMainWindow"); }
    void ShowStoppedState() override { log.push_back("ShowStoppedState"); }
    void ShowStripView() override
    {
        log.push_back("ShowStripView");
        form_.sbNext3.Visible = true;
        form_.Form.Width = 400;
        form_.Form.Height = 6;
    }
    void PlayThroughMediaControl() override { log.push_back("PlayThroughMediaControl"); }
    void ReplaceRows(const std::vector<std::string> &paths) override { rows = paths; }
    void SortFitAndSavePlaylist() override { log.push_back("SortFitAndSavePlaylist"); }

    static constexpr XWindow kMainWindow = 7;

private:
    TFormModel &form_;
};

}  // namespace quaverly::test
