#include "mediainfo/FileReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quaverly::mediainfo {

TFileReader::TFileReader(const std::string& fileName)
{
    Fd = open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (Fd < 0) {
        FOpenError = errno ? errno : ENOENT;
        return;
    }
    struct stat info {};
    // A directory opens on Linux but cannot be read: treat it as unopened.
    if (fstat(Fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        FOpenError = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        close(Fd);
        Fd = -1;
        return;
    }
    FileSize = info.st_size;
}

TFileReader::~TFileReader()
{
    if (Fd >= 0)
        close(Fd);
}

void TFileReader::RequireOpen(const std::string& fileName) const
{
    if (Fd < 0)
        throw TOpenError(OpenErrorMessage(fileName, FOpenError));
}

const TFileReader::Page* TFileReader::PageAt(std::int64_t index)
{
    for (const Page& page : Pages)
        if (page.Index == index)
            return &page;
    Page& page = Pages[NextVictim];
    NextVictim = (NextVictim + 1) % Pages.size();
    page.Index = -1;
    std::size_t got = 0;
    const auto start = static_cast<off_t>(index * static_cast<std::int64_t>(PageSize));
    while (got < PageSize) {
        const ssize_t n = pread(Fd, page.Bytes.data() + got, PageSize - got, start + static_cast<off_t>(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return nullptr;
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    page.Index = index;
    page.Length = got;
    return &page;
}

bool TFileReader::ReadAt(std::int64_t offset, std::size_t count, std::vector<std::uint8_t>& out)
{
    out.clear();
    if (Fd < 0 || offset < 0)
        return false;
    if (offset >= FileSize || count == 0)
        return true;
    const auto available = static_cast<std::uint64_t>(FileSize - offset);
    const std::size_t wanted = count < available ? count : static_cast<std::size_t>(available);
    out.reserve(wanted);
    std::int64_t position = offset;
    while (out.size() < wanted) {
        const Page* page = PageAt(position / static_cast<std::int64_t>(PageSize));
        if (!page)
            return false;
        const auto within = static_cast<std::size_t>(position % static_cast<std::int64_t>(PageSize));
        if (within >= page->Length)
            break; // the file shrank since it was opened
        const std::size_t take = std::min(page->Length - within, wanted - out.size());
        out.insert(out.end(), page->Bytes.begin() + static_cast<std::ptrdiff_t>(within),
                   page->Bytes.begin() + static_cast<std::ptrdiff_t>(within + take));
        position += static_cast<std::int64_t>(take);
    }
    return true;
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

std::string OpenErrorMessage(const std::string& fileName, int errorCode)
{
    return "cannot open " + fileName + ": " + (errorCode ? std::strerror(errorCode) : "not a regular file");
}

bool TFileReader::ReadExactly(std::int64_t offset, std::size_t count, std::vector<std::uint8_t>& out)
{
    return ReadAt(offset, count, out) && out.size() == count;
}

} // namespace quaverly::mediainfo
