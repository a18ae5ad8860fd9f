// Owners of POSIX file descriptors and folder streams, closed on scope exit.
#pragma once

#include <dirent.h>
#include <unistd.h>

namespace quaverly {

struct FdCloser {
    int fd = -1;
    ~FdCloser()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

struct DirCloser {
    void operator()(DIR *dir) const { ::closedir(dir); }
};

}  // namespace quaverly
