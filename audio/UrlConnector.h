#pragma once
// TUrlConnector: runs the blocking open of a URL on a worker thread of its
// own and hands the result back on the user-interface thread.
//
// Threads. Start() runs `open` on a new worker thread; `open` may use only
// what outlives the connector (the library's entry points). The worker
// stores its result under the lock and posts a queued call to the context
// object; that call, on the user-interface thread, hands the result to
// `deliver`, or to `discard` when the open was cancelled or superseded in
// the meantime. The destructor waits for the worker (the library bounds
// every network wait) and discards a result nobody took.
#include <QObject>

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace quaverly::audio {

class TUrlConnector {
public:
    using Result = std::uint64_t;   // what `open` made; 0 = nothing
    explicit TUrlConnector(QObject *context) : context_(context) {}
    ~TUrlConnector();
    TUrlConnector(const TUrlConnector &) = delete;
    TUrlConnector &operator=(const TUrlConnector &) = delete;

    // Any earlier open is cancelled first. Both callbacks run on the
    // user-interface thread.
    void Start(std::function<Result()> open, std::function<void(Result)> deliver,
               std::function<void(Result)> discard);
    // The pending open's result, when it comes, is discarded.
    void Cancel();
    // Waits for the worker and discards a result nobody took; the owner calls
    // it before what `open` uses goes away. Idempotent.
    void Finish();
    // An open was started and its result has not been delivered or cancelled.
    bool Pending() const { return deliver_ != nullptr; }

private:
    void TakeResult(unsigned generation);
    void Join();

    QObject *context_;
    std::thread worker_;
    std::mutex lock_;
    std::optional<Result> result_;     // under lock_
    unsigned generation_ = 0;          // counts starts; user-interface thread only
    std::function<void(Result)> deliver_;
    std::function<void(Result)> discard_;
};

} // namespace quaverly::audio
