#pragma once
// Properties and comments of an Ogg Vorbis file, optionally behind an ID3v2
// tag: the identification header of the first page, the comment header that
// starts the second page, and the granule position of the last page, looked
// for in the last 12 060 bytes.
#include "mediainfo/ByteReader.h"

#include <array>
#include <cstdint>
#include <string>

namespace quaverly::mediainfo {

class TFileReader;

class TOggInfo {
public:
    TOggInfo() { ClearInfo(); }

    void ClearInfo();
    // True when the file holds an Ogg page with a Vorbis identification
    // header where expected; false, with the cleared state, otherwise.
    // Throws TOpenError when the file cannot be opened.
    [[nodiscard]] bool ReadInfo(const std::string& fileName);

    bool IsValid() const;
    double Duration() const;        // seconds
    std::uint16_t BitRate() const;  // kbit/s, the average over the file

    std::int32_t FileSize() const { return FFileSize; }
    std::uint8_t Channels() const { return FChannels; }
    std::uint16_t SampleRate() const { return FSampleRate; } // Hz, low 16 bits of the header's rate
    std::uint16_t BitRateNominal() const { return FBitRateNominal; } // kbit/s
    std::int32_t Samples() const { return FSamples; } // low 32 bits of the last granule position
    std::int32_t ID3v2Size() const { return FID3v2Size; }
    const std::string& Title() const { return FTitle; }
    const std::string& Artist() const { return FArtist; }
    const std::string& Album() const { return FAlbum; }
    std::uint16_t Track() const { return FTrack; }
    const std::string& Date() const { return FDate; }
    const std::string& Genre() const { return FGenre; }
    const std::string& Comment() const { return FComment; }
    const std::string& Vendor() const { return FVendor; }

    // Bytes of a comment that are kept, and how far back the last page is
    // looked for (50 windows of 251 bytes, 241 bytes apart).
    static constexpr std::size_t CommentLimit = 250;
    static constexpr int LastPageWindows = 50;

    // Text 0 is the vendor text; texts 1 to 9 the values of TITLE, ARTIST,
    // ALBUM, TRACKNUMBER, DATE, GENRE, COMMENT, PERFORMER and DESCRIPTION.
    using FieldTexts = std::array<std::string, 10>;

private:
    void ReadComments(TFileReader& file, std::int64_t position, FieldTexts& fields) const;
    std::int32_t FindLastGranule(TFileReader& file) const;

    std::int32_t FFileSize = 0;
    std::uint8_t FChannels = 0;
    std::uint16_t FSampleRate = 0;
    std::uint16_t FBitRateNominal = 0;
    std::int32_t FSamples = 0;
    std::int32_t FID3v2Size = 0;
    std::string FTitle, FArtist, FAlbum;
    std::uint16_t FTrack = 0;
    std::string FDate, FGenre, FComment, FVendor;
};

// The pure steps of the reader, open to tests and fuzzers.
//
// Decodes UTF-8 into 16-bit characters the way the reader always has: a
// lead byte with bit 0x20 set is a three-byte lead (four-byte forms are not
// decoded), and decoding stops at the first broken or cut sequence.
std::u16string OggDecodeUtf8(std::string_view bytes);
// Files one comment text (NAME=value, or the vendor text) into `fields`.
void OggHandleComment(const std::string& text, TOggInfo::FieldTexts& fields);
// The track number of a text such as 3/12, kept in 8 bits; 0 when the part
// before the "/" is not a whole number.
std::uint16_t OggTrackNumber(const std::string& text);
// The first "OggS" from the end of a 251-byte window, searched at offsets
// 241 down to `lowest`; -1 when there is none.
int OggFindPageInWindow(Bytes window, int lowest);

} // namespace quaverly::mediainfo
