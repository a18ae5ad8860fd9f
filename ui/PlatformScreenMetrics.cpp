#include "ui/PlatformScreenMetrics.h"

namespace quaverly {

namespace {
TScreenRect FromWindowRect(const WindowRect &r)
{
    return TScreenRect{r.left, r.top, r.width(), r.height()};
}
}  // namespace

TScreenRect TPlatformScreenMetrics::WholeScreen() const
{
    return FromWindowRect(screen_.WholeScreen());
}

TScreenRect TPlatformScreenMetrics::WorkArea() const
{
    return FromWindowRect(screen_.WorkArea());
}

}  // namespace quaverly
