#include "mediainfo/FileReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace quaverly::mediainfo {

TFileReader::TFileReader(const std::string& fileName)
{
    errno = 0;
    File.reset(std::fopen(fileName.c_str(), "rb"));
    if (!File) {
        FOpenError = errno ? errno : ENOENT;
        return;
    }
    struct stat info {};
    // A directory opens on Linux but cannot be read: treat it as unopened.
    if (fstat(fileno(File.get()), &info) != 0 || !S_ISREG(info.st_mode)) {
        FOpenError = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        File.reset();
        return;
    }
    FileSize = info.st_size;
}

bool TFileReader::ReadAt(std::int64_t offset, std::size_t count, std::vector<std::uint8_t>& out)
{
    out.clear();
    if (!File || offset < 0)
        return false;
    if (fseeko(File.get(), static_cast<off_t>(offset), SEEK_SET) != 0)
        return false;
    out.resize(count);
    std::size_t got = std::fread(out.data(), 1, count, File.get());
    out.resize(got);
    return !std::ferror(File.get());
}

std::size_t TFileReader::ReadPadded(std::int64_t offset, std::size_t count, std::vector<std::uint8_t>& out)
{
    out.assign(count, 0);
    std::size_t skip = 0;
    if (offset < 0) {
        if (static_cast<std::uint64_t>(-offset) >= count)
            return 0;
        skip = static_cast<std::size_t>(-offset);
        offset = 0;
    }
    std::vector<std::uint8_t> got;
    (void)ReadAt(offset, count - skip, got);
    std::copy(got.begin(), got.end(), out.begin() + static_cast<std::ptrdiff_t>(skip));
    return got.size();
}

void TFileReader::RequireOpen(const std::string& fileName) const
{
    if (!File)
        throw TOpenError(OpenErrorMessage(fileName, FOpenError));
}

std::string OpenErrorMessage(const std::string& fileName, int errorCode)
{
    return "cannot open " + fileName + ": " + (errorCode ? std::strerror(errorCode) : "not a regular file");
}

bool TFileReader::ReadExactly(std::int64_t offset, std::size_t count, std::vector<std::uint8_t>& out)
{
    return ReadAt(offset, count, out) && out.size() == count;
}

} // namespace quaverly::mediainfo
