#include "platform/InstanceLock.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quaverly {

std::string InstanceLock::DefaultFolder()
{
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime)
        return runtime;
    const char *tmp = std::getenv("TMPDIR");
    std::string base = (tmp && *tmp) ? tmp : "/tmp";
    std::string folder = base + "/quaverly-" + std::to_string(getuid());
    // Per user and private, so another user cannot hold our lock.
    mkdir(folder.c_str(), 0700);
    return folder;
}

InstanceLock::InstanceLock(const std::string &folder)
{
    path_ = (folder.empty() ? DefaultFolder() : folder) + "/" + kFileName;
    fd_ = open(path_.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
    if (fd_ < 0) {
        result_ = Result::CouldNotCreate;
        return;
    }
    if (flock(fd_, LOCK_EX | LOCK_NB) == 0) {
        result_ = Result::Acquired;
        return;
    }
    result_ = (errno == EWOULDBLOCK) ? Result::HeldByAnother : Result::CouldNotCreate;
    close(fd_);
    fd_ = -1;
}

InstanceLock::~InstanceLock()
{
    if (fd_ >= 0)
        close(fd_);  // releases the flock
}

}  // namespace quaverly
