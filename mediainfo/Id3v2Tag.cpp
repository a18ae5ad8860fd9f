#include "mediainfo/Id3v2Tag.h"

#include "mediainfo/FileReader.h"
#include "mediainfo/TextConversion.h"

#include <charconv>
#include <vector>

namespace quaverly::mediainfo {
namespace {

constexpr std::array<std::string_view, TId3v2Tag::SlotCount> FrameIds = {
    "TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON", "COMM", "TCOM",
    "TENC", "TCOP", "TLAN", "WXXX", "TDRC", "TOPE", "TIT1", "TOAL"};
constexpr std::array<std::string_view, TId3v2Tag::SlotCount> FrameIdsV22 = {
    "TT2", "TP1", "TAL", "TRK", "TYE", "TCO", "COM", "TCM",
    "TEN", "TCR", "TLA", "WXX", "TOR", "TOA", "TT1", "TOT"};

bool IsControlOrSpace(char c) { return static_cast<std::uint8_t>(c) <= 0x20; }

std::string Trimmed(std::string text)
{
    while (!text.empty() && IsControlOrSpace(text.back()))
        text.pop_back();
    std::size_t start = 0;
    while (start < text.size() && IsControlOrSpace(text[start]))
        ++start;
    return text.substr(start);
}

// The size bytes are taken as they stand, top bits included, as the tags in
// circulation expect.
std::uint32_t SevenBitSize(Bytes b, std::size_t o)
{
    return (std::uint32_t{b[o]} << 21) + (std::uint32_t{b[o + 1]} << 14) + (std::uint32_t{b[o + 2]} << 7) +
           std::uint32_t{b[o + 3]};
}

} // namespace

std::string Id3v2FrameText(const std::string& raw)
{
    if (raw.empty() || raw[0] != 1)
        return Trimmed(raw);
    // UTF-16, read little-endian whatever the byte-order mark says; a unit
    // whose low byte is 0xFF (the mark FF FE) is dropped.
    std::vector<std::uint16_t> units;
    const std::size_t count = (raw.size() - 1) / 2;
    for (std::size_t i = 0; i < count; ++i) {
        const auto lo = static_cast<std::uint8_t>(raw[1 + 2 * i]);
        const auto hi = static_cast<std::uint8_t>(raw[2 + 2 * i]);
        const std::uint16_t unit = static_cast<std::uint16_t>(lo | (hi << 8));
        if (unit == 0)
            break;
        if (lo == 0xFF)
            continue;
        units.push_back(unit);
    }
    return Trimmed(Utf16ToUtf8(units));
}

std::string Id3v2DescribedText(const std::string& raw, bool withLanguage)
{
    if (raw.empty())
        return {};
    const char encoding = raw[0];
    std::size_t start = withLanguage ? 4 : 1;
    if (start > raw.size())
        start = raw.size();
    std::string rest = raw.substr(start);
    if (encoding == 1) {
        for (std::size_t i = 0; i + 1 < rest.size(); i += 2) {
            if (rest[i] == 0 && rest[i + 1] == 0) {
                rest.erase(0, i + 2);
                break;
            }
        }
    } else {
        const std::size_t zero = rest.find('\0');
        if (zero != std::string::npos)
            rest.erase(0, zero + 1);
    }
    return Id3v2FrameText(std::string(1, encoding) + rest);
}

std::int32_t Id3v2HeadSize(Bytes header, std::int64_t fileSize)
{
    if (header.size() < 10 || !HasText(header, 0, "ID3"))
        return 0;
    std::int64_t total = std::int64_t{SevenBitSize(header, 6)} + 10;
    if (header[5] & 0x10)
        total += 10;
    return total > fileSize ? 0 : static_cast<std::int32_t>(total);
}

std::uint16_t Id3v2TrackNumber(const std::string& text)
{
    const std::string number = text.substr(0, text.find('/'));
    const char* first = number.data();
    const char* last = number.data() + number.size();
    if (first != last && *first == '+')
        ++first;
    std::int32_t value = 0;
    auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || first == last)
        return 0;
    return static_cast<std::uint16_t>(value);
}

void TId3v2Tag::ClearInfo()
{
    FExists = false;
    FVersionID = 0;
    FSize = 0;
    FTrack = 0;
    for (std::string* text : {&FTitle, &FArtist, &FAlbum, &FTrackText, &FYear, &FGenre, &FComment, &FComposer,
                              &FEncoder, &FCopyright, &FLanguage, &FLink})
        text->clear();
}

bool TId3v2Tag::ReadInfo(const std::string& fileName)
{
    TFileReader file(fileName);
    return ReadInfo(file);
}

bool TId3v2Tag::ReadInfo(TFileReader& file)
{
    ClearInfo();
    std::vector<std::uint8_t> header;
    if (!file.IsOpen() || !file.ReadExactly(0, 10, header))
        return false;
    if (!HasText(header, 0, "ID3"))
        return true;
    FExists = true;
    FVersionID = header[3];
    FSize = Id3v2HeadSize(header, file.Size());
    if ((FVersionID != 2 && FVersionID != 3 && FVersionID != 4) || FSize == 0)
        return true;
    RawFrames raw;
    ReadFrames(file, raw);
    BuildFields(raw);
    return true;
}

void TId3v2Tag::ReadFrames(TFileReader& file, RawFrames& raw) const
{
    const bool v22 = FVersionID == 2;
    const std::size_t headerSize = v22 ? 6 : 10;
    const auto& ids = v22 ? FrameIdsV22 : FrameIds;
    std::vector<std::uint8_t> header;
    std::vector<std::uint8_t> data;
    // Every pass advances by at least one frame header, and the loop ends at
    // the tag's end or the file's, so a damaged tag cannot make it spin.
    std::int64_t position = 10;
    while (position < FSize && position < file.Size()) {
        if (!file.ReadExactly(position, headerSize, header))
            return;
        if (header[0] < 'A' || header[0] > 'Z')
            return;
        std::uint32_t size = 0;
        if (v22)
            size = ReadBe24(header, 3);
        else if (FVersionID == 4)
            size = SevenBitSize(header, 4);
        else
            size = ReadBe32(header, 4);
        const std::int64_t dataStart = position + static_cast<std::int64_t>(headerSize);
        const std::size_t kept = size < FrameDataLimit ? size : FrameDataLimit;
        if (!file.ReadExactly(dataStart, kept, data))
            return;
        const bool compressed = !v22 && (header[9] & 0x80);
        // The first byte of the cleared buffer: 0 for a frame of size 0.
        const std::uint8_t encoding = data.empty() ? 0 : data[0];
        if (!compressed && encoding <= 1) {
            const std::string_view id(reinterpret_cast<const char*>(header.data()), v22 ? 3 : 4);
            for (std::size_t slot = 0; slot < SlotCount; ++slot) {
                if (ids[slot] == id) {
                    // The whole buffer is kept, the zeros after the data
                    // included: the trimming removes them later.
                    std::string text(FrameDataLimit, '\0');
                    std::copy(data.begin(), data.end(), text.begin());
                    raw[slot] = std::move(text);
                }
            }
        }
        position = dataStart + size;
    }
}

void TId3v2Tag::BuildFields(const RawFrames& raw)
{
    auto text = [&raw](int slot) { return Id3v2FrameText(raw[static_cast<std::size_t>(slot - 1)]); };
    auto firstOf = [&](int first, int second) {
        std::string value = text(first);
        return value.empty() ? text(second) : value;
    };
    FTitle = firstOf(1, 15);
    FArtist = firstOf(2, 14);
    FAlbum = firstOf(3, 16);
    FTrackText = text(4);
    FTrack = Id3v2TrackNumber(FTrackText);
    FYear = text(5);
    if (FYear.empty())
        FYear = text(13).substr(0, 4);
    FGenre = text(6);
    const std::size_t close = FGenre.rfind(')');
    if (close != std::string::npos)
        FGenre.erase(0, close + 1);
    FComment = Id3v2DescribedText(raw[6], true);
    FComposer = text(8);
    FEncoder = text(9);
    FCopyright = text(10);
    FLanguage = text(11);
    FLink = Id3v2DescribedText(raw[11], false);
}

} // namespace quaverly::mediainfo
