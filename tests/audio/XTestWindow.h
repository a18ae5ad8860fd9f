#pragma once
// A top-level window of the test's own X client (never mapped) with a title
// and a WM_CLASS class, that records the ClientMessages sent to it.
#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace quaverly::test {

struct ClientMessage {
    std::uint32_t type;
    std::uint32_t data[3];
};

class XTestWindow {
public:
    XTestWindow(const std::string &title, const std::string &className)
    {
        int screen = 0;
        c_ = xcb_connect(nullptr, &screen);
        if (xcb_connection_has_error(c_))
            return;
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c_));
        for (int i = 0; i < screen && it.rem; ++i)
            xcb_screen_next(&it);
        w_ = xcb_generate_id(c_);
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, w_, it.data->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                          XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w_, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            std::uint32_t(title.size()), title.data());
        const std::string cls = "test" + std::string(1, '\0') + className + std::string(1, '\0');
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w_, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                            std::uint32_t(cls.size()), cls.data());
        // A round trip, so the window and its names exist for other connections once this returns.
        std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
        ok_ = true;
    }
    ~XTestWindow()
    {
        if (c_)
            xcb_disconnect(c_);
    }
    bool ok() const { return ok_; }
    xcb_window_t id() const { return w_; }
    xcb_connection_t *connection() const { return c_; }

    void Destroy()
    {
        xcb_destroy_window(c_, w_);
        xcb_flush(c_);
        xcb_aux_sync();
    }

    std::uint32_t Atom(const char *name)
    {
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> r(
            xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, std::uint16_t(std::strlen(name)), name), nullptr),
            &std::free);
        return r ? r->atom : 0;
    }

    // Sends a format-32 ClientMessage to another window (to its creator).
    void Send(xcb_window_t to, std::uint32_t type, std::uint32_t d0, std::uint32_t d1)
    {
        xcb_client_message_event_t ev{};
        ev.response_type = XCB_CLIENT_MESSAGE;
        ev.format = 32;
        ev.window = to;
        ev.type = type;
        ev.data.data32[0] = d0;
        ev.data.data32[1] = d1;
        xcb_send_event(c_, 0, to, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&ev));
        xcb_aux_sync(); // delivered before this returns
    }

    // Client messages received within `ms` (stops early once `want` arrived).
    std::vector<ClientMessage> Receive(int ms, std::size_t want = SIZE_MAX)
    {
        std::vector<ClientMessage> got;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (got.size() < want && std::chrono::steady_clock::now() < end) {
            xcb_generic_event_t *e = xcb_poll_for_event(c_);
            if (!e) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                continue;
            }
            if ((e->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                auto *cm = reinterpret_cast<xcb_client_message_event_t *>(e);
                got.push_back({cm->type, {cm->data.data32[0], cm->data.data32[1], cm->data.data32[2]}});
            }
            std::free(e);
        }
        return got;
    }

private:
    void xcb_aux_sync()
    {
        std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
    }
    xcb_connection_t *c_ = nullptr;
    xcb_window_t w_ = 0;
    bool ok_ = false;
};

} // namespace quaverly::test
