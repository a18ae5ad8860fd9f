#include "platform/AtomicFile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quaverly {

namespace {

std::string FolderOf(const std::string &path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, const char *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= std::size_t(n);
    }
    return true;
}

}  // namespace

TAtomicFileWriter::TAtomicFileWriter(std::string path) : path_(std::move(path))
{
    temp_ = path_ + ".tmpXXXXXX";
    fd_ = ::mkostemp(temp_.data(), O_CLOEXEC);
    if (fd_ < 0) {
        error_ = errno;
        temp_.clear();
        return;
    }
    struct stat old {};
    const mode_t mode = ::stat(path_.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    if (::fchmod(fd_, mode) != 0)
        Fail();
}

TAtomicFileWriter::~TAtomicFileWriter()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (!committed_ && !temp_.empty())
        ::unlink(temp_.c_str());
}

bool TAtomicFileWriter::Fail()
{
    if (error_ == 0)
        error_ = errno ? errno : EIO;
    return false;
}

bool TAtomicFileWriter::Write(std::string_view bytes)
{
    if (fd_ < 0 || error_ != 0)
        return false;
    return WriteAll(fd_, bytes.data(), bytes.size()) || Fail();
}

bool TAtomicFileWriter::CopyFrom(const std::string &source, std::int64_t offset)
{
    if (fd_ < 0 || error_ != 0)
        return false;
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return Fail();
    bool ok = ::lseek(in, off_t(offset), SEEK_SET) == off_t(offset);
    char buffer[65536];
    while (ok) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        ok = WriteAll(fd_, buffer, std::size_t(n));
    }
    if (!ok)
        Fail();
    ::close(in);
    return ok;
}

bool TAtomicFileWriter::Commit()
{
    if (fd_ < 0 || error_ != 0)
        return false;
    const bool synced = ::fsync(fd_) == 0;
    if (!synced)
        Fail();
    const int closed = ::close(fd_);
    fd_ = -1;
    if (!synced || closed != 0 || ::rename(temp_.c_str(), path_.c_str()) != 0)
        return Fail();
    committed_ = true;
    const int folder = ::open(FolderOf(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);   // makes the rename itself durable
        ::close(folder);
    }
    return true;
}

}  // namespace quaverly
