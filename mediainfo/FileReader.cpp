#include "mediainfo/FileReader.h"

#include <sys/stat.h>

namespace quaverly::mediainfo {

TFileReader::TFileReader(const std::string& fileName)
    : File(std::fopen(fileName.c_str(), "rb"))
{
    if (!File)
        return;
    struct stat info {};
    // A directory opens on Linux but cannot be read: treat it as unopened.
    if (fstat(fileno(File.get()), &info) != 0 || !S_ISREG(info.st_mode)) {
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

bool TFileReader::ReadExactly(std::int64_t offset, std::size_t count, std::vector<std::uint8_t>& out)
{
    return ReadAt(offset, count, out) && out.size() == count;
}

} // namespace quaverly::mediainfo
