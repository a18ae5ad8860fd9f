#pragma once

// The http side of a URL stream. Open connects (bounded by a deadline, and
// at once for a refused connection) and tells a network file, whose server
// announced a size, from a live stream. A network file is then downloaded
// completely by a background thread into a DownloadBuffer; a live stream is
// read directly, with its ICY metadata. Every blocking read ends when Abort
// is called or when no byte arrived for the stall limit.

#include "platform/bass/ByteSource.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

struct AVIOContext;
struct AVIOInterruptCB;

namespace quaverly::bass {

// How long a server may take: to connect and answer, and between two bytes
// of a stream (BASS_CONFIG_NET_TIMEOUT and BASS_CONFIG_NET_READTIMEOUT).
struct NetworkTimeouts {
    uint32_t openMs = 8000;
    uint32_t stallMs = 10000;
};

// Ends FFmpeg's blocking network calls through their interrupt callback:
// once aborted, or when the deadline passed. The deadline is the open limit
// at first; each Progress moves it to the stall limit from now.
class StallClock {
public:
    void Start(NetworkTimeouts limits);
    void Progress();
    void Abort() { abort_ = true; }
    bool aborted() const { return abort_.load(); }
    // For AVIOInterruptCB / AVFormatContext::interrupt_callback.
    static int Interrupt(void *clock);

private:
    std::atomic<bool> abort_{false};
    std::atomic<int64_t> deadline_{0};  // steady-clock ns; 0: none
    std::atomic<int64_t> stallNs_{0};
};

class NetworkInput {
public:
    // nullptr when the URL cannot be opened (error gets a BASS_ERROR_* code).
    static std::unique_ptr<NetworkInput> Open(const std::string &url, NetworkTimeouts limits, int &error);
    ~NetworkInput();
    NetworkInput(const NetworkInput &) = delete;
    NetworkInput &operator=(const NetworkInput &) = delete;

    // -1 for a live stream.
    int64_t announcedSize() const { return size_; }
    bool isFile() const { return download_ != nullptr; }
    const std::string &mimeType() const { return mime_; }

    // A live stream's http context (read it directly; poll its ICY option).
    AVIOContext *live() const { return live_; }
    // A network file's bytes.
    DownloadBuffer *download() const { return download_.get(); }

    // Starts the background download; onComplete runs on its thread once
    // every byte arrived (not when the download failed).
    void StartDownload(std::function<void()> onComplete);
    // Marks progress of a live read (resets the stall clock).
    void Progress();
    void Abort();
    bool aborted() const { return clock_.aborted(); }

private:
    NetworkInput() = default;
    void DownloadLoop(std::function<void()> onComplete);

    AVIOContext *http_ = nullptr;  // owned, closed with avio_closep
    AVIOContext *live_ = nullptr;  // == http_ for a live stream
    std::unique_ptr<DownloadBuffer> download_;
    int64_t size_ = -1;
    std::string mime_;
    StallClock clock_;
    std::thread thread_;
};

}  // namespace quaverly::bass
