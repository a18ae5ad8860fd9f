#pragma once
// Remembers which libVLC events of one object have come, so that the user-
// interface thread can wait for them with a bound. libVLC calls OnEvent on
// its own threads; it only records the event and wakes the waiter, nothing
// else. The latch must outlive the object it listens to, so that no
// callback can reach it once freed: Detach it, or release the player first.
#include "platform/nsplay/VlcApi.h"

#include <chrono>
#include <condition_variable>
#include <initializer_list>
#include <mutex>
#include <set>
#include <vector>

namespace quaverly::nsplay {

class EventLatch {
public:
    // Listens to each type on the manager; false when libVLC refused one.
    [[nodiscard]] bool Attach(const VlcApi &api, libvlc_event_manager_t *manager,
                              std::initializer_list<libvlc_event_type_t> types);

    // Stops listening; returns once no callback of this latch still runs.
    void Detach();

    bool Seen(libvlc_event_type_t type) const;
    // Forgets the events seen so far (before a new start of the same object).
    void Clear();
    // The number of events received so far.
    unsigned long Count() const;
    // Blocks until more than `count` events have arrived or the deadline
    // passes; false on the deadline. The caller takes Count(), checks its
    // own condition outside the latch's lock (libVLC is never called with
    // it held), then waits past that count.
    bool WaitPast(unsigned long count, std::chrono::steady_clock::time_point deadline);

private:
    static void OnEvent(const libvlc_event_t *event, void *self);

    const VlcApi *api_ = nullptr;
    libvlc_event_manager_t *manager_ = nullptr;
    std::vector<libvlc_event_type_t> types_;
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::set<int> seen_;
    unsigned long count_ = 0;
};

}  // namespace quaverly::nsplay
