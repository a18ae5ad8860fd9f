#pragma once
// Small builders for media test files: byte buffers written into a private
// temporary folder that disappears with the fixture.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace quaverly::mediainfo::test {

using ByteVector = std::vector<std::uint8_t>;

inline void PutText(ByteVector& b, std::size_t offset, std::string_view text)
{
    if (b.size() < offset + text.size())
        b.resize(offset + text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        b[offset + i] = static_cast<std::uint8_t>(text[i]);
}

inline void PutLe(ByteVector& b, std::size_t offset, std::uint64_t value, int width)
{
    if (b.size() < offset + width)
        b.resize(offset + width);
    for (int i = 0; i < width; ++i)
        b[offset + i] = static_cast<std::uint8_t>(i < 8 ? value >> (8 * i) : 0);
}

inline void PutBe(ByteVector& b, std::size_t offset, std::uint32_t value, int width)
{
    if (b.size() < offset + width)
        b.resize(offset + width);
    for (int i = 0; i < width; ++i)
        b[offset + i] = static_cast<std::uint8_t>(value >> (8 * (width - 1 - i)));
}

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "quaverly-mi-XXXXXX").string();
        Path = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempFolder()
    {
        std::error_code ignored;
        if (!Path.empty())
            std::filesystem::remove_all(Path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string Write(const std::string& name, const ByteVector& bytes) const
    {
        std::string file = Path + "/" + name;
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return file;
    }
    std::string File(const std::string& name) const { return Path + "/" + name; }
    const std::string& Root() const { return Path; }

private:
    std::string Path;
};

// Runs a shell command line quietly; true when it exited with status 0.
inline bool RunQuietly(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

inline bool HasTool(const std::string& tool)
{
    return RunQuietly("command -v " + tool);
}

} // namespace quaverly::mediainfo::test
