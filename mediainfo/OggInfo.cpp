#include "mediainfo/OggInfo.h"

#include "mediainfo/FileReader.h"
#include "mediainfo/Id3v2Tag.h"
#include "mediainfo/TextConversion.h"

#include <charconv>
#include <cmath>
#include <vector>

namespace quaverly::mediainfo {
namespace {

constexpr std::size_t PageHeaderSize = 282; // 27 fixed bytes and a full segment table
constexpr std::size_t IdentificationSize = 30;
constexpr std::size_t WindowSize = 251;
constexpr int WindowStep = 241;

constexpr std::array<std::string_view, 9> CommentNames = {
    "TITLE", "ARTIST", "ALBUM", "TRACKNUMBER", "DATE", "GENRE", "COMMENT", "PERFORMER", "DESCRIPTION"};
enum Field { VendorText = 0, TitleText, ArtistText, AlbumText, TrackText, DateText, GenreText, CommentText,
             PerformerText, DescriptionText };

bool IsControlOrSpace(char c) { return static_cast<std::uint8_t>(c) <= 0x20; }

std::string Trimmed(std::string_view text)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (last > first && IsControlOrSpace(text[last - 1]))
        --last;
    while (first < last && IsControlOrSpace(text[first]))
        ++first;
    return std::string(text.substr(first, last - first));
}

bool IsPacket(Bytes data, std::uint8_t type)
{
    return !data.empty() && data[0] == type && HasText(data, 1, "vorbis");
}

// A computed rate kept in 16 bits, as the field is; 0 when it is no number
// an integer can hold.
std::uint16_t RoundedToUint16(double value)
{
    const double rounded = std::nearbyint(value);
    if (!(std::fabs(rounded) < 9.2e18))
        return 0;
    return static_cast<std::uint16_t>(static_cast<std::int64_t>(rounded));
}

} // namespace

std::u16string OggDecodeUtf8(std::string_view bytes)
{
    std::u16string out;
    const std::size_t n = bytes.size();
    auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); };
    auto isTrail = [&](std::size_t i) { return (byte(i) & 0xC0) == 0x80; };
    std::size_t i = 0;
    while (i < n) {
        const std::uint8_t b = byte(i);
        if (b < 0x80) {
            out += static_cast<char16_t>(b);
            ++i;
            continue;
        }
        if (i + 1 >= n)
            break;
        std::uint32_t v = 0;
        if (b & 0x20) {
            v = b & 0x1F;
            ++i;
            if (!isTrail(i))
                break;
            v = (v << 6) | (byte(i) & 0x3F);
            if (i + 1 >= n)
                break;
        } else {
            v = b & 0x3F;
        }
        ++i;
        if (!isTrail(i))
            break;
        out += static_cast<char16_t>(((v << 6) | (byte(i) & 0x3F)) & 0xFFFF);
        ++i;
    }
    return out;
}

void OggHandleComment(const std::string& text, TOggInfo::FieldTexts& fields)
{
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) {
        if (fields[VendorText].empty())
            fields[VendorText] = text;
        return;
    }
    std::string name = text.substr(0, equals);
    for (char& c : name)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    for (std::size_t slot = 0; slot < CommentNames.size(); ++slot) {
        if (name == CommentNames[slot]) {
            const std::string value = Trimmed(std::string_view(text).substr(equals + 1));
            fields[slot + 1] = Utf16ToUtf8(OggDecodeUtf8(value));
            return;
        }
    }
}

std::uint16_t OggTrackNumber(const std::string& text)
{
    const std::string number = text.substr(0, text.find('/'));
    const char* first = number.data();
    const char* last = number.data() + number.size();
    if (first != last && *first == '+')
        ++first;
    std::int32_t value = 0;
    auto [end, error] = std::from_chars(first, last, value);
    if (first == last || error != std::errc() || end != last)
        return 0;
    return static_cast<std::uint8_t>(value);
}

int OggFindPageInWindow(Bytes window, int lowest)
{
    for (int k = WindowStep; k >= lowest && k >= 0; --k)
        if (HasText(window, static_cast<std::size_t>(k), "OggS"))
            return k;
    return -1;
}

void TOggInfo::ClearInfo()
{
    FFileSize = 0;
    FChannels = 0;
    FSampleRate = 0;
    FBitRateNominal = 0;
    FSamples = 0;
    FID3v2Size = 0;
    FTrack = 0;
    for (std::string* text : {&FTitle, &FArtist, &FAlbum, &FDate, &FGenre, &FComment, &FVendor})
        text->clear();
}

bool TOggInfo::ReadInfo(const std::string& fileName)
{
    ClearInfo();
    TFileReader file(fileName);
    file.RequireOpen(fileName);
    const std::int64_t size = file.Size();

    std::vector<std::uint8_t> head;
    file.ReadPadded(0, 10, head);
    const std::int32_t id3v2Size = Id3v2HeadSize(head, size);

    std::vector<std::uint8_t> firstPage;
    file.ReadPadded(id3v2Size, PageHeaderSize, firstPage);
    if (!HasText(firstPage, 0, "OggS"))
        return false;
    const std::int64_t identificationPos = std::int64_t{id3v2Size} + 27 + firstPage[26];
    std::vector<std::uint8_t> identification;
    file.ReadPadded(identificationPos, IdentificationSize, identification);
    if (!IsPacket(identification, 0x01))
        return false;

    // The first page is taken to hold the identification packet alone, so
    // the second page follows it directly and starts with the comments.
    const std::int64_t secondPagePos = identificationPos + IdentificationSize;
    std::vector<std::uint8_t> secondPage;
    file.ReadPadded(secondPagePos, PageHeaderSize, secondPage);
    const std::int64_t commentPos = secondPagePos + 27 + secondPage[26];
    std::vector<std::uint8_t> commentId;
    file.ReadPadded(commentPos, 7, commentId);
    FieldTexts fields;
    if (IsPacket(commentId, 0x03))
        ReadComments(file, commentPos + 7, fields);
    const std::int32_t samples = FindLastGranule(file);

    FFileSize = static_cast<std::int32_t>(size);
    FChannels = identification[11];
    FSampleRate = static_cast<std::uint16_t>(ReadLe32(identification, 12));
    const auto nominal = static_cast<std::int32_t>(ReadLe32(identification, 20));
    FBitRateNominal = RoundedToUint16(nominal / 1000.0);
    FSamples = samples;
    FID3v2Size = id3v2Size;
    FTitle = fields[TitleText];
    FArtist = fields[ArtistText].empty() ? fields[PerformerText] : fields[ArtistText];
    FAlbum = fields[AlbumText];
    FTrack = OggTrackNumber(fields[TrackText]);
    FDate = fields[DateText];
    FGenre = fields[GenreText];
    FComment = fields[CommentText].empty() ? fields[DescriptionText] : fields[CommentText];
    FVendor = fields[VendorText];
    return true;
}

void TOggInfo::ReadComments(TFileReader& file, std::int64_t position, FieldTexts& fields) const
{
    const std::int64_t end = file.Size();
    std::vector<std::uint8_t> number;
    std::vector<std::uint8_t> text;
    std::int32_t count = 0; // signed: a count past 2^31 reads as negative and ends the list
    for (std::int64_t i = 0;; ++i) {
        file.ReadPadded(position, 4, number);
        const std::uint32_t length = ReadLe32(number, 0);
        const std::int64_t start = position + 4;
        const std::size_t kept = length < CommentLimit ? length : CommentLimit;
        file.ReadPadded(start, kept, text);
        text.resize(CommentLimit, 0);
        OggHandleComment(Trimmed(std::string_view(reinterpret_cast<const char*>(text.data()), text.size())),
                         fields);
        position = start + length;
        if (i == 0) {
            file.ReadPadded(position, 4, number);
            count = static_cast<std::int32_t>(ReadLe32(number, 0));
            position += 4;
        }
        if (i + 1 > count)
            break;
        // Past the end of the file every further comment reads as an empty
        // text, which changes nothing: stop rather than count through a
        // damaged count of billions.
        if (position >= end)
            break;
    }
}

std::int32_t TOggInfo::FindLastGranule(TFileReader& file) const
{
    const std::int64_t size = file.Size();
    std::vector<std::uint8_t> window;
    std::vector<std::uint8_t> page;
    for (int w = 1; w <= LastPageWindows; ++w) {
        const std::int64_t start = size - std::int64_t{WindowStep} * w - 10;
        if (start + static_cast<std::int64_t>(WindowSize) <= 0)
            break;
        file.ReadPadded(start, WindowSize, window);
        const int lowest = start < 0 ? static_cast<int>(-start) : 0;
        const int k = OggFindPageInWindow(window, lowest);
        if (k >= 0) {
            file.ReadPadded(start + k, 27, page);
            return static_cast<std::int32_t>(ReadLe32(page, 6));
        }
    }
    return 0;
}

double TOggInfo::Duration() const
{
    if (FSamples > 0)
        return FSampleRate > 0 ? static_cast<double>(FSamples) / FSampleRate : 0.0;
    if (FBitRateNominal > 0 && FChannels > 0)
        return static_cast<double>(std::int64_t{FFileSize} - FID3v2Size) / FBitRateNominal / FChannels / 125.0 * 2.0;
    return 0.0;
}

std::uint16_t TOggInfo::BitRate() const
{
    const double duration = Duration();
    if (!(duration > 0.0))
        return 0;
    return RoundedToUint16(static_cast<double>(std::int64_t{FFileSize} - FID3v2Size) / duration / 125.0);
}

bool TOggInfo::IsValid() const
{
    return FChannels >= 1 && FChannels <= 6 && FSampleRate > 0 && Duration() > 0.1 && BitRate() > 0;
}

} // namespace quaverly::mediainfo
