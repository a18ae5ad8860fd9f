#pragma once
// The 128-byte tag that may end an audio file (versions 1.0 and 1.1). The MPEG
// reader owns one to learn whether the file's last 128 bytes are audio.
#include "mediainfo/ByteReader.h"

#include <cstdint>
#include <string>

namespace quaverly::mediainfo {

class TFileReader;

inline constexpr std::size_t Id3v1TagSize = 128;

class TId3v1Tag {
public:
    TId3v1Tag() { ClearInfo(); }

    void ClearInfo();
    // True when the file's last 128 bytes could be read, tag or not.
    [[nodiscard]] bool ReadInfo(const std::string& fileName);
    // The same on a file already open (the MPEG reader shares its own).
    [[nodiscard]] bool ReadInfo(TFileReader& file);
    // Parses the last 128 bytes of a file (the pure step of ReadInfo).
    void ParseTag(Bytes tail);

    bool Exists() const { return FExists; }
    std::uint8_t VersionID() const { return FVersionID; } // 1 = v1.0, 2 = v1.1
    // Texts keep the file's 8-bit bytes, without conversion.
    const std::string& Title() const { return FTitle; }
    const std::string& Artist() const { return FArtist; }
    const std::string& Album() const { return FAlbum; }
    const std::string& Year() const { return FYear; }
    const std::string& Comment() const { return FComment; }
    std::uint8_t Track() const { return FTrack; }     // 0 when absent
    std::uint8_t GenreID() const { return FGenreID; } // 255 when absent

private:
    bool FExists = false;
    std::uint8_t FVersionID = 1;
    std::string FTitle, FArtist, FAlbum, FYear, FComment;
    std::uint8_t FTrack = 0;
    std::uint8_t FGenreID = 255;
};

} // namespace quaverly::mediainfo
