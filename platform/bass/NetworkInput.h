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
#include <functional>
#include <memory>
#include <string>
#include <thread>

struct AVIOContext;
struct AVIOInterruptCB;

namespace quaverly::bass {

class NetworkInput {
public:
    static constexpr std::chrono::seconds kOpenLimit{8};
    static constexpr std::chrono::seconds kStallLimit{10};

    // nullptr when the URL cannot be opened (error gets a BASS_ERROR_* code).
    static std::unique_ptr<NetworkInput> Open(const std::string &url, int &error);
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
    bool aborted() const { return abort_.load(); }

private:
    NetworkInput() = default;
    static int Interrupt(void *self);
    void DownloadLoop(std::function<void()> onComplete);

    AVIOContext *http_ = nullptr;  // owned, closed with avio_closep
    AVIOContext *live_ = nullptr;  // == http_ for a live stream
    std::unique_ptr<DownloadBuffer> download_;
    int64_t size_ = -1;
    std::string mime_;
    std::atomic<bool> abort_{false};
    std::atomic<int64_t> deadline_{0};  // steady-clock ns; 0: none
    std::thread thread_;
};

}  // namespace quaverly::bass
