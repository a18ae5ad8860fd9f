#pragma once
// Properties and tags of a Windows Media Audio file, from the objects of its
// ASF header: file properties, stream properties, content description and
// extended content description. Bodies of other objects are skipped by
// positioning, never read.
#include <array>
#include <cstdint>
#include <string>

namespace quaverly::mediainfo {

class TFileReader;

// Everything one walk of the header gathers.
struct WmaFileData {
    std::int32_t FileSize = 0;
    std::int32_t MaxBitRate = 0; // bit/s
    std::uint16_t Channels = 0;
    std::int32_t SampleRate = 0; // Hz
    std::int32_t ByteRate = 0;   // average bytes per second
    // Title, artist, album, track, year, genre, comment.
    std::array<std::u16string, 7> Tag;
};

class TWmaInfo {
public:
    TWmaInfo() { ClearInfo(); }

    void ClearInfo();
    // True when the file was opened and its header walked without a short
    // read, whether or not it is an ASF file; IsValid tells what was found.
    [[nodiscard]] bool ReadInfo(const std::string& fileName);

    bool IsValid() const { return FValid; }
    std::int32_t FileSize() const { return FFileSize; }
    std::uint8_t Channels() const { return FChannels; }
    std::int32_t SampleRate() const { return FSampleRate; } // Hz
    double Duration() const { return FDuration; }          // seconds, estimated from the maximum bit rate
    std::int32_t BitRate() const { return FBitRate; }      // kbit/s
    const std::u16string& Title() const { return FTitle; }
    const std::u16string& Artist() const { return FArtist; }
    const std::u16string& Album() const { return FAlbum; }
    std::int32_t Track() const { return FTrack; }
    const std::u16string& Year() const { return FYear; }
    const std::u16string& Genre() const { return FGenre; }
    const std::u16string& Comment() const { return FComment; }

    // UTF-16 units kept of any text.
    static constexpr std::size_t TextLimit = 250;

private:
    bool FValid = false;
    std::int32_t FFileSize = 0;
    std::uint8_t FChannels = 0;
    std::int32_t FSampleRate = 0;
    double FDuration = 0.0;
    std::int32_t FBitRate = 0;
    std::u16string FTitle, FArtist, FAlbum;
    std::int32_t FTrack = 0;
    std::u16string FYear, FGenre, FComment;
};

// The pure steps of the reader, open to tests and fuzzers.
//
// Walks the ASF header of an open file into `data`; false on a short read.
[[nodiscard]] bool WmaWalkHeader(TFileReader& file, WmaFileData& data);
// Whether the gathered values are within the ranges of a playable file.
bool WmaDataIsValid(const WmaFileData& data);
// The text with units 0x00 to 0x20 removed at both ends.
std::u16string WmaTrimmed(const std::u16string& text);
// A whole number in decimal, 0 when the text is not one (3/12 gives 0).
std::int32_t WmaTrackNumber(const std::u16string& text);

} // namespace quaverly::mediainfo
