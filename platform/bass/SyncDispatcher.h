#pragma once

// The one library thread on which sync procedures run. The audio device's
// thread and the decoding threads only queue events; the dispatcher calls
// each procedure in queue order, without holding any library lock, so a
// procedure may call back into the library. An event whose channel was
// freed in the meantime is dropped, and Retire waits for a procedure of that
// channel that runs at that moment (unless called from the dispatcher
// itself), so none runs after its channel's free returned.

#include "platform/bass/bass.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace quaverly::bass {

class Channel;

struct SyncEvent {
    std::shared_ptr<Channel> channel;
    HSYNC sync;
    SYNCPROC *proc;
    void *user;
    bool hasText;  // data is the address of text (with a NUL added)
    std::string text;
};

class SyncDispatcher {
public:
    SyncDispatcher() = default;
    ~SyncDispatcher();
    SyncDispatcher(const SyncDispatcher &) = delete;
    SyncDispatcher &operator=(const SyncDispatcher &) = delete;

    void Post(SyncEvent event);
    // After this returns no procedure of the channel runs (see above).
    void Retire(const std::shared_ptr<Channel> &channel);
    // Drops what is queued and ends the thread (it restarts on the next Post).
    void Stop();
    [[nodiscard]] bool OnDispatcherThread() const;

private:
    void Loop();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<SyncEvent> queue_;
    const Channel *running_ = nullptr;
    bool stop_ = false;
    std::thread thread_;
    std::thread::id threadId_;
};

// Text handed to a sync procedure as a 32-bit address: it is copied into
// memory mapped below 4 GiB, so the address fits the procedure's data
// argument. Free with FreeLowText; nullptr when no such memory is available.
char *AllocLowText(const std::string &text, size_t &mapped);
void FreeLowText(char *p, size_t mapped);

}  // namespace quaverly::bass
