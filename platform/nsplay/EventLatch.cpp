#include "platform/nsplay/EventLatch.h"

namespace quaverly::nsplay {

bool EventLatch::Attach(const VlcApi &api, libvlc_event_manager_t *manager,
                        std::initializer_list<libvlc_event_type_t> types)
{
    if (!manager)
        return false;
    api_ = &api;
    manager_ = manager;
    for (const libvlc_event_type_t type : types) {
        if (api.libvlc_event_attach(manager, type, &EventLatch::OnEvent, this) != 0)
            return false;
        types_.push_back(type);
    }
    return true;
}

void EventLatch::Detach()
{
    // libVLC sends an event under its manager's lock, so a detach also waits
    // for a callback that is running.
    if (!manager_)
        return;
    for (const libvlc_event_type_t type : types_)
        api_->libvlc_event_detach(manager_, type, &EventLatch::OnEvent, this);
    types_.clear();
    manager_ = nullptr;
}

void EventLatch::OnEvent(const libvlc_event_t *event, void *self)
{
    auto *latch = static_cast<EventLatch *>(self);
    {
        std::lock_guard<std::mutex> lock(latch->mutex_);
        latch->seen_.insert(event->type);
        ++latch->count_;
    }
    latch->arrived_.notify_all();
}

bool EventLatch::Seen(libvlc_event_type_t type) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_.count(type) != 0;
}

void EventLatch::Clear()
{
    std::lock_guard<std::mutex> lock(mutex_);
    seen_.clear();
}

unsigned long EventLatch::Count() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return count_;
}

bool EventLatch::WaitPast(unsigned long count, std::chrono::steady_clock::time_point deadline)
{
    std::unique_lock<std::mutex> lock(mutex_);
    return arrived_.wait_until(lock, deadline, [&] { return count_ > count; });
}

}  // namespace quaverly::nsplay
