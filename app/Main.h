#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/CommandLine.h"
#include "core/Engines.h"
#include "core/IExternalPlayer.h"
#include "core/IPlaybackController.h"
#include "core/ISettingsFile.h"
#include "core/IShellPlatform.h"
#include "platform/Clock.h"
#include "platform/Random.h"
#include "platform/Registry.h"
#include "core/IPlaylist.h"
#include "core/FormModel.h"
#include "core/ISpectrumDisplay.h"
#include "ui/ScreenMetrics.h"

namespace quaverly {

// The services the main window's shell calls. All are owned elsewhere and
// outlive the form.
struct TShellServices {
    ISettingsFile &Settings;
    IPlaybackController &Controller;
    IExternalPlayer &ExternalPlayer;
    IPlaylist &Playlist;
    ISpectrumDisplay &Spectrum;
    IAudioEngineFactory &AudioEngines;
    TEngines &Engines;          // the audio engine lives here from the first show to the close
    const IScreenMetrics &Screen;
    IClock &Clock;
    IRandom &Random;
    Registry &Store;            // the registry
    IShellPlatform &Platform;
};

// Where and how the program was started.
struct TStartup {
    std::string ExecutablePath;   // full path of the running executable
    std::string ProgramFolder;    // its folder, with a trailing "/"
    TCommandLine CommandLine;
};

// The life cycle of the main window: creation, first show, activation, the
// close request and the close, and the start for one media file. Handlers
// change the form model and call the services in a fixed order; the window
// toolkit mirrors the model after each handler.
class TMainForm {
public:
    TMainForm(TFormModel &form, TShellServices services, TStartup startup);
    ~TMainForm();
    TMainForm(const TMainForm &) = delete;
    TMainForm &operator=(const TMainForm &) = delete;

    void FormCreate();
    void FormShow();
    void FormActivate();
    // Always allows the close; does the exit work (timers, engine, external
    // player settings, settings file, playlist file, in that order).
    bool FormCloseQuery();
    // False cancels the close (a network item still connecting before the
    // window was ever activated). While a network item connects after an
    // activation, the process ends here, right after the close request's
    // saves: the engines are not freed under an open that may still run.
    bool FormClose();
    void PlaySingleFile();

    // The application-wide handlers installed at the end of FormCreate: the
    // settings change and the strip view's activation. They do nothing
    // before that.
    void ApplicationSettingChange(int flag);
    void ApplicationActivate();
    // What the application's activation does in the strip view; set by the
    // owner of the views.
    void SetStripActivationHandler(std::function<void()> handler) { stripActivation_ = std::move(handler); }

    bool HandlersInstalled() const { return handlersInstalled_; }
    IAudioEngine *AudioPlayer() const { return services_.Engines.Audio.get(); }
    const TStartup &Startup() const { return startup_; }

private:
    bool FileInProgramFolder(const char *name);

    TFormModel &form_;
    TMainState &state_;
    TShellServices services_;
    TStartup startup_;
    std::function<void()> stripActivation_;
    bool handlersInstalled_ = false;
    bool shown_ = false;
};

}  // namespace quaverly
