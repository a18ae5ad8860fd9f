#pragma once
// The readers open files by name, so each fuzz input is written to one
// private file that the reader under test then reads as any file.
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace quaverly::mediainfo::fuzz {

inline const std::string& WriteInput(const std::uint8_t* data, std::size_t size, const char* extension)
{
    static const std::string path = "/tmp/quaverly-fuzz-" + std::to_string(getpid()) + extension;
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    return path;
}

} // namespace quaverly::mediainfo::fuzz
