#pragma once
// PlayerWindow: the audio player's hidden top-level X11 window (never
// mapped). Library threads post messages to it from any thread; the outside
// visualisation program sends it the registered message "WM_SendingData".
// Both arrive as ClientMessages through the X server, so the handler sees
// them on the UI thread, one at a time, in arrival order.
//
// Posting uses a second connection guarded by a mutex, and returns once the
// server has queued the message; the receiving
// connection is read only on the UI thread (a QSocketNotifier on its socket),
// so no event can sit unseen in xcb's queue. Without a display the window
// falls back to an in-process queue drained by the Qt event loop, with the
// same order and thread guarantees.
#include "audio/VisFrame.h"
#include "platform/X11WindowSystem.h"

#include <QObject>

#include <cstdint>
#include <array>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>

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

    using Handler = std::function<void(std::uint32_t msg, std::int32_t wParam, std::int32_t lParam)>;

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
    void ReadX();
    void DrainQueue();

    Handler handler_;
    void *recv_ = nullptr;   // xcb_connection_t*, UI thread only
    void *send_ = nullptr;   // xcb_connection_t*, under sendMutex_
    std::mutex sendMutex_;
    XWindow window_ = 0;
    std::uint32_t playerAtom_ = 0;
    std::uint32_t sendingDataAtom_ = 0;
    QSocketNotifier *notifier_ = nullptr;

    std::mutex queueMutex_; // without a display
    std::deque<std::array<std::int32_t, 3>> queue_;

    std::mutex titleMutex_;
    std::map<std::int32_t, std::string> titles_;
    std::int32_t nextTitleKey_ = 1;
};

} // namespace quaverly::audio
