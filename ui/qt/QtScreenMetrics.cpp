#include "ui/qt/QtScreenMetrics.h"

#include <QGuiApplication>
#include <QScreen>

namespace quaverly {

namespace {
TScreenRect FromQRect(const QRect &r)
{
    return TScreenRect{r.x(), r.y(), r.width(), r.height()};
}
constexpr TScreenRect kNoScreen{0, 0, 1024, 768};
}  // namespace

TScreenRect TQtScreenMetrics::WholeScreen() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? FromQRect(screen->geometry()) : kNoScreen;
}

TScreenRect TQtScreenMetrics::WorkArea() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? FromQRect(screen->availableGeometry()) : kNoScreen;
}

}  // namespace quaverly
