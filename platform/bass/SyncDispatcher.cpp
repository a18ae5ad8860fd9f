#include "platform/bass/SyncDispatcher.h"

#include "platform/bass/Channel.h"

#include <cstring>
#include <pthread.h>
#include <sys/mman.h>

namespace quaverly::bass {

char *AllocLowText(const std::string &text, size_t &mapped)
{
    const size_t page = 4096;
    // Two NULs end every text handed out (see BASS_ChannelGetTags).
    mapped = (text.size() + 2 + page - 1) / page * page;
#ifdef MAP_32BIT
    void *p = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
#else
    void *p = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
#endif
    if (p == MAP_FAILED)
        return nullptr;
    if (reinterpret_cast<uintptr_t>(p) + mapped > uintptr_t(0xFFFFFFFFu)) {
        munmap(p, mapped);
        return nullptr;
    }
    auto *c = static_cast<char *>(p);
    std::memcpy(c, text.data(), text.size());
    c[text.size()] = '\0';
    c[text.size() + 1] = '\0';
    return c;
}

void FreeLowText(char *p, size_t mapped)
{
    if (p)
        munmap(p, mapped);
}

SyncDispatcher::~SyncDispatcher()
{
    Stop();
}

bool SyncDispatcher::OnDispatcherThread() const
{
    std::lock_guard lock(mutex_);
    return thread_.joinable() && std::this_thread::get_id() == threadId_;
}

void SyncDispatcher::Post(SyncEvent event)
{
    std::lock_guard lock(mutex_);
    if (!thread_.joinable()) {
        stop_ = false;
        thread_ = std::thread([this] { Loop(); });
        threadId_ = thread_.get_id();
    }
    queue_.push_back(std::move(event));
    wake_.notify_one();
}

void SyncDispatcher::Retire(const std::shared_ptr<Channel> &channel)
{
    std::unique_lock lock(mutex_);
    channel->retired = true;
    for (auto it = queue_.begin(); it != queue_.end();)
        it = it->channel == channel ? queue_.erase(it) : it + 1;
    if (thread_.joinable() && std::this_thread::get_id() == threadId_)
        return;
    idle_.wait(lock, [&] { return running_ != channel.get(); });
}

void SyncDispatcher::Stop()
{
    std::thread t;
    {
        std::lock_guard lock(mutex_);
        if (!thread_.joinable() || std::this_thread::get_id() == threadId_)
            return;
        stop_ = true;
        queue_.clear();
        t = std::move(thread_);
    }
    wake_.notify_all();
    t.join();
}

void SyncDispatcher::Loop()
{
    // Named for itself: started from the device's thread, it would carry that name.
    pthread_setname_np(pthread_self(), "audio-events");
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return stop_ || !queue_.empty(); });
        if (stop_)
            return;
        SyncEvent e = std::move(queue_.front());
        queue_.pop_front();
        if (e.channel->retired)
            continue;
        running_ = e.channel.get();
        lock.unlock();
        size_t mapped = 0;
        char *text = e.hasText ? AllocLowText(e.text, mapped) : nullptr;
        const DWORD data = DWORD(reinterpret_cast<uintptr_t>(text));
        e.proc(e.sync, e.channel->handle(), data, e.user);
        FreeLowText(text, mapped);
        e.channel.reset();
        lock.lock();
        running_ = nullptr;
        idle_.notify_all();
    }
}

}  // namespace quaverly::bass
