#include "audio/PlayerWindow.h"

#include <QMetaObject>
#include <QSocketNotifier>

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <xcb/xcb.h>

namespace quaverly::audio {

namespace {

xcb_connection_t *Conn(void *c) { return static_cast<xcb_connection_t *>(c); }

xcb_connection_t *Connect(int *screen)
{
    if (!std::getenv("DISPLAY"))
        return nullptr;
    xcb_connection_t *c = xcb_connect(nullptr, screen);
    if (c && xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        c = nullptr;
    }
    return c;
}

std::uint32_t Atom(xcb_connection_t *c, const char *name)
{
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> r(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr), &std::free);
    return r ? r->atom : 0;
}

void SetText(xcb_connection_t *c, XWindow w, std::uint32_t property, std::uint32_t type, const std::string &text)
{
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, property, type, 8, std::uint32_t(text.size()), text.data());
}

} // namespace

PlayerWindow::PlayerWindow(Handler handler, QObject *parent) : QObject(parent), handler_(std::move(handler))
{
    int screenNumber = 0;
    xcb_connection_t *recv = Connect(&screenNumber);
    if (!recv)
        return;
    xcb_connection_t *send = Connect(nullptr);
    if (!send) {
        xcb_disconnect(recv);
        return;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(recv));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem) {
        xcb_disconnect(recv);
        xcb_disconnect(send);
        return;
    }
    const XWindow w = xcb_generate_id(recv);
    const std::uint32_t values[] = {1}; // override-redirect: no window manager ever takes it
    xcb_create_window(recv, XCB_COPY_FROM_PARENT, w, it.data->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, XCB_CW_OVERRIDE_REDIRECT, values);
    SetText(recv, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, Title);
    SetText(recv, w, Atom(recv, "_NET_WM_NAME"), Atom(recv, "UTF8_STRING"), Title);
    const std::string wmClass = std::string("quaverly") + '\0' + ClassName + '\0';
    SetText(recv, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, wmClass);
    playerAtom_ = Atom(recv, "QUAVERLY_PLAYER_MESSAGE");
    sendingDataAtom_ = Atom(recv, "WM_SendingData");
    xcb_flush(recv);

    recv_ = recv;
    send_ = send;
    window_ = w;
    notifier_ = new QSocketNotifier(xcb_get_file_descriptor(recv), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { ReadX(); });
}

PlayerWindow::~PlayerWindow()
{
    if (notifier_)
        notifier_->setEnabled(false);
    {
        std::lock_guard<std::mutex> lock(sendMutex_);
        if (send_)
            xcb_disconnect(Conn(send_));
        send_ = nullptr;
    }
    if (recv_) {
        xcb_destroy_window(Conn(recv_), window_);
        xcb_flush(Conn(recv_));
        xcb_disconnect(Conn(recv_));
    }
}

void PlayerWindow::Post(std::uint32_t msg, std::int32_t wParam, std::int32_t lParam)
{
    if (window_ != 0) {
        xcb_client_message_event_t ev{};
        ev.response_type = XCB_CLIENT_MESSAGE;
        ev.format = 32;
        ev.window = window_;
        ev.type = playerAtom_;
        ev.data.data32[0] = msg;
        ev.data.data32[1] = std::uint32_t(wParam);
        ev.data.data32[2] = std::uint32_t(lParam);
        std::lock_guard<std::mutex> lock(sendMutex_);
        if (send_) {
            // No event mask: the event goes to the window's creator, the receiving connection.
            xcb_send_event(Conn(send_), 0, window_, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&ev));
            // A round trip: when Post returns, the server has queued the
            // message, so it is ordered before anything sent afterwards by
            // any client, as a posted message is.
            std::free(xcb_get_input_focus_reply(Conn(send_), xcb_get_input_focus(Conn(send_)), nullptr));
        }
        return;
    }
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        queue_.push_back({std::int32_t(msg), wParam, lParam});
    }
    QMetaObject::invokeMethod(this, [this] { DrainQueue(); }, Qt::QueuedConnection);
}

void PlayerWindow::PostTitle(std::uint32_t msg, std::int32_t wParam, const std::string &title)
{
    std::int32_t key;
    {
        std::lock_guard<std::mutex> lock(titleMutex_);
        key = nextTitleKey_++;
        if (nextTitleKey_ <= 0)
            nextTitleKey_ = 1;
        titles_[key] = title;
    }
    Post(msg, wParam, key);
}

std::string PlayerWindow::TakeTitle(std::int32_t key)
{
    std::lock_guard<std::mutex> lock(titleMutex_);
    auto it = titles_.find(key);
    if (it == titles_.end())
        return {};
    std::string title = std::move(it->second);
    titles_.erase(it);
    return title;
}

void PlayerWindow::DispatchPending()
{
    if (recv_)
        ReadX();
    else
        DrainQueue();
}

void PlayerWindow::ReadX()
{
    if (!recv_)
        return;
    while (xcb_generic_event_t *e = xcb_poll_for_event(Conn(recv_))) {
        std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> owned(e, &std::free);
        if ((e->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
            continue;
        const auto *cm = reinterpret_cast<const xcb_client_message_event_t *>(e);
        if (cm->format != 32)
            continue;
        if (cm->type == playerAtom_)
            handler_(cm->data.data32[0], std::int32_t(cm->data.data32[1]), std::int32_t(cm->data.data32[2]));
        else if (cm->type == sendingDataAtom_)
            handler_(SendingData, std::int32_t(cm->data.data32[0]), std::int32_t(cm->data.data32[1]));
        if (!recv_)
            return;
    }
    if (xcb_connection_has_error(Conn(recv_)) && notifier_)
        notifier_->setEnabled(false); // the display went away: nothing more will arrive
}

void PlayerWindow::DrainQueue()
{
    for (;;) {
        std::array<std::int32_t, 3> m;
        {
            std::lock_guard<std::mutex> lock(queueMutex_);
            if (queue_.empty())
                return;
            m = queue_.front();
            queue_.pop_front();
        }
        handler_(std::uint32_t(m[0]), m[1], m[2]);
    }
}

} // namespace quaverly::audio
