#pragma once
// The tag that may open an audio file (versions 2.2, 2.3 and 2.4). The MPEG
// reader owns one to learn where the audio starts; sixteen kinds of text
// frame feed thirteen fields.
#include "mediainfo/ByteReader.h"

#include <array>
#include <cstdint>
#include <string>

namespace quaverly::mediainfo {

class TFileReader;

class TId3v2Tag {
public:
    TId3v2Tag() { ClearInfo(); }

    void ClearInfo();
    // True when the 10 header bytes could be read, tag or not.
    [[nodiscard]] bool ReadInfo(const std::string& fileName);
    // The same on a file already open (the MPEG reader shares its own).
    [[nodiscard]] bool ReadInfo(TFileReader& file);

    bool Exists() const { return FExists; }
    std::uint8_t VersionID() const { return FVersionID; }
    // Bytes from the start of the file to the audio; 0 without a tag or
    // when the tag claims more than the file holds.
    std::int32_t Size() const { return FSize; }
    const std::string& Title() const { return FTitle; }
    const std::string& Artist() const { return FArtist; }
    const std::string& Album() const { return FAlbum; }
    std::uint16_t Track() const { return FTrack; }
    const std::string& TrackText() const { return FTrackText; }
    const std::string& Year() const { return FYear; }
    const std::string& Genre() const { return FGenre; }
    const std::string& Comment() const { return FComment; }
    const std::string& Composer() const { return FComposer; }
    const std::string& Encoder() const { return FEncoder; }
    const std::string& Copyright() const { return FCopyright; }
    const std::string& Language() const { return FLanguage; }
    const std::string& Link() const { return FLink; }

    static constexpr std::size_t FrameDataLimit = 500;
    static constexpr std::size_t SlotCount = 16;
    using RawFrames = std::array<std::string, SlotCount>;

private:
    void ReadFrames(TFileReader& file, RawFrames& raw) const;
    void BuildFields(const RawFrames& raw);

    bool FExists = false;
    std::uint8_t FVersionID = 0;
    std::int32_t FSize = 0;
    std::string FTitle, FArtist, FAlbum;
    std::uint16_t FTrack = 0;
    std::string FTrackText, FYear, FGenre, FComment, FComposer, FEncoder, FCopyright, FLanguage, FLink;
};

// Bytes a tag at the head of a file takes (header, frames and footer), from
// its first 10 bytes; 0 when they are no tag header or the tag claims more
// than the file holds.
std::int32_t Id3v2HeadSize(Bytes header, std::int64_t fileSize);
// The text of a raw frame (encoding byte first), trimmed of control bytes
// and spaces at both ends.
std::string Id3v2FrameText(const std::string& raw);
// The text of a comment or link frame after its description.
std::string Id3v2DescribedText(const std::string& raw, bool withLanguage);
// The track number of a text such as 3/12; 0 when it is not a number.
std::uint16_t Id3v2TrackNumber(const std::string& text);

} // namespace quaverly::mediainfo
