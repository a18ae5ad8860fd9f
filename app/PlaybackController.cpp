#include "app/PlaybackController.h"

#include <cmath>
#include <utility>

#include "app/EngineRouting.h"
#include "app/ShellConstants.h"
#include "core/PathText.h"

namespace quaverly {

namespace {

// Whole seconds of a length in seconds: truncated, 0 for anything not
// finite, and at most what a millisecond count in 32 bits can hold, so
// every later product stays in range.
int WholeSeconds(double seconds)
{
    if (!std::isfinite(seconds) || seconds <= 0)
        return 0;
    constexpr double kMax = 2147483.0;
    return int(std::trunc(std::min(seconds, kMax)));
}

}  // namespace

TPlaybackController::TPlaybackController(TFormModel &form, TControllerServices services)
    : form_(form), state_(form.State), services_(std::move(services))
{
}

bool TPlaybackController::AudioEngineAvailable() const
{
    return form_.AudioEngineAvailable() && services_.Engines.Audio;
}

const std::string &TPlaybackController::RowPath() const
{
    static const std::string none;
    const int i = state_.CurrentIndex;
    if (i < 0 || i >= form_.MList.Count() || form_.MList.Items[size_t(i)].SubItems.empty())
        return none;
    return form_.MList.Items[size_t(i)].SubItems[0];
}

const std::string &TPlaybackController::RowTitle() const
{
    static const std::string none;
    const int i = state_.CurrentIndex;
    if (i < 0 || i >= form_.MList.Count())
        return none;
    return form_.MList.Items[size_t(i)].Caption;
}

int TPlaybackController::ChooseEngine(const std::string &path)
{
    const std::string extensions = AudioEngineAvailable() ? services_.Engines.Audio->SupportedExtensions() : "";
    return quaverly::ChooseEngine(path, form_.AudioEngineAvailable(), extensions).Kind;
}

void TPlaybackController::PlayCurrentItem()
{
    TListViewModel &list = form_.MList;
    // Only real rows play: the credit rows of an empty list, or no rows at
    // all, give the credit view.
    if (list.Count() == 0 || form_.CreditShown()) {
        services_.Playlist.ShowCredit();
        return;
    }
    if (form_.sbNormal.Enabled) {
        const bool present = services_.Platform.FileExists(state_.ProgramFolder + kExternalPlayerFile);
        form_.sbNormal.Enabled = present;
        form_.sbLevel.Enabled = present;
    }
    if (list.FirstSelected() < 0) {
        if (state_.NextIndex < 0 || state_.NextIndex >= list.Count())
            state_.NextIndex = 0;
        list.Items.Select(size_t(state_.NextIndex));
    }
    state_.CurrentIndex = list.FirstSelected();
    list.ScrollRequest = state_.CurrentIndex;

    const std::string extensions = AudioEngineAvailable() ? services_.Engines.Audio->SupportedExtensions() : "";
    const TEngineChoice choice = quaverly::ChooseEngine(RowPath(), form_.AudioEngineAvailable(), extensions);
    state_.EngineKind = choice.Kind;
    state_.IsUrl = choice.IsUrl;
    state_.IsWindowsMediaFile = choice.IsWindowsMediaFile;

    ++start_;
    connecting_ = false;
    stopWhileConnecting_ = false;
    if (state_.IsUrl) {
        state_.Connecting = true;
        connecting_ = true;
        if (form_.Playing())
            ShowStoppedState();
        form_.ApplicationTitle = kConnectingTitle;
    }

    if (state_.EngineKind == ekAudioEngine) {
        StartInAudioEngine();
    } else if (form_.sbLevel.Enabled && form_.sbLevel.Visible && state_.EngineKind == ekMidi &&
               (state_.UserWasIdle || services_.ExternalPlayback.ForegroundIsFree(1))) {
        // A row the external player cannot take has been reported and
        // stopped; one it took shows the strip.
        services_.ExternalPlayback.PlayThroughExternalPlayer();
        if (form_.StripView())
            FinishStart();
    } else if (state_.IsUrl) {
        // The media control's start blocks while it connects: let the window
        // show the connecting title first.
        const unsigned start = start_;
        services_.Post([this, start] {
            if (!Current(start))
                return;
            if (stopWhileConnecting_) {
                state_.Connecting = connecting_ = false;
                ShowStoppedState();
                return;
            }
            StartInMediaControl();
        });
    } else {
        StartInMediaControl();
    }
}

void TPlaybackController::StartInAudioEngine()
{
    IAudioEngine &audio = *services_.Engines.Audio;
    const unsigned start = start_;
    if (state_.IsUrl)
        audio.OpenUrl(RowPath(), [this, start](bool opened) { AudioEngineOpened(start, opened); });
    else
        AudioEngineOpened(start, audio.Open(RowPath()));
}

void TPlaybackController::AudioEngineOpened(unsigned start, bool opened)
{
    if (start != start_)
        return;
    IAudioEngine &audio = *services_.Engines.Audio;
    if (stopWhileConnecting_) {
        // The user stopped while the row connected: nothing of it stays.
        if (opened)
            audio.Close();
        state_.Connecting = connecting_ = false;
        stopWhileConnecting_ = false;
        ShowStoppedState();
        return;
    }
    if (opened) {
        audio.Play();
        // An item that opens but does not play would otherwise "play"
        // silently for ever: it goes the way of an item that did not open.
        if (audio.PlayerState() != psPlaying) {
            audio.Close();
            opened = false;
        }
    }
    if (!opened) {
        state_.EngineKind = ekMediaControl;
        StartInMediaControl();
        return;
    }
    state_.ItemLength = int(audio.PlayLength() / 1000);
    services_.Views.ShowPlayingView();
    FinishStart();
}

void TPlaybackController::StartInMediaControl()
{
    IMediaControl &media = services_.Engines.Media;
    if (services_.PrepareVideo)
        services_.PrepareVideo();
    media.SetFileName(RowPath());
    media.SetCurrentPosition(-1.0);
    if (!media.Play()) {
        MediaControlFailed();
        return;
    }
    state_.ItemLength = WholeSeconds(media.Length());
    if (media.PictureWidth() > 0) {
        if (state_.IsNtFamily && !state_.FirstVideoSeen) {
            state_.FirstVideoSeen = true;
            media.SetDisplaySize(2);
        }
        services_.Views.ShowPlayingView();
    } else if (state_.EngineKind == ekOtherUrl) {
        // Sound only: the audio engine plays such a stream better.
        media.SetFileName("");
        state_.EngineKind = ekAudioEngine;
        StartInAudioEngine();
        return;
    } else if (!form_.NormalView()) {
        services_.Views.ShowNormalView();
    }
    if (state_.EngineKind == ekMidiFallback)
        UpdateTitle();
    FinishStart();
}

void TPlaybackController::MediaControlFailed()
{
    state_.Timer2Enabled = false;
    state_.Timer1Enabled = false;
    // The failed item is released, so the position timer cannot take it for
    // an item that ended.
    services_.Engines.Media.SetFileName("");
    const bool url = state_.IsUrl;
    if (url)
        state_.Connecting = connecting_ = false;
    ShowStoppedState();
    services_.Views.BringToFront();
    services_.Dialogs.MessageBox(url ? kCannotPlayUrl : kCannotPlayFile, RowTitle());
    if (state_.StartMode == 2)
        form_.Form.CloseRequested = true;
    else
        state_.Timer2Enabled = true;
}

void TPlaybackController::FinishStart()
{
    state_.PlayerWasOpen = false;
    state_.UserWasIdle = false;
    state_.Connecting = connecting_ = false;
    state_.TickCount = 0;
    state_.Timer1Enabled = true;
    form_.Gauge1.SetProgress(0);
    form_.Gauge2.SetProgress(0);

    ShowItemInfo();
    form_.Gauge1.MaxValue = state_.ItemLength;
    WriteRowLength();
    UpdateTitle();

    if (form_.sbPlay.Visible) {
        form_.sbPlay.Visible = false;
        form_.sbNext.Visible = true;
        form_.sbStop.Enabled = true;
    }
}

void TPlaybackController::WriteRowLength()
{
    const int i = state_.CurrentIndex;
    if (i < 0 || i >= form_.MList.Count())
        return;
    std::vector<std::string> sub = form_.MList.Items[size_t(i)].SubItems;
    const std::vector<std::string> before = sub;
    if (state_.ItemLength > 0) {
        form_.Gauge2.MaxValue = state_.ItemLength;
        const std::string s = std::to_string(state_.ItemLength);
        if (sub.size() >= 3 && sub[1] == s)
            return;
        if (sub.size() == 3)
            sub.pop_back();
        if (sub.size() == 2)
            sub.pop_back();
        sub.push_back(s);
        sub.push_back(form_.lbTime.Caption);
        state_.PlaylistDirty = true;
    } else {
        state_.DurationUnknown = true;
        if (sub.size() == 3)
            sub.resize(1);
        if (sub.size() < 2) {
            sub.push_back("0");
            state_.PlaylistDirty = true;
        }
    }
    // Written back only when it changed; the write marks the row for refresh.
    if (sub != before)
        form_.MList.Items.Edit(size_t(i)).SubItems = std::move(sub);
}

void TPlaybackController::StopPlayback()
{
    if (form_.StripView())
        services_.ExternalPlayer.CloseExternalPlayer();
    else if (form_.VisPanel.Visible && services_.Engines.Audio)
        services_.Engines.Audio->Close();
    else
        services_.Engines.Media.SetFileName("");
    // A URL still connecting in the audio engine is dropped as well.
    if (services_.Engines.Audio && services_.Engines.Audio->OpenPending())
        services_.Engines.Audio->Close();
    state_.DurationUnknown = false;
}

void TPlaybackController::ShowStoppedState()
{
    if (form_.MList.Count() > 0) {
        services_.Playlist.RevealCurrentItem();
        state_.NextIndex = form_.MList.FirstSelected();
    }
    if (!state_.Connecting)
        state_.SchedulePass = false;
    form_.sbNext.Visible = false;
    form_.sbPlay.Enabled = true;
    form_.sbPlay.Visible = true;
    form_.sbStop.Enabled = false;
    form_.Gauge1.SetProgress(0);
    form_.Gauge2.SetProgress(0);
    if (state_.ScheduleStopped) {
        state_.ScheduleStopped = false;
        form_.Form.Minimized = true;
        form_.ApplicationTitle = kScheduledPauseTitle;
    } else {
        form_.ApplicationTitle = kApplicationTitle;
    }
    if (!form_.NormalView())
        services_.Views.ShowNormalView();
}

void TPlaybackController::PlaySelected()
{
    if (form_.Playing()) {
        state_.Timer1Enabled = false;
        StopPlayback();
    } else {
        state_.TodayActive = true;
        state_.SchedulePass = services_.Settings.ScheduleCheck(3);
    }
    PlayCurrentItem();
}

void TPlaybackController::sbPlayClick()
{
    if (!state_.Connecting)
        PlaySelected();
}

void TPlaybackController::sbNextClick()
{
    if (state_.Connecting)
        return;
    state_.Timer1Enabled = false;
    StopPlayback();
    form_.sbPlay.Enabled = !form_.VisPanel.Visible;
    PlayNext();
    form_.sbPlay.Enabled = true;
}

void TPlaybackController::sbStopClick()
{
    state_.Timer1Enabled = false;
    if (state_.Connecting && connecting_) {
        // Honoured when the connection comes back (or at once, when the
        // engine drops it now).
        stopWhileConnecting_ = true;
        StopPlayback();
        return;
    }
    StopPlayback();
    ShowStoppedState();
}

void TPlaybackController::PlayNext()
{
    if (form_.VisPanel.Visible && form_.sbPlay.Enabled && state_.DisplayModeSetting == 9)
        PickRandomDisplayMode();
    const int selected = form_.MList.FirstSelected();
    if (selected < 0 || selected == state_.CurrentIndex)
        ChooseNextIndex();
    PlayCurrentItem();
}

void TPlaybackController::ChooseNextIndex()
{
    TListViewModel &list = form_.MList;
    const int count = list.Count();
    if (form_.RandomOrder() && count > 2) {
        if (state_.ShufflePos == 0 || int(state_.ShuffleOrder.size()) != count - 1) {
            std::vector<int> pool(static_cast<std::size_t>(count));
            for (int i = 0; i < count; ++i)
                pool[size_t(i)] = i;
            auto take = [&pool](std::size_t at) {
                pool[at] = pool.back();
                pool.pop_back();
            };
            if (state_.CurrentIndex >= 0 && state_.CurrentIndex < count)
                take(size_t(state_.CurrentIndex));
            state_.ShuffleOrder.assign(size_t(count - 1), 0);
            for (int j = 0; j <= count - 2 && !pool.empty(); ++j) {
                const std::size_t at = size_t(services_.Random.Next(int(pool.size())));
                state_.ShuffleOrder[size_t(j)] = pool[at];
                take(at);
            }
            state_.ShufflePos = 0;
        }
        state_.NextIndex = state_.ShuffleOrder[size_t(state_.ShufflePos)];
        ++state_.ShufflePos;
        if (state_.ShufflePos >= count - 1)
            state_.ShufflePos = 0;
    } else {
        state_.NextIndex = state_.CurrentIndex < count - 1 ? state_.CurrentIndex + 1 : 0;
    }
    list.ClearSelection();
    list.ItemFocused = -1;
}

void TPlaybackController::PickRandomDisplayMode()
{
    const int old = state_.DisplayMode;
    state_.DisplayMode = services_.Random.Next(6) + 1;
    if (state_.DisplayMode == 6 && old != 6)
        services_.Spectrum.ClearSpectrum();
}

void TPlaybackController::UpdateMidiButtons()
{
    bool has = false;
    if (services_.Platform.FileExists(state_.ProgramFolder + kExternalPlayerFile)) {
        for (const TListItem &row : form_.MList.Items) {
            if (!row.SubItems.empty() && ChooseEngine(row.SubItems[0]) == ekMidi) {
                has = true;
                break;
            }
        }
    }
    form_.sbLevel.Enabled = has;
    form_.sbNormal.Enabled = has;
}

void TPlaybackController::ShowItemInfo()
{
    form_.lbTitle.Caption = RowTitle();
    form_.lbTime.Caption = state_.ItemLength >= 1 ? FormatDuration(state_.ItemLength) : std::string();
}

void TPlaybackController::UpdateTitle()
{
    std::string title = form_.lbTitle.Caption;
    if (state_.DurationUnknown)
        form_.lbTime.Caption.clear();
    else if (form_.StripView() || form_.VideoView())
        title += " " + form_.lbTime.Caption;
    if (state_.IsUrl)
        title = "i))" + title;
    else if (state_.DurationUnknown)
        title = "?time " + title;
    form_.ApplicationTitle = title;
}

}  // namespace quaverly
