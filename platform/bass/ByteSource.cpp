#include "platform/bass/ByteSource.h"

#include "platform/bass/Ffmpeg.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quaverly::bass {

std::unique_ptr<FileByteSource> FileByteSource::Open(const std::string &path, uint64_t offset, uint64_t length)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || uint64_t(st.st_size) < offset) {
        ::close(fd);
        return nullptr;
    }
    uint64_t size = uint64_t(st.st_size) - offset;
    if (length != 0 && length < size)
        size = length;
    return std::unique_ptr<FileByteSource>(new FileByteSource(fd, int64_t(offset), int64_t(size)));
}

FileByteSource::~FileByteSource()
{
    ::close(fd_);
}

int64_t FileByteSource::ReadAt(int64_t pos, uint8_t *buf, int64_t n)
{
    if (pos < 0)
        return -1;
    if (pos >= size_)
        return 0;
    n = std::min(n, size_ - pos);
    const ssize_t got = ::pread(fd_, buf, size_t(n), offset_ + pos);
    return got < 0 ? -1 : int64_t(got);
}

int64_t MemoryByteSource::ReadAt(int64_t pos, uint8_t *buf, int64_t n)
{
    if (pos < 0)
        return -1;
    if (pos >= size_)
        return 0;
    n = std::min(n, size_ - pos);
    std::memcpy(buf, data_ + pos, size_t(n));
    return n;
}

DownloadBuffer::DownloadBuffer(int64_t announcedSize) : announced_(announcedSize)
{
    if (announcedSize > 0)
        bytes_.reserve(size_t(announcedSize));
}

int64_t DownloadBuffer::ReadAt(int64_t pos, uint8_t *buf, int64_t n)
{
    if (pos < 0)
        return -1;
    std::unique_lock lock(mutex_);
    arrived_.wait(lock, [&] { return aborted_ || finished_ || int64_t(bytes_.size()) > pos; });
    if (aborted_)
        return -1;
    const int64_t have = int64_t(bytes_.size());
    if (pos >= have)
        return 0;  // the download ended before this point
    n = std::min(n, have - pos);
    std::memcpy(buf, bytes_.data() + pos, size_t(n));
    return n;
}

void DownloadBuffer::Append(const uint8_t *data, size_t n)
{
    {
        std::lock_guard lock(mutex_);
        bytes_.insert(bytes_.end(), data, data + n);
    }
    arrived_.notify_all();
}

void DownloadBuffer::Finish(bool complete)
{
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
        complete_ = complete;
    }
    arrived_.notify_all();
}

void DownloadBuffer::Abort()
{
    {
        std::lock_guard lock(mutex_);
        aborted_ = true;
    }
    arrived_.notify_all();
}

bool DownloadBuffer::complete() const
{
    std::lock_guard lock(mutex_);
    return complete_;
}

int64_t DownloadBuffer::downloaded() const
{
    std::lock_guard lock(mutex_);
    return int64_t(bytes_.size());
}

std::vector<uint8_t> DownloadBuffer::Snapshot() const
{
    std::lock_guard lock(mutex_);
    return bytes_;
}

namespace {

struct AvioState {
    ByteSource *source;
    int64_t pos = 0;
};

int ReadPacket(void *opaque, uint8_t *buf, int size)
{
    auto *s = static_cast<AvioState *>(opaque);
    const int64_t got = s->source->ReadAt(s->pos, buf, size);
    if (got < 0)
        return AVERROR(EIO);
    if (got == 0)
        return AVERROR_EOF;
    s->pos += got;
    return int(got);
}

int64_t Seek(void *opaque, int64_t offset, int whence)
{
    auto *s = static_cast<AvioState *>(opaque);
    const int64_t size = s->source->Size();
    if (whence & AVSEEK_SIZE)
        return size >= 0 ? size : AVERROR(ENOSYS);
    int64_t target;
    switch (whence & ~AVSEEK_FORCE) {
    case SEEK_SET: target = offset; break;
    case SEEK_CUR: target = s->pos + offset; break;
    case SEEK_END:
        if (size < 0)
            return AVERROR(ENOSYS);
        target = size + offset;
        break;
    default: return AVERROR(EINVAL);
    }
    if (target < 0)
        return AVERROR(EINVAL);
    s->pos = target;
    return target;
}

}  // namespace

AVIOContext *MakeAvio(ByteSource *source, bool seekable)
{
    constexpr int kBufferSize = 32768;
    if (!LoadFfmpeg())
        return nullptr;
    auto *buffer = static_cast<uint8_t *>(av.av_malloc(kBufferSize));
    if (!buffer)
        return nullptr;
    auto *state = new AvioState{source};
    AVIOContext *avio = av.avio_alloc_context(buffer, kBufferSize, 0, state, ReadPacket, nullptr, Seek);
    if (!avio) {
        av.av_free(buffer);
        delete state;
        return nullptr;
    }
    avio->seekable = seekable ? AVIO_SEEKABLE_NORMAL : 0;
    return avio;
}

void FreeAvio(AVIOContext *&avio)
{
    if (!avio)
        return;
    delete static_cast<AvioState *>(avio->opaque);
    av.av_freep(&avio->buffer);
    av.avio_context_free(&avio);
}

}  // namespace quaverly::bass
