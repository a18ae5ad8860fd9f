#pragma once

#include <memory>

#include "app/AudioEngineFactory.h"
#include "app/ExitSignals.h"
#include "app/ExternalPlayerControl.h"
#include "app/ExternalPlayerHooks.h"
#include "app/IChildProcesses.h"
#include "app/IExternalWindows.h"
#include "app/FormEventRouter.h"
#include "app/FormTimers.h"
#include "app/GuardedDialogs.h"
#include "app/Main.h"
#include "app/PlaybackController.h"
#include "app/PlayerScheduleActions.h"
#include "app/Schedule.h"
#include "app/ScheduleLog.h"
#include "app/SettingsFile.h"
#include "platform/ProgramPaths.h"
#include "app/PositionTimer.h"
#include "app/QtShell.h"
#include "app/ShellPlaylistHost.h"
#include "app/SystemShellPlatform.h"
#include "core/Engines.h"
#include "platform/Clock.h"
#include "platform/Random.h"
#include "platform/Registry.h"
#include "platform/nsplay/NSPlay.h"
#include "playlist/Playlist.h"
#include "core/FormModel.h"
#include "ui/VideoMetrics.h"
#include "ui/LayoutWindowPlacement.h"
#include "ui/WindowLayout.h"
#include "ui/DisplayModeClicks.h"
#include "ui/qt/QtMainWindow.h"
#include "ui/qt/QtScreenMetrics.h"
#include "ui/qt/QtSpectrumDisplay.h"

namespace quaverly {

// The video view's picture size, read from the media control.
class TMediaControlVideo final : public IVideoMetrics {
public:
    explicit TMediaControlVideo(const IMediaControl &media) : media_(media) {}
    int PictureHeight() const override { return media_.PictureHeight(); }
    int DisplaySize() const override { return media_.DisplaySize(); }

private:
    const IMediaControl &media_;
};

// The composition root: every subsystem of the player is made and wired
// here, each by one binding function, in the order of the members below.
// Needs a running QApplication.
class TApplication {
public:
    explicit TApplication(TStartup startup);
    TApplication(const TApplication &) = delete;
    TApplication &operator=(const TApplication &) = delete;

    // FormCreate; false when the program is to end without a window.
    bool Create();
    // Shows the window; the event loop does the rest.
    void Show();

private:
    void BindWindow();
    void BindPlaylist();
    void BindPlayback();
    void BindSpectrum();
    void BindPositionTimer();
    void BindTimers();
    void BindExternalPlayer();
    void BindExit();
    // Runs a handler as the window runs one: the model is mirrored afterwards.
    void Run(const std::function<void()> &handler);
    void Post(std::function<void()> handler);
    void ModalClosed();
    void PrepareVideoWindow();

    TStartup startup_;
    TFormModel form_;

    // Platform services.
    Registry registry_;
    SystemClock clock_;
    SystemRandom random_;
    TSystemShellPlatform platform_;
    TQtScreenMetrics screen_;
    TQtDialogs qtDialogs_;
    TGuardedDialogs dialogs_{form_, qtDialogs_};

    // Engines.
    // libVLC is loaded only when the first media-control row needs it.
    nsplay::TNSPlay media_;
    TEngines engines_{media_};
    TAudioEngineFactory audioEngines_;
    TMediaControlVideo video_{media_};

    // The external MIDI player: its window on the X display, its process
    // our child; the hooks are bound to the window and the views by
    // BindExternalPlayer.
    X11WindowSystem x11_;
    X11ExternalWindows externalWindows_{x11_};
    ChildProcesses children_;
    TExternalPlayerHooks externalHooks_;
    ExternalPlayerControl externalPlayer_{
        {form_, externalHooks_, externalWindows_, children_, media_, clock_, registry_}};

    // Subsystems still to come.
    TQtSpectrumDisplay spectrum_{form_.State};
    TDisplayModeClicks displayClicks_{form_, spectrum_};

    // The window's logic and the playlist.
    TWindowLayout layout_{form_, screen_, video_};
    TShellPlaylistHost playlistHost_{form_, screen_, platform_};
    // The daily schedule and the settings file, read by FormCreate.
    std::unique_ptr<IScheduleLog> scheduleLog_{ScheduleLogFromEnvironment()};
    TPlayerScheduleActions scheduleActions_{form_, controller_, playlist_};
    TSchedule schedule_{form_, clock_, random_, scheduleActions_, scheduleLog_.get()};
    TLayoutWindowPlacement placement_{form_, layout_, screen_};
    TSettingsFile settings_{SettingsPathFor(startup_.ExecutablePath), form_, schedule_, placement_};
    // The controller and the playlist call each other; each keeps only a
    // reference to the other until the window runs.
    TPlaybackController controller_{form_, TControllerServices{engines_, playlist_, layout_, dialogs_, random_,
                                                               platform_, settings_, externalPlayer_, externalPlayer_, spectrum_,
                                                               [this](std::function<void()> f) { Post(std::move(f)); },
                                                               [this] { PrepareVideoWindow(); }}};
    TPlaylist playlist_{form_, controller_, externalPlayer_, dialogs_, random_, playlistHost_};
    TPositionTimer positionTimer_{form_, engines_, controller_, layout_, externalPlayer_};
    TMainForm mainForm_;
    TFormEventRouter events_{mainForm_};

    // The real window and its timers.
    std::unique_ptr<TQtMainWindow> window_;
    std::unique_ptr<TFormTimers> timers_;
    std::unique_ptr<TExitSignals> exitSignals_;
    bool videoWindowMade_ = false;
};

}  // namespace quaverly
