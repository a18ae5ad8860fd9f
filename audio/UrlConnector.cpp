#include "audio/UrlConnector.h"

#include <utility>

namespace quaverly::audio {

TUrlConnector::~TUrlConnector()
{
    Finish();
}

void TUrlConnector::Finish()
{
    deliver_ = nullptr;
    Join();
    std::optional<Result> left;
    {
        std::lock_guard<std::mutex> guard(lock_);
        left = std::exchange(result_, std::nullopt);
    }
    if (left && *left && discard_)
        discard_(*left);
}

void TUrlConnector::Join()
{
    if (worker_.joinable())
        worker_.join();
}

void TUrlConnector::Start(std::function<Result()> open, std::function<void(Result)> deliver,
                          std::function<void(Result)> discard)
{
    Cancel();
    // One worker at a time: a cancelled open still running is waited for
    // (the library bounds it), and its result is discarded.
    Join();
    std::optional<Result> stale;
    {
        std::lock_guard<std::mutex> guard(lock_);
        stale = std::exchange(result_, std::nullopt);
    }
    if (stale && *stale && discard_)
        discard_(*stale);

    const unsigned generation = ++generation_;
    deliver_ = std::move(deliver);
    discard_ = std::move(discard);
    worker_ = std::thread([this, generation, open = std::move(open)] {
        const Result made = open();
        {
            std::lock_guard<std::mutex> guard(lock_);
            result_ = made;
        }
        QMetaObject::invokeMethod(context_, [this, generation] { TakeResult(generation); }, Qt::QueuedConnection);
    });
}

void TUrlConnector::Cancel()
{
    deliver_ = nullptr;
}

void TUrlConnector::TakeResult(unsigned generation)
{
    if (generation != generation_)
        return;
    Join();
    std::optional<Result> made;
    {
        std::lock_guard<std::mutex> guard(lock_);
        made = std::exchange(result_, std::nullopt);
    }
    if (!made)
        return;
    if (auto deliver = std::exchange(deliver_, nullptr))
        deliver(*made);
    else if (*made && discard_)
        discard_(*made);
}

} // namespace quaverly::audio
