#include "platform/Screen.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <xcb/xcb.h>

namespace quaverly {

WindowRect Screen::WholeScreen()
{
    auto rect = windows_.connected() ? windows_.Rect(windows_.Root()) : std::nullopt;
    return rect ? *rect : WindowRect {0, 0, 1024, 768};
}

WindowRect Screen::WorkArea()
{
    WindowRect screen = WholeScreen();
    if (!windows_.connected())
        return screen;
    auto *c = static_cast<xcb_connection_t *>(windows_.connection());
    xcb_atom_t atom = windows_.InternAtom("_NET_WORKAREA");
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> r(
        xcb_get_property_reply(c, xcb_get_property(c, 0, windows_.Root(), atom, XCB_ATOM_CARDINAL, 0, 4), nullptr),
        &std::free);
    if (!r || xcb_get_property_value_length(r.get()) < 16)
        return screen;
    std::uint32_t v[4];
    std::memcpy(v, xcb_get_property_value(r.get()), sizeof v);
    WindowRect area {int(v[0]), int(v[1]), int(v[0] + v[2]), int(v[1] + v[3])};
    area.left = std::max(area.left, screen.left);
    area.top = std::max(area.top, screen.top);
    area.right = std::min(area.right, screen.right);
    area.bottom = std::min(area.bottom, screen.bottom);
    if (area.width() <= 0 || area.height() <= 0)
        return screen;  // a nonsense property is no work area
    return area;
}

}  // namespace quaverly
