#include "audio/PlayerWindow.h"

#include <QAbstractEventDispatcher>
#include <QSocketNotifier>
#include <QThread>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <xcb/xcb.h>

namespace quaverly::audio {

namespace {

xcb_connection_t *Conn(void *c) { return static_cast<xcb_connection_t *>(c); }

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
    // A post of the UI thread is handled when its event loop next wakes or
    // is about to block; another thread's post wakes the loop through the
    // dispatcher's own wake-up, so nothing of ours is polled or registered
    // per post. The queue itself travels under queueMutex_ alone.
    dispatcher_ = QAbstractEventDispatcher::instance(thread());
    if (dispatcher_) {
        connect(dispatcher_, &QAbstractEventDispatcher::aboutToBlock, this, &PlayerWindow::DrainIfPosted,
                Qt::DirectConnection);
        connect(dispatcher_, &QAbstractEventDispatcher::awake, this, &PlayerWindow::DrainIfPosted,
                Qt::DirectConnection);
    }

    if (!std::getenv("DISPLAY"))
        return;
    int screenNumber = 0;
    xcb_connection_t *c = xcb_connect(nullptr, &screenNumber);
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
    const XWindow w = xcb_generate_id(c);
    const std::uint32_t values[] = {1}; // override-redirect: no window manager ever takes it
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, it.data->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, XCB_CW_OVERRIDE_REDIRECT, values);
    SetText(c, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, Title);
    SetText(c, w, Atom(c, "_NET_WM_NAME"), Atom(c, "UTF8_STRING"), Title);
    const std::string wmClass = std::string("quaverly") + '\0' + ClassName + '\0';
    SetText(c, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, wmClass);
    playerAtom_ = Atom(c, PlayerMessageAtom);
    sendingDataAtom_ = Atom(c, "WM_SendingData");
    xcb_flush(c);

    conn_ = c;
    window_ = w;
    notifier_ = new QSocketNotifier(xcb_get_file_descriptor(c), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { Drain(true); });
}

PlayerWindow::~PlayerWindow()
{
    if (notifier_)
        notifier_->setEnabled(false);
    std::lock_guard<std::mutex> lock(queueMutex_);
    if (conn_) {
        xcb_destroy_window(Conn(conn_), window_);
        xcb_flush(Conn(conn_));
        xcb_disconnect(Conn(conn_));
        conn_ = nullptr;
    }
}

void PlayerWindow::TakeInX()
{
    if (!conn_ || connectionLost_)
        return;
    while (xcb_generic_event_t *e = xcb_poll_for_event(Conn(conn_))) {
        std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> owned(e, &std::free);
        if ((e->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
            continue;
        const auto *cm = reinterpret_cast<const xcb_client_message_event_t *>(e);
        if (cm->format != 32)
            continue;
        if (cm->type == playerAtom_)
            queue_.push_back({std::int32_t(cm->data.data32[0]), std::int32_t(cm->data.data32[1]),
                              std::int32_t(cm->data.data32[2])});
        else if (cm->type == sendingDataAtom_)
            queue_.push_back({std::int32_t(SendingData), std::int32_t(cm->data.data32[0]),
                              std::int32_t(cm->data.data32[1])});
    }
    // The display went away: nothing more will arrive through it.
    connectionLost_ = xcb_connection_has_error(Conn(conn_)) != 0;
}

void PlayerWindow::Post(std::uint32_t msg, std::int32_t wParam, std::int32_t lParam)
{
    QAbstractEventDispatcher *wake = nullptr;
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        TakeInX();
        queue_.push_back({std::int32_t(msg), wParam, lParam});
        if (drainScheduled_.load(std::memory_order_relaxed))
            return;
        drainScheduled_.store(true, std::memory_order_release);
        // The UI thread's own post needs no wake-up: its loop is running.
        if (QThread::currentThread() != thread())
            wake = dispatcher_;
    }
    if (wake)
        wake->wakeUp(); // thread-safe; the loop then wakes and drains
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

void PlayerWindow::DispatchPending() { Drain(true); }

void PlayerWindow::DrainIfPosted()
{
    // Called on every wake-up of the loop: most find nothing posted, and
    // learn so without the lock.
    if (!drainScheduled_.load(std::memory_order_acquire))
        return;
    Drain(false);
}

void PlayerWindow::Drain(bool readX)
{
    // Runs only on the UI thread. The handler is called without the lock, so
    // it may post, and a nested event loop inside it goes on draining in order.
    // After a post the X connection was read by Post itself; what the server
    // delivers later wakes the socket notifier, which reads it.
    bool lost = false;
    for (;;) {
        Message m;
        {
            std::lock_guard<std::mutex> lock(queueMutex_);
            if (readX) {
                TakeInX();
                readX = false;
            }
            if (queue_.empty()) {
                drainScheduled_.store(false, std::memory_order_relaxed);
                lost = connectionLost_;
                break;
            }
            m = queue_.front();
            queue_.pop_front();
        }
        handler_(std::uint32_t(m[0]), m[1], m[2]);
    }
    if (lost && notifier_ && notifier_->isEnabled())
        notifier_->setEnabled(false);
}

} // namespace quaverly::audio
