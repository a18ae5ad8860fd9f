// The program entry: the single-instance rule, the X display, the
// application object, the main window and its shell, the message loop.
#include <QApplication>
#include <QFont>
#include <QGuiApplication>
#include <QScreen>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <xcb/xcb.h>

#include "app/FormEventRouter.h"
#include "app/Main.h"
#include "app/QtShell.h"
#include "app/ShellConstants.h"
#include "app/SystemShellPlatform.h"
#include "app/UnavailableServices.h"
#include "platform/Clock.h"
#include "platform/InstanceLock.h"
#include "platform/ProgramPaths.h"
#include "platform/Random.h"
#include "platform/Registry.h"
#include "ui/FormModel.h"

#ifdef QUAVERLY_HAVE_QT_MAIN_WINDOW
#include "ui/VideoMetrics.h"
#include "ui/WindowLayout.h"
#include "ui/qt/QtMainWindow.h"
#include "ui/qt/QtScreenMetrics.h"
#endif
#ifdef QUAVERLY_HAVE_AUDIO_PLAYER
#include "app/AudioPlayerAdapter.h"
#endif
#ifdef QUAVERLY_HAVE_PLAYLIST
#include "app/ShellPlaylistHost.h"
#include "playlist/Playlist.h"
#endif

using namespace quaverly;

namespace {

// True when Qt is going to talk to an X server and none answers. Qt would
// abort on it; the program says why and ends with status 1 instead.
bool XDisplayMissing()
{
    const char *platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform && std::strncmp(platform, "xcb", 3) != 0)
        return false;
    const char *display = std::getenv("DISPLAY");
    if (!display || !*display)
        return true;
    xcb_connection_t *connection = xcb_connect(display, nullptr);
    const bool failed = xcb_connection_has_error(connection) != 0;
    xcb_disconnect(connection);
    return failed;
}

#ifndef QUAVERLY_HAVE_QT_MAIN_WINDOW
class TPrimaryScreenMetrics final : public IScreenMetrics {
public:
    TScreenRect WholeScreen() const override { return From(&QScreen::geometry); }
    TScreenRect WorkArea() const override { return From(&QScreen::availableGeometry); }

private:
    static TScreenRect From(QRect (QScreen::*rect)() const)
    {
        const QScreen *screen = QGuiApplication::primaryScreen();
        if (!screen)
            return TScreenRect{0, 0, 1024, 768};
        const QRect r = (screen->*rect)();
        return TScreenRect{r.x(), r.y(), r.width(), r.height()};
    }
};
#endif

#ifdef QUAVERLY_HAVE_QT_MAIN_WINDOW
// The media control is not built yet: no picture, default display size.
class TNoVideoMetrics final : public IVideoMetrics {
public:
    int PictureHeight() const override { return 0; }
    int DisplaySize() const override { return mpDefaultSize; }
};
#endif

#ifndef QUAVERLY_HAVE_FORM_RESOURCE
// Without the window layout: the bare form of the resource.
void InitPlainForm(TFormModel &form)
{
    form.Form.Width = 195;
    form.Form.Height = 108;
    form.Form.Region = {{0, 1, 195, 108}, {1, 0, 194, 1}};
}
#endif

}  // namespace

int main(int argc, char **argv)
{
    // One instance only. A lock that cannot be made does not stop the start.
    InstanceLock lock;
    if (lock.result() == InstanceLock::Result::HeldByAnother)
        return 0;

    if (XDisplayMissing()) {
        const char *display = std::getenv("DISPLAY");
        std::fprintf(stderr,
                     "quaverly: cannot open the X display \"%s\"; start it under an X server "
                     "(set DISPLAY to a running one)\n",
                     display ? display : "");
        return 1;
    }

    TStartup startup;
    startup.ExecutablePath = ExecutablePath();
    startup.ProgramFolder = ProgramFolder();
    startup.CommandLine = TCommandLine::FromMain(argc, argv);

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quaverly"));
    // The CJK face has no hints of its own: the auto-hinter would read
    // glyphs across megabytes of the font file at start-up to measure it.
    QFont unhinted = QApplication::font();
    unhinted.setHintingPreference(QFont::PreferNoHinting);
    QApplication::setFont(unhinted);

    TFormModel form;
#ifdef QUAVERLY_HAVE_FORM_RESOURCE
    InitFormResource(form);
#else
    InitPlainForm(form);
#endif
    form.ApplicationTitle = kApplicationTitle;

    Registry registry;
    SystemClock clock;
    SystemRandom random;
    TSystemShellPlatform platform(QtScrollBarWidth);
    TUnavailableSettingsFile settings;
    TUnavailablePlaybackController controller;
    TUnavailableExternalPlayer externalPlayer;
    TUnavailableSpectrumDisplay spectrum;
    TQtDialogs dialogs;
#ifdef QUAVERLY_HAVE_AUDIO_PLAYER
    TAudioPlayerFactory audioPlayers(dialogs, startup.ProgramFolder);
#else
    TUnavailableAudioPlayerFactory audioPlayers;
#endif
#ifdef QUAVERLY_HAVE_QT_MAIN_WINDOW
    TQtScreenMetrics screen;
#else
    TPrimaryScreenMetrics screen;
#endif

#ifdef QUAVERLY_HAVE_PLAYLIST
    TShellPlaylistHost playlistHost(form, screen, platform);
    TPlaylist playlist(form, controller, externalPlayer, dialogs, random, playlistHost);
#else
    TUnavailablePlaylist playlist;
#endif

    TShellServices services{settings, controller, externalPlayer, playlist, spectrum, audioPlayers,
                            screen,   clock,      random,         registry, platform};
    TMainForm mainForm(form, services, startup);
    TFormEventRouter events(mainForm);

    mainForm.FormCreate();
    if (form.Form.TerminateRequested || !form.Form.ShowMainForm)
        return 0;

#ifdef QUAVERLY_HAVE_QT_MAIN_WINDOW
    TNoVideoMetrics video;
    TWindowLayout layout(form, screen, video);
    TQtMainWindow window(form, events);
    layout.SetWindowDrag(&window);
    layout.FitListHeight = [&playlist] { playlist.FitListHeight(); };
    mainForm.SetStripActivationHandler([&layout] { layout.ApplicationActivated(); });

    events.OnClick(TControlId::sbMin, [&layout] { layout.sbMinClick(); });
    for (TControlId power : {TControlId::sbPower, TControlId::sbPower2, TControlId::sbPower3})
        events.OnClick(power, [&layout] { layout.sbPowerClick(); });
    for (TControlId body : {TControlId::Panel1, TControlId::BtnPanel})
        events.OnMouseDown(body, [&layout](TMouseButton button, TShiftState, int, int) {
            layout.Panel1MouseDown(button);
        });
    events.OnMouseDown(TControlId::lbResize, [&layout](TMouseButton button, TShiftState, int, int) {
        layout.lbResizeMouseDown(button);
    });
    for (TControlId strip : {TControlId::sbNext3, TControlId::sbStop3, TControlId::sbPower3})
        events.OnMouseUp(strip, [&layout](TMouseButton, TShiftState, int, int) { layout.sbNext3MouseUp(); });
#ifdef QUAVERLY_HAVE_PLAYLIST
    playlistHost.RefreshRegion = [&layout] { layout.SetTopCornerRegion(); };
    playlistHost.RaiseWindow = [&window] {
        window.raise();
        window.activateWindow();
    };
#endif
#else
    TPlainMainWindow window(form, events);
#endif

    events.OnClick(TControlId::sbPlay, [&controller] { controller.PlaySelected(); });
#ifdef QUAVERLY_HAVE_PLAYLIST
    events.OnClick(TControlId::sbAdd, [&playlist] { playlist.sbAddClick(); });
    events.OnClick(TControlId::pmDel, [&playlist] { playlist.pmDelClick(); });
    events.OnClick(TControlId::sbOrder, [&playlist] { playlist.sbOrderClick(); });
    events.OnClick(TControlId::sbRandom, [&playlist] { playlist.sbRandomClick(); });
    events.OnClick(TControlId::sbNormal, [&playlist] { playlist.sbNormalClick(); });
    events.OnClick(TControlId::sbLevel, [&playlist] { playlist.sbLevelClick(); });
    events.OnDblClick(TControlId::MList, [&playlist] { playlist.MListDblClick(); });
    events.OnMouseUp(TControlId::MList, [&playlist](TMouseButton button, TShiftState, int, int) {
        playlist.MListMouseUp(button == TMouseButton::mbRight);
    });
#endif

    window.show();
    return application.exec();
}
