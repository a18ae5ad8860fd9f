#pragma once
// Reads the few blocks a media reader needs from a file. The file is opened
// for the life of the object and closed on every path. Reads go through a
// small cache of 4 KiB pages filled with pread, so the many small reads of a
// header walk cost one system call per page and none for positioning.
#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace quaverly::mediainfo {

// A file a reader was asked to read could not be opened.
class TOpenError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The message of the last failed open of `fileName`, from errno.
std::string OpenErrorMessage(const std::string& fileName, int errorCode);

class TFileReader {
public:
    explicit TFileReader(const std::string& fileName);
    ~TFileReader();
    TFileReader(const TFileReader&) = delete;
    TFileReader& operator=(const TFileReader&) = delete;

    [[nodiscard]] bool IsOpen() const { return Fd >= 0; }
    // Why the file is not open (an errno value; EISDIR for a folder).
    int OpenErrorCode() const { return FOpenError; }
    // Throws TOpenError when the file is not open.
    void RequireOpen(const std::string& fileName) const;
    // Size in bytes, or -1 when it cannot be told.
    [[nodiscard]] std::int64_t Size() const { return FileSize; }
    // Reads up to `count` bytes at `offset`; fewer at the end of the file.
    // Returns false on an I/O error or a negative offset.
    [[nodiscard]] bool ReadAt(std::int64_t offset, std::size_t count, std::vector<std::uint8_t>& out);
    // As ReadAt, but a short read is an error too.
    [[nodiscard]] bool ReadExactly(std::int64_t offset, std::size_t count, std::vector<std::uint8_t>& out);
    // Always `count` bytes: what lies past the end of the file, or could not
    // be read, is left zero. Offsets before the start of the file read as zero
    // too. Returns the number of bytes actually read.
    std::size_t ReadPadded(std::int64_t offset, std::size_t count, std::vector<std::uint8_t>& out);

    static constexpr std::size_t PageSize = 4096;

private:
    struct Page {
        std::int64_t Index = -1; // page number in the file, -1 when empty
        std::size_t Length = 0;  // bytes held (fewer in the last page)
        std::array<std::uint8_t, PageSize> Bytes;
    };
    // The page holding `index`, read when not cached; nullptr on an I/O error.
    const Page* PageAt(std::int64_t index);

    int Fd = -1;
    std::int64_t FileSize = -1;
    int FOpenError = 0;
    std::array<Page, 4> Pages;
    std::size_t NextVictim = 0;
};

} // namespace quaverly::mediainfo
