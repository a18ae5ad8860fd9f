#include "platform/bass/NetworkInput.h"

#include "platform/bass/Ffmpeg.h"
#include "platform/bass/bass.h"

#include <string>

namespace quaverly::bass {

namespace {

int64_t NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The largest network file kept in memory; a bigger one plays as a stream.
constexpr int64_t kMaxDownload = int64_t(512) << 20;

}  // namespace

void StallClock::Start(NetworkTimeouts limits)
{
    stallNs_ = int64_t(limits.stallMs) * 1000000;
    deadline_ = NowNs() + int64_t(limits.openMs) * 1000000;
}

void StallClock::Progress()
{
    deadline_ = NowNs() + stallNs_.load();
}

int StallClock::Interrupt(void *clock)
{
    auto *c = static_cast<StallClock *>(clock);
    if (c->abort_.load())
        return 1;
    const int64_t deadline = c->deadline_.load();
    return deadline != 0 && NowNs() > deadline ? 1 : 0;
}

std::unique_ptr<NetworkInput> NetworkInput::Open(const std::string &url, NetworkTimeouts limits, int &error)
{
    std::unique_ptr<NetworkInput> n(new NetworkInput);
    n->clock_.Start(limits);
    AVIOInterruptCB cb{&StallClock::Interrupt, &n->clock_};
    AVDictionary *opts = nullptr;
    av.av_dict_set(&opts, "icy", "1", 0);
    av.av_dict_set(&opts, "user_agent", "Quaverly/1.0", 0);
    av.av_dict_set(&opts, "rw_timeout", std::to_string(int64_t(limits.stallMs) * 1000).c_str(), 0);
    av.av_dict_set(&opts, "timeout", std::to_string(int64_t(limits.openMs) * 1000).c_str(), 0);
    av.av_dict_set(&opts, "reconnect", "0", 0);
    const int r = av.avio_open2(&n->http_, url.c_str(), AVIO_FLAG_READ, &cb, &opts);
    av.av_dict_free(&opts);
    if (r < 0 || !n->http_) {
        error = BASS_ERROR_FILEOPEN;
        return nullptr;
    }
    uint8_t *mime = nullptr;
    if (av.av_opt_get(n->http_, "mime_type", AV_OPT_SEARCH_CHILDREN, &mime) >= 0 && mime)
        n->mime_ = reinterpret_cast<char *>(mime);
    av.av_free(mime);
    const int64_t size = av.avio_size(n->http_);
    if (size > 0 && size <= kMaxDownload) {
        n->size_ = size;
        n->download_ = std::make_unique<DownloadBuffer>(size);
    } else {
        n->live_ = n->http_;
    }
    n->Progress();
    return n;
}

NetworkInput::~NetworkInput()
{
    Abort();
    if (thread_.joinable())
        thread_.join();
    av.avio_closep(&http_);
}

void NetworkInput::Progress()
{
    clock_.Progress();
}

void NetworkInput::Abort()
{
    clock_.Abort();
    if (download_)
        download_->Abort();
}

void NetworkInput::StartDownload(std::function<void()> onComplete)
{
    if (!download_ || thread_.joinable())
        return;
    thread_ = std::thread([this, done = std::move(onComplete)]() mutable { DownloadLoop(std::move(done)); });
}

void NetworkInput::DownloadLoop(std::function<void()> onComplete)
{
    std::vector<uint8_t> chunk(65536);
    bool complete = false;
    Progress();
    for (;;) {
        const int got = av.avio_read_partial(http_, chunk.data(), int(chunk.size()));
        if (got > 0) {
            Progress();
            download_->Append(chunk.data(), size_t(got));
            if (download_->downloaded() >= size_) {
                complete = true;
                break;
            }
            continue;
        }
        if (got == 0)
            continue;  // nothing yet; the stall clock still runs
        break;  // end of data, an error, a stall or an abort
    }
    download_->Finish(complete);
    if (complete && !clock_.aborted() && onComplete)
        onComplete();
}

}  // namespace quaverly::bass
