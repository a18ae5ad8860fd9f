#pragma once

// Byte sources behind the demuxer: a file (or a range of it), a block of
// memory, and a network download that grows while it is read. Each one is
// wrapped into an AVIOContext by MakeAvio, so FFmpeg never opens files itself.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct AVIOContext;

namespace quaverly::bass {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to n bytes at pos; 0 at the end, -1 on an error or an abort.
    virtual int64_t ReadAt(int64_t pos, uint8_t *buf, int64_t n) = 0;
    // Total size in bytes, -1 when unknown.
    virtual int64_t Size() const = 0;
};

// A part of a file: [offset, offset + length), length 0 meaning "to its end".
class FileByteSource : public ByteSource {
public:
    static std::unique_ptr<FileByteSource> Open(const std::string &path, uint64_t offset, uint64_t length);
    ~FileByteSource() override;
    int64_t ReadAt(int64_t pos, uint8_t *buf, int64_t n) override;
    int64_t Size() const override { return size_; }

private:
    FileByteSource(int fd, int64_t offset, int64_t size) : fd_(fd), offset_(offset), size_(size) {}
    int fd_;
    int64_t offset_;
    int64_t size_;
};

// Memory the caller keeps alive (or that this object owns).
class MemoryByteSource : public ByteSource {
public:
    MemoryByteSource(const uint8_t *data, int64_t size) : data_(data), size_(size) {}
    explicit MemoryByteSource(std::vector<uint8_t> owned)
        : owned_(std::move(owned)), data_(owned_.data()), size_(int64_t(owned_.size()))
    {
    }
    int64_t ReadAt(int64_t pos, uint8_t *buf, int64_t n) override;
    int64_t Size() const override { return size_; }

private:
    std::vector<uint8_t> owned_;
    const uint8_t *data_;
    int64_t size_;
};

// The bytes of a network file as they arrive. The downloader appends and
// finally calls Finish; readers block until their bytes are there, the
// download ended, or Abort was called.
class DownloadBuffer : public ByteSource {
public:
    explicit DownloadBuffer(int64_t announcedSize);
    int64_t ReadAt(int64_t pos, uint8_t *buf, int64_t n) override;
    int64_t Size() const override { return announced_; }

    void Append(const uint8_t *data, size_t n);
    void Finish(bool complete);
    void Abort();
    [[nodiscard]] bool complete() const;
    int64_t downloaded() const;
    // A copy of everything downloaded (for re-reading a complete file).
    std::vector<uint8_t> Snapshot() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<uint8_t> bytes_;
    int64_t announced_;
    bool finished_ = false;
    bool complete_ = false;
    bool aborted_ = false;
};

// An AVIOContext reading from source (not owned; it must outlive the
// context). Free it with FreeAvio.
AVIOContext *MakeAvio(ByteSource *source, bool seekable);
void FreeAvio(AVIOContext *&avio);

}  // namespace quaverly::bass
