#pragma once
// Reads the few blocks a media reader needs from a file. The file is opened
// for the life of the object and closed on every path.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace quaverly::mediainfo {

class TFileReader {
public:
    explicit TFileReader(const std::string& fileName);

    [[nodiscard]] bool IsOpen() const { return File != nullptr; }
    // Size in bytes, or -1 when it cannot be told.
    [[nodiscard]] std::int64_t Size() const { return FileSize; }
    // Reads up to `count` bytes at `offset`; fewer at the end of the file.
    // Returns false on an I/O error or a negative offset.
    [[nodiscard]] bool ReadAt(std::int64_t offset, std::size_t count, std::vector<std::uint8_t>& out);
    // As ReadAt, but a short read is an error too.
    [[nodiscard]] bool ReadExactly(std::int64_t offset, std::size_t count, std::vector<std::uint8_t>& out);

private:
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> File;
    std::int64_t FileSize = -1;
};

} // namespace quaverly::mediainfo
