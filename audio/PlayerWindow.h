#pragma once
// PlayerWindow: the audio player's hidden top-level X11 window (never
// mapped) and the one queue of its messages. Every message is handled on the
// UI thread, one at a time, in arrival order.
//
// Two roads lead into the queue:
// - Post, from any thread of this process (the library's sync procedures,
//   the spectrum tick): the message is appended under the queue's lock, with
//   no trip through the X server.
// - ClientMessages that other X clients send to the window (the outside
//   visualisation program's "WM_SendingData"): they are moved from the
//   connection into the queue whenever the queue is touched. A Post first
//   takes in whatever the X server has already delivered to this process, so
//   a command that reached us before a post is handled before it.
//
// The UI thread drains the queue whenever its event loop wakes and when it
// is about to block (a post from the UI thread itself then costs no wake-up
// at all), after the dispatcher's own wake-up that a post from another thread
// makes, and when the connection's socket turns readable. Without a display
// the window is absent and the queue works alone, with the same order and
// thread guarantees.
#include "audio/VisFrame.h"
#include "platform/X11WindowSystem.h"

#include <QObject>

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>

class QAbstractEventDispatcher;
class QSocketNotifier;

namespace quaverly::audio {

class PlayerWindow : public QObject {
    Q_OBJECT
public:
    // The message number the handler sees for "WM_SendingData"; registered
    // messages never collide with the player's own numbers.
    static constexpr std::uint32_t SendingData = 0xC000;
    static constexpr const char *ClassName = visframe::PlayerWindowClass;
    static constexpr const char *Title = visframe::PlayerWindowTitle;
    // The ClientMessage type under which another client may send the
    // player's own messages (number, wParam, lParam in data.l[0..2]).
    static constexpr const char *PlayerMessageAtom = "QUAVERLY_PLAYER_MESSAGE";

    using Handler = std::function<void(std::uint32_t msg, std::int32_t wParam, std::int32_t lParam)>;

    // Lives on the thread that creates it: that is the UI thread.
    explicit PlayerWindow(Handler handler, QObject *parent = nullptr);
    ~PlayerWindow() override;

    XWindow Window() const { return window_; } // 0 without a display

    // Thread-safe. Messages posted after the window is destroyed are lost.
    void Post(std::uint32_t msg, std::int32_t wParam, std::int32_t lParam);

    // Thread-safe: keeps its own copy of `title` and posts `msg` with wParam
    // and the copy's key as lParam; TakeTitle(key) on the UI thread hands it
    // back once. A later title never changes one already posted.
    void PostTitle(std::uint32_t msg, std::int32_t wParam, const std::string &title);
    std::string TakeTitle(std::int32_t key);

    // Handles every message already received (UI thread).
    void DispatchPending();

private:
    using Message = std::array<std::int32_t, 3>;

    // Moves the ClientMessages already delivered by the X server into the
    // queue. Called with queueMutex_ held.
    void TakeInX();
    // `readX`: take in what the X server delivered before handling.
    void Drain(bool readX);
    void DrainIfPosted();

    Handler handler_;
    void *conn_ = nullptr; // xcb_connection_t*; its events are read only under queueMutex_
    XWindow window_ = 0;
    std::uint32_t playerAtom_ = 0;
    std::uint32_t sendingDataAtom_ = 0;
    QSocketNotifier *notifier_ = nullptr;
    QAbstractEventDispatcher *dispatcher_ = nullptr; // of the UI thread; wakeUp() is thread-safe

    std::mutex queueMutex_;
    std::deque<Message> queue_;
    // A drain is on its way: written under queueMutex_, read without it by
    // the loop's wake-up hook.
    std::atomic<bool> drainScheduled_{false};
    bool connectionLost_ = false; // guarded by queueMutex_

    std::mutex titleMutex_;
    std::map<std::int32_t, std::string> titles_;
    std::int32_t nextTitleKey_ = 1;
};

} // namespace quaverly::audio
