// The program entry: the single-instance rule, the X display, the
// application object, then the composition root and the message loop.
#include <QApplication>
#include <QFont>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

#include "app/Application.h"
#include "platform/InstanceLock.h"
#include "platform/ProgramPaths.h"

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

    // The video panel gets a native window for the media control's picture;
    // its siblings (the buttons) stay plain widgets.
    QCoreApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quaverly"));
    // The CJK face has no hints of its own: the auto-hinter would read
    // glyphs across megabytes of the font file at start-up to measure it.
    QFont unhinted = QApplication::font();
    unhinted.setHintingPreference(QFont::PreferNoHinting);
    QApplication::setFont(unhinted);

    TApplication player(TStartup{ExecutablePath(), ProgramFolder(), TCommandLine::FromMain(argc, argv)});
    if (!player.Create())
        return 0;
    player.Show();
    return application.exec();
}
