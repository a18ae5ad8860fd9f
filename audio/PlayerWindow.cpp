#include "audio/PlayerWindow.h"

#include <QAbstractEventDispatcher>
#include <QSocketNotifier>
#include <QThread>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/eventfd.h>
#include <unistd.h>
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
    drainTimer_.setSingleShot(true);
    drainTimer_.setInterval(0);
    connect(&drainTimer_, &QTimer::timeout, this, [this] { Drain(false); });
    // Posts made while the loop runs are handled before it sleeps again.
    if (QAbstractEventDispatcher *d = QAbstractEventDispatcher::instance(thread()))
        connect(d, &QAbstractEventDispatcher::aboutToBlock, this, &PlayerWindow::DrainIfPosted, Qt::DirectConnection);
    // Another thread's post wakes the loop through this counter; the queue
    // itself travels under queueMutex_ alone.
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd_ >= 0) {
        wakeNotifier_ = new QSocketNotifier(wakeFd_, QSocketNotifier::Read, this);
        connect(wakeNotifier_, &QSocketNotifier::activated, this, [this] {
            eventfd_t count = 0;
            [[maybe_unused]] const int ignored = eventfd_read(wakeFd_, &count);
            Drain(false);
        });
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
    if (wakeNotifier_) {
        wakeNotifier_->setEnabled(false);
        delete wakeNotifier_;
        wakeNotifier_ = nullptr;
    }
    std::lock_guard<std::mutex> lock(queueMutex_);
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
    wakeFd_ = -1;
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
    const bool onUiThread = QThread::currentThread() == thread();
    bool startTimer = false;
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        TakeInX();
        queue_.push_back({std::int32_t(msg), wParam, lParam});
        if (drainScheduled_)
            return;
        drainScheduled_ = true;
        if (onUiThread)
            startTimer = true;
        else if (wakeFd_ >= 0)
            eventfd_write(wakeFd_, 1); // under the lock: the counter cannot close meanwhile
    }
    if (startTimer)
        drainTimer_.start(); // usually the loop drains before it blocks and this never fires
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
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        if (!drainScheduled_)
            return;
    }
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
                drainScheduled_ = false;
                lost = connectionLost_;
                break;
            }
            m = queue_.front();
            queue_.pop_front();
        }
        handler_(std::uint32_t(m[0]), m[1], m[2]);
    }
    if (drainTimer_.isActive())
        drainTimer_.stop();
    if (lost && notifier_ && notifier_->isEnabled())
        notifier_->setEnabled(false);
}

} // namespace quaverly::audio
