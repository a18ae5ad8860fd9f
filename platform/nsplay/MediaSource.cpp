#include "platform/nsplay/MediaSource.h"

#include "core/PathText.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quaverly::nsplay {

std::string UpperExtension(const std::string &name) { return UpperAscii(ExtensionOf(name)); }

std::optional<std::string> LocalFileProblem(const std::string &path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return "cannot open " + path + ": " + std::strerror(errno);
    if (S_ISDIR(st.st_mode))
        return path + " is a folder";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return "cannot open " + path + ": " + std::strerror(errno);
    ::close(fd);
    return std::nullopt;
}

std::string PathOfFileUrl(const std::string &url)
{
    static const std::string scheme = "file://";
    if (url.size() <= scheme.size() || url.compare(0, scheme.size(), scheme) != 0)
        return {};
    std::string path;
    for (std::size_t i = scheme.size(); i < url.size(); ++i) {
        const auto hex = [&](std::size_t at) {
            const char c = url[at];
            return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        };
        if (url[i] == '%' && i + 2 < url.size() && hex(i + 1) >= 0 && hex(i + 2) >= 0) {
            path += char(hex(i + 1) * 16 + hex(i + 2));
            i += 2;
        } else {
            path += url[i];
        }
    }
    return path;
}

bool IsMidiFile(const std::string &path)
{
    unsigned char head[12] = {};
    ssize_t got = -1;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0) {
        got = ::read(fd, head, sizeof head);
        ::close(fd);
    }
    if (got >= 4 && std::memcmp(head, "MThd", 4) == 0)
        return true;
    if (got >= 12 && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "RMID", 4) == 0)
        return true;
    if (got >= 12)
        return false;
    const std::string ext = UpperExtension(path);
    return ext == ".MID" || ext == ".MIDI" || ext == ".KAR" || ext == ".RMI";
}

std::string FindSoundfont(const std::string &folder)
{
    std::error_code ec;
    std::vector<std::string> found;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::filesystem::path &p = it->path();
        if (UpperExtension(p.filename().string()) != ".SF2")
            continue;
        std::error_code sizeError;
        const auto size = std::filesystem::file_size(p, sizeError);  // follows links
        if (sizeError || size == 0 || LocalFileProblem(p.string()))
            continue;
        found.push_back(p.string());
    }
    if (found.empty())
        return {};
    return *std::min_element(found.begin(), found.end());
}

}  // namespace quaverly::nsplay
