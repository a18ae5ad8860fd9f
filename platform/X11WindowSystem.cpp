#include "platform/X11WindowSystem.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <xcb/xcb.h>

namespace quaverly {

namespace {

struct FreeDeleter {
    void operator()(void *p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

xcb_connection_t *Conn(void *c) { return static_cast<xcb_connection_t *>(c); }

constexpr std::uint32_t kIconicState = 3;  // ICCCM WM_STATE

}  // namespace

X11WindowSystem::X11WindowSystem(const std::string &displayName)
{
    if (displayName.empty() && !std::getenv("DISPLAY"))
        return;
    int screenNumber = 0;
    xcb_connection_t *c = xcb_connect(displayName.empty() ? nullptr : displayName.c_str(), &screenNumber);
    if (!c || xcb_connection_has_error(c)) {
        if (c)
            xcb_disconnect(c);
        return;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem) {
        xcb_disconnect(c);
        return;
    }
    root_ = it.data->root;
    connection_ = c;
}

X11WindowSystem::~X11WindowSystem()
{
    if (connection_)
        xcb_disconnect(Conn(connection_));
}

void X11WindowSystem::Flush()
{
    if (connection_)
        xcb_flush(Conn(connection_));
}

std::uint32_t X11WindowSystem::InternAtom(const std::string &name)
{
    if (!connection_ || name.empty())
        return 0;
    auto *c = Conn(connection_);
    Reply<xcb_intern_atom_reply_t> r(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::uint16_t(name.size()), name.data()), nullptr));
    return r ? r->atom : 0;
}

namespace {
// Reads a property as raw bytes (up to 1 MB); empty when absent.
std::string RawProperty(xcb_connection_t *c, XWindow w, xcb_atom_t property, xcb_atom_t type, xcb_atom_t *gotType = nullptr)
{
    if (!property)
        return {};
    Reply<xcb_get_property_reply_t> r(
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, type, 0, 1u << 18), nullptr));
    if (!r || r->type == XCB_NONE)
        return {};
    if (gotType)
        *gotType = r->type;
    int length = xcb_get_property_value_length(r.get());
    const char *value = static_cast<const char *>(xcb_get_property_value(r.get()));
    return std::string(value, std::size_t(length > 0 ? length : 0));
}

std::vector<std::uint32_t> CardinalList(xcb_connection_t *c, XWindow w, xcb_atom_t property, xcb_atom_t type)
{
    std::string raw = RawProperty(c, w, property, type);
    std::vector<std::uint32_t> out(raw.size() / 4);
    if (!out.empty())
        std::memcpy(out.data(), raw.data(), out.size() * 4);
    return out;
}
}  // namespace

std::string X11WindowSystem::TextProperty(XWindow w, std::uint32_t property)
{
    std::string text = RawProperty(Conn(connection_), w, property, XCB_GET_PROPERTY_TYPE_ANY);
    // Some clients count the terminating NUL into the property.
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

bool X11WindowSystem::WindowManagerRunning()
{
    auto check = CardinalList(Conn(connection_), root_, InternAtom("_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW);
    return !check.empty() && check[0] != 0 && Exists(check[0]);
}

std::vector<XWindow> X11WindowSystem::StackingList()
{
    if (!connection_ || !WindowManagerRunning())
        return {};
    return CardinalList(Conn(connection_), root_, InternAtom("_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW);
}

std::vector<XWindow> X11WindowSystem::RootChildren()
{
    if (!connection_)
        return {};
    auto *c = Conn(connection_);
    Reply<xcb_query_tree_reply_t> r(xcb_query_tree_reply(c, xcb_query_tree(c, root_), nullptr));
    if (!r)
        return {};
    const xcb_window_t *children = xcb_query_tree_children(r.get());
    return std::vector<XWindow>(children, children + xcb_query_tree_children_length(r.get()));
}

std::vector<XWindow> X11WindowSystem::TopLevelWindowsTopFirst()
{
    std::vector<XWindow> list = StackingList();
    if (list.empty())
        list = RootChildren();
    return std::vector<XWindow>(list.rbegin(), list.rend());
}

XWindow X11WindowSystem::FindByTitle(const std::string &title)
{
    for (XWindow w : TopLevelWindowsTopFirst())
        if (Title(w) == title)
            return w;
    // Never-mapped windows are missing from the stacking list.
    auto children = RootChildren();
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        if (Title(*it) == title)
            return *it;
    return 0;
}

std::string X11WindowSystem::Title(XWindow w)
{
    if (!connection_ || !w)
        return {};
    std::string title = TextProperty(w, InternAtom("_NET_WM_NAME"));
    if (title.empty())
        title = TextProperty(w, XCB_ATOM_WM_NAME);
    return title;
}

std::string X11WindowSystem::ClassName(XWindow w)
{
    if (!connection_ || !w)
        return {};
    std::string raw = RawProperty(Conn(connection_), w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
    auto nul = raw.find('\0');
    if (nul == std::string::npos)
        return {};
    std::string cls = raw.substr(nul + 1);
    auto end = cls.find('\0');
    return end == std::string::npos ? cls : cls.substr(0, end);
}

XWindow X11WindowSystem::ForegroundWindow()
{
    if (!connection_)
        return 0;
    auto list = CardinalList(Conn(connection_), root_, InternAtom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
    return list.empty() ? 0 : list[0];
}

bool X11WindowSystem::Exists(XWindow w)
{
    if (!connection_ || !w)
        return false;
    auto *c = Conn(connection_);
    Reply<xcb_get_window_attributes_reply_t> r(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr));
    return r != nullptr;
}

std::optional<WindowRect> X11WindowSystem::Rect(XWindow w)
{
    if (!connection_ || !w)
        return std::nullopt;
    auto *c = Conn(connection_);
    // Climb to the child of the root: a reparenting WM's frame is what shows.
    XWindow top = w;
    for (int depth = 0; depth < 16; ++depth) {
        Reply<xcb_query_tree_reply_t> t(xcb_query_tree_reply(c, xcb_query_tree(c, top), nullptr));
        if (!t)
            return std::nullopt;
        if (t->parent == root_ || t->parent == XCB_NONE)
            break;
        top = t->parent;
    }
    Reply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(c, xcb_get_geometry(c, top), nullptr));
    if (!g)
        return std::nullopt;
    Reply<xcb_translate_coordinates_reply_t> t(
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, top, root_, 0, 0), nullptr));
    int x = t ? t->dst_x : g->x, y = t ? t->dst_y : g->y;
    // The border belongs to the outer rectangle.
    int b = g->border_width;
    return WindowRect {x - b, y - b, x + g->width + b, y + g->height + b};
}

bool X11WindowSystem::IsIconic(XWindow w)
{
    if (!connection_ || !w)
        return false;
    auto *c = Conn(connection_);
    xcb_atom_t wmState = InternAtom("WM_STATE");
    auto state = CardinalList(c, w, wmState, wmState);
    if (!state.empty() && state[0] == kIconicState)
        return true;
    xcb_atom_t hidden = InternAtom("_NET_WM_STATE_HIDDEN");
    for (std::uint32_t a : CardinalList(c, w, InternAtom("_NET_WM_STATE"), XCB_ATOM_ATOM))
        if (a == hidden)
            return true;
    return false;
}

bool X11WindowSystem::IsVisible(XWindow w)
{
    if (!connection_ || !w)
        return false;
    auto *c = Conn(connection_);
    Reply<xcb_get_window_attributes_reply_t> r(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr));
    return r && r->map_state == XCB_MAP_STATE_VIEWABLE;
}

bool X11WindowSystem::PlaceBelow(XWindow w, XWindow sibling)
{
    if (!connection_ || !Exists(w) || !Exists(sibling) || w == sibling)
        return false;
    auto *c = Conn(connection_);
    if (WindowManagerRunning()) {
        // A managed window's stacking belongs to the WM (its frames are the
        // real siblings), so ask it: source 2 = a pager-like direct request.
        xcb_client_message_event_t ev {};
        ev.response_type = XCB_CLIENT_MESSAGE;
        ev.format = 32;
        ev.window = w;
        ev.type = InternAtom("_NET_RESTACK_WINDOW");
        ev.data.data32[0] = 2;
        ev.data.data32[1] = sibling;
        ev.data.data32[2] = XCB_STACK_MODE_BELOW;
        xcb_send_event(c, 0, root_, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char *>(&ev));
    } else {
        const std::uint32_t values[] = {sibling, XCB_STACK_MODE_BELOW};
        xcb_void_cookie_t ck = xcb_configure_window_checked(
            c, w, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
        if (xcb_generic_error_t *e = xcb_request_check(c, ck)) {
            std::free(e);
            return false;
        }
    }
    xcb_flush(c);
    return true;
}

std::uint32_t X11WindowSystem::ProcessId(XWindow w)
{
    if (!connection_ || !w)
        return 0;
    auto pid = CardinalList(Conn(connection_), w, InternAtom("_NET_WM_PID"), XCB_ATOM_CARDINAL);
    return pid.empty() ? 0 : pid[0];
}

bool X11WindowSystem::IsDesktop(XWindow w)
{
    if (!connection_ || !w)
        return false;
    xcb_atom_t desktop = InternAtom("_NET_WM_WINDOW_TYPE_DESKTOP");
    for (std::uint32_t a : CardinalList(Conn(connection_), w, InternAtom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM))
        if (a == desktop)
            return true;
    return false;
}

bool X11WindowSystem::RequestClose(XWindow w)
{
    if (!connection_ || !w || !Exists(w))
        return false;
    auto *c = Conn(connection_);
    xcb_client_message_event_t ev {};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = w;
    ev.type = InternAtom("WM_PROTOCOLS");
    ev.data.data32[0] = InternAtom("WM_DELETE_WINDOW");
    ev.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c, 0, w, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&ev));
    xcb_flush(c);
    return true;
}

bool X11WindowSystem::CloseAndWait(XWindow w, int timeoutMs)
{
    if (!RequestClose(w))
        return true;  // already gone
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    // Polling keeps this free of event selection on a foreign window.
    for (;;) {
        if (!Exists(w) || !IsVisible(w))
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool X11WindowSystem::PostClientMessage(XWindow w, std::uint32_t messageAtom, std::int32_t wParam, std::int32_t lParam)
{
    if (!connection_ || !w || !messageAtom)
        return false;
    auto *c = Conn(connection_);
    xcb_client_message_event_t ev {};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = w;
    ev.type = messageAtom;
    ev.data.data32[0] = std::uint32_t(wParam);
    ev.data.data32[1] = std::uint32_t(lParam);
    xcb_void_cookie_t ck = xcb_send_event_checked(c, 0, w, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&ev));
    if (xcb_generic_error_t *e = xcb_request_check(c, ck)) {
        std::free(e);
        return false;
    }
    return true;
}

}  // namespace quaverly
