#include "app/ExternalPlayerControl.h"

#include <cmath>
#include <sys/stat.h>

namespace quaverly {

namespace {

bool RegularFileExists(const std::string &path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

ExternalPlayerControl::ExternalPlayerControl(ExternalPlayerServices services)
    : form_(services.form), state_(services.form.State), s_(services), settings_(services.registry)
{
}

bool ExternalPlayerControl::TakesMidiRow()
{
    return form_.sbLevel.Enabled && form_.sbLevel.Visible && state_.EngineKind == ekMidi
        && (state_.UserWasIdle || ForegroundIsFree(1));
}

void ExternalPlayerControl::PlayThroughExternalPlayer()
{
    std::string path, title;
    if (state_.CurrentIndex >= 0 && state_.CurrentIndex < form_.MList.Count()) {
        const TListItem &row = form_.MList.Items[std::size_t(state_.CurrentIndex)];
        title = row.Caption;
        if (!row.SubItems.empty())
            path = row.SubItems[0];
    }

    double length = 0;
    if (RegularFileExists(path)) {
        s_.media.SetFileName(path);
        length = std::trunc(s_.media.Length());
        s_.media.SetFileName("");
    }
    // A negative length (unknown to the measuring side) would make a row
    // that never ends by time: it is refused as well as 0.
    if (!(length > 0)) {
        state_.ItemLength = 0;
        state_.Timer2Enabled = false;
        s_.host.ShowStoppedState();
        s_.host.BringToFront();
        s_.host.ShowMessage(title, kUnplayableText);
        if (state_.StartMode == 2)
            s_.host.CloseMainWindow();
        else
            state_.Timer2Enabled = true;
        return;
    }
    state_.ItemLength = int(length);

    if (!form_.StripView())
        CloseExternalPlayer();

    // An argument vector: the MIDI path is one argument, whatever it holds.
    current_ = s_.processes.Spawn({state_.ProgramFolder + kProgramFile, path});
    searchUntil_ = s_.clock.TickCountMs() + kSearchMs;
    synthClosing_ = 0;
    synthIgnored_ = 0;

    if (form_.StripView()) {
        form_.Form.Height = 6;
    } else {
        s_.host.ShowStripView();
        state_.PlayerWasOpen = true;
        form_.Form.Tag = 0;
    }

    // Decided now: by the time the window maps, the row start has cleared
    // PlayerWasOpen and the window manager may have given the new window
    // the focus, yet it is still to go below ours.
    keepBelow_ = s_.host.ApplicationActive() || state_.PlayerWasOpen;
    FindExternalPlayer(1);
    PlaceBelowMainWindow();
    if (!StripActivated() && s_.host.ApplicationActive())
        s_.host.BringToFront();
}

void ExternalPlayerControl::PlaceBelowMainWindow()
{
    if (!window_ || !keepBelow_)
        return;
    if (!state_.FormActivated || s_.host.MainWindowVisible())
        s_.windows.PlaceBelow(window_, s_.host.MainWindowId());
}

void ExternalPlayerControl::CloseExternalPlayer()
{
    const bool found = FindExternalPlayer(1);
    if (form_.StripView()) {
        if (found)
            state_.PlayerWasOpen = true;
        if (ForegroundIsFree(1))
            state_.UserWasIdle = true;
        form_.Form.Height = 0;
    }
    if (found) {
        FindExternalPlayer(3);
        RequestCloseOfPlayerWindow(window_);
    }
    RetireCurrentPlayer(found);
}

bool ExternalPlayerControl::RequestCloseOfPlayerWindow(XWindow w)
{
    // A window id can be reused by another program once the player's window
    // is gone: ask its owner first.
    if (!w || current_ <= 0 || s_.windows.ProcessId(w) != std::uint32_t(current_))
        return false;
    return s_.windows.RequestClose(w);
}

void ExternalPlayerControl::RetireCurrentPlayer(bool windowFound)
{
    if (current_ <= 0)
        return;
    Closing c {current_, s_.clock.TickCountMs(), false};
    if (!windowFound) {
        // Nothing to send a close request to: our child, so end it.
        s_.processes.Terminate(current_);
        c.terminated = true;
    }
    if (!s_.processes.HasEnded(current_))
        closing_.push_back(c);
    current_ = -1;
    searchUntil_ = 0;
}

bool ExternalPlayerControl::FindExternalPlayer(int mode)
{
    if (mode == 2)
        return CheckSynthMessage() == SynthCheck::HandedOver;
    if (mode == 3)
        return CloseSynthMessage();
    if (current_ > 0) {
        const std::string prefix = kTitlePrefix;
        for (XWindow w : s_.windows.TopLevelWindowsTopFirst()) {
            if (s_.windows.ProcessId(w) != std::uint32_t(current_))
                continue;
            if (s_.windows.Title(w).compare(0, prefix.size(), prefix) == 0) {
                window_ = w;
                return true;
            }
        }
    }
    window_ = 0;
    return false;
}

ExternalPlayerControl::SynthCheck ExternalPlayerControl::CheckSynthMessage()
{
    if (synthClosing_) {
        const bool gone = s_.windows.ProcessId(synthClosing_) != std::uint32_t(current_)
            || s_.windows.Title(synthClosing_) != kSynthMessageTitle;
        if (gone) {
            // The message window went on our request: the synthesizer cannot
            // play, so the row goes on in the media control.
            synthClosing_ = 0;
            CloseExternalPlayer();
            state_.EngineKind = ekMidiFallback;
            s_.host.PlayThroughMediaControl();
            return SynthCheck::HandedOver;
        }
        if (s_.clock.TickCountMs() - synthClosingSince_ < kSynthCloseMs)
            return SynthCheck::Pending;
        synthIgnored_ = synthClosing_;  // it stays: the player goes on
        synthClosing_ = 0;
        return SynthCheck::None;
    }
    if (current_ <= 0)
        return SynthCheck::None;
    for (XWindow w : s_.windows.TopLevelWindowsTopFirst()) {
        if (w != synthIgnored_ && s_.windows.ProcessId(w) == std::uint32_t(current_)
            && s_.windows.Title(w) == kSynthMessageTitle && s_.windows.RequestClose(w)) {
            synthClosing_ = w;
            synthClosingSince_ = s_.clock.TickCountMs();
            return SynthCheck::Pending;
        }
    }
    return SynthCheck::None;
}

bool ExternalPlayerControl::CloseSynthMessage()
{
    if (current_ <= 0)
        return false;
    for (XWindow w : s_.windows.TopLevelWindowsTopFirst())
        if (s_.windows.ProcessId(w) == std::uint32_t(current_) && s_.windows.Title(w) == kSynthMessageTitle)
            s_.windows.RequestClose(w);
    return false;
}

bool ExternalPlayerControl::ForegroundIsFree(int mode)
{
    if (!state_.FormActivated)
        return true;
    if (!form_.StripView() && form_.Form.Minimized)
        return false;
    const XWindow fg = s_.windows.ForegroundWindow();
    bool free = fg == 0 || s_.windows.IsDesktop(fg) || fg == s_.host.MainWindowId() || (window_ && fg == window_);
    if (!free) {
        const std::string title = s_.windows.Title(fg);
        free = title.empty() || title == "Program Manager" || title == "ActiveMovie Window";
    }
    if (mode == 1 || free)
        return free;
    const std::optional<WindowRect> rect = s_.windows.Rect(fg);
    const WindowRect screen = s_.windows.ScreenRect();
    return !rect || rect->width() < screen.width() || rect->height() < screen.height();
}

bool ExternalPlayerControl::CountStripSecond()
{
    TGauge &progress = form_.Gauge1;
    Poll();
    if (progress.Progress < kSynthWatchSeconds && CheckSynthMessage() != SynthCheck::None)
        return false;
    progress.SetProgress(progress.Progress + 1);
    if (state_.IsNtFamily && progress.Progress > progress.MaxValue - 3 && !ForegroundIsFree(2)) {
        // A full-screen program is in front: the player goes now, without
        // waiting for it; the row still ends by its count.
        if (FindExternalPlayer(1))
            RequestCloseOfPlayerWindow(window_);
    }
    return true;
}

void ExternalPlayerControl::Poll()
{
    const std::uint64_t now = s_.clock.TickCountMs();
    if (current_ > 0 && s_.processes.HasEnded(current_)) {
        current_ = -1;  // the player ended by itself; the row runs on by its count
        searchUntil_ = 0;
    }
    // During the first seconds the window manager may still raise the new
    // window over ours as it maps it: the place is kept until then.
    if (current_ > 0 && now < searchUntil_ && (window_ || FindExternalPlayer(1)))
        PlaceBelowMainWindow();
    for (auto it = closing_.begin(); it != closing_.end();) {
        if (s_.processes.HasEnded(it->pid)) {
            it = closing_.erase(it);
            continue;
        }
        if (!it->terminated && now - it->since >= kCloseGraceMs) {
            s_.processes.Terminate(it->pid);
            it->terminated = true;
        }
        ++it;
    }
}

void ExternalPlayerControl::EndAllPlayers()
{
    if (current_ > 0) {
        if (FindExternalPlayer(1))
            RetireCurrentPlayer(RequestCloseOfPlayerWindow(window_));
        else
            RetireCurrentPlayer(false);
    }
    // Bounded: the grace of a close request, then SIGTERM, then SIGKILL.
    for (const Closing &c : closing_) {
        const std::uint64_t waited = s_.clock.TickCountMs() - c.since;
        int left = waited >= kCloseGraceMs ? 0 : int(kCloseGraceMs - waited);
        if (s_.processes.WaitForEnd(c.pid, left))
            continue;
        s_.processes.Terminate(c.pid);
        if (!s_.processes.WaitForEnd(c.pid, 1000)) {
            s_.processes.Terminate(c.pid, true);
            s_.processes.WaitForEnd(c.pid, 1000);
        }
    }
    closing_.clear();
}

void ExternalPlayerControl::BackupExternalPlayerSettings()
{
    settings_.Backup();
}

void ExternalPlayerControl::RestoreExternalPlayerSettings()
{
    // A player that saves its settings as it exits would otherwise write
    // this session's values over the restored key.
    EndAllPlayers();
    settings_.Restore();
}

void ExternalPlayerControl::ImportExternalPlayerList()
{
    const std::vector<std::string> paths = settings_.ReadList();
    s_.host.ReplaceRows(paths);
    if (paths.empty())
        return;
    BackupExternalPlayerSettings();
    form_.sbNormal.Visible = false;
    form_.sbNormal.Enabled = true;
    form_.sbLevel.Visible = true;
    form_.sbLevel.Enabled = true;
    s_.host.SortFitAndSavePlaylist();
}

void ExternalPlayerControl::OnApplicationActivated()
{
    if (form_.StripView())
        form_.Form.Tag = 1;
}

void ExternalPlayerControl::sbNext3MouseUp()
{
    form_.Form.Tag = 0;
}

}  // namespace quaverly
