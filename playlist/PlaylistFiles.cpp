#include "playlist/PlaylistFiles.h"
#include "playlist/PosixHandles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <algorithm>
#include <memory>

#include "core/PathText.h"

namespace quaverly {

namespace {

bool WriteFully(int fd, const std::string &bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += size_t(n);
    }
    return true;
}

mode_t NewFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

std::optional<std::string> TPosixPlaylistFiles::ReadAll(const std::string &path)
{
    if (path.empty())
        return std::nullopt;
    FdCloser file{::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    if (file.fd < 0)
        return std::nullopt;
    struct stat st {};
    if (::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    std::string bytes;
    if (st.st_size > 0)
        bytes.reserve(size_t(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(file.fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        if (n == 0)
            break;
        bytes.append(buffer, size_t(n));
    }
    return bytes;
}

bool TPosixPlaylistFiles::WriteAtomic(const std::string &path, const std::string &bytes)
{
    if (path.empty() || path.back() == '/')
        return false;
    std::string folder = FolderOf(path);
    // The temporary name is hidden and does not end in ".m3u", so a search
    // for playlists never sees it.
    std::string temp = folder + "." + FileNameOf(path) + ".tmp-XXXXXX";
    FdCloser file{::mkstemp(temp.data())};
    if (file.fd < 0)
        return false;
    mode_t mode = NewFileMode();
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        mode = old.st_mode & 07777;
    const bool ok = ::fchmod(file.fd, mode) == 0 && WriteFully(file.fd, bytes) && ::fsync(file.fd) == 0;
    const int fd = file.fd;
    file.fd = -1;
    if (::close(fd) != 0 || !ok || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

bool TPosixPlaylistFiles::IsFile(const std::string &path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool TPosixPlaylistFiles::Exists(const std::string &path)
{
    struct stat st {};
    return !path.empty() && ::lstat(path.c_str(), &st) == 0;
}

bool TPosixPlaylistFiles::Remove(const std::string &path)
{
    return !path.empty() && ::unlink(path.c_str()) == 0;
}

std::vector<std::string> TPosixPlaylistFiles::ListPlaylists(const std::string &folder)
{
    std::vector<std::string> names;
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir)
        return names;
    while (const dirent *entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name.empty() || name[0] == '.' || name.size() < 5)
            continue;
        if (!SameTextAscii(std::string_view(name).substr(name.size() - 4), ".m3u"))
            continue;
        struct stat st {};
        const std::string path = folder + name;
        if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
            continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace quaverly
