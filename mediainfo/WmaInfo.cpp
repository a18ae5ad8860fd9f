#include "mediainfo/WmaInfo.h"

#include "mediainfo/ByteReader.h"
#include "mediainfo/FileReader.h"
#include "mediainfo/TextConversion.h"

#include <charconv>
#include <string_view>
#include <vector>

namespace quaverly::mediainfo {
namespace {

using Guid = std::array<std::uint8_t, 16>;

// Object identifiers in their on-disk (little-endian GUID) byte order.
constexpr Guid HeaderGuid = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                             0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr Guid FilePropertiesGuid = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                                     0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr Guid StreamPropertiesGuid = {0x91, 0x07, 0xDC, 0xB7, 0xB7, 0xA9, 0xCF, 0x11,
                                       0x8E, 0xE6, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr Guid ContentDescriptionGuid = {0x33, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                         0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr Guid ExtendedContentGuid = {0x40, 0xA4, 0xD0, 0xD2, 0x07, 0xE3, 0xD2, 0x11,
                                      0x97, 0xF0, 0x00, 0xA0, 0xC9, 0x5E, 0xA8, 0x50};

constexpr std::array<std::u16string_view, 7> SlotNames = {
    u"WM/TITLE", u"WM/AUTHOR", u"WM/ALBUMTITLE", u"WM/TRACK", u"WM/YEAR", u"WM/GENRE", u"WM/DESCRIPTION"};
enum Slot { TitleSlot = 0, ArtistSlot, AlbumSlot, TrackSlot, YearSlot, GenreSlot, CommentSlot };

bool IsGuid(Bytes data, const Guid& guid)
{
    return data.size() >= guid.size() && std::equal(guid.begin(), guid.end(), data.begin());
}

// Sequential reads through the header; every read must be complete.
class TCursor {
public:
    explicit TCursor(TFileReader& file) : File(file) {}

    std::int64_t Position() const { return Pos; }
    void Seek(std::int64_t position) { Pos = position; }
    void Skip(std::int64_t count) { Pos += count; }

    [[nodiscard]] bool Read(std::size_t count, std::vector<std::uint8_t>& out)
    {
        if (!File.ReadExactly(Pos, count, out))
            return false;
        Pos += static_cast<std::int64_t>(count);
        return true;
    }
    [[nodiscard]] bool ReadLe(std::size_t width, std::uint32_t& value)
    {
        if (!Read(width, Buffer))
            return false;
        value = mediainfo::ReadLe(Buffer, 0, width);
        return true;
    }
    // A UTF-16 text of `bytes` bytes, of which at most TextLimit units are
    // kept; the rest is skipped.
    [[nodiscard]] bool ReadText(std::size_t bytes, std::u16string& text)
    {
        std::size_t units = bytes / 2;
        if (units > TWmaInfo::TextLimit)
            units = TWmaInfo::TextLimit;
        if (!Read(units * 2, Buffer))
            return false;
        text.resize(units);
        for (std::size_t i = 0; i < units; ++i)
            text[i] = static_cast<char16_t>(ReadLe16(Buffer, 2 * i));
        Skip(static_cast<std::int64_t>(bytes - units * 2));
        return true;
    }

private:
    TFileReader& File;
    std::int64_t Pos = 0;
    std::vector<std::uint8_t> Buffer;
};

std::u16string UpperAscii(std::u16string text)
{
    for (char16_t& c : text)
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - u'a' + u'A');
    return text;
}

bool ReadContentDescription(TCursor& in, WmaFileData& data)
{
    in.Skip(4);
    std::array<std::uint32_t, 5> lengths{};
    for (std::uint32_t& length : lengths)
        if (!in.ReadLe(2, length))
            return false;
    // Title, author, copyright, description, rating: copyright and rating
    // are read past and dropped.
    constexpr std::array<int, 5> slots = {TitleSlot, ArtistSlot, -1, CommentSlot, -1};
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        if (lengths[i] == 0)
            continue;
        std::u16string text;
        if (!in.ReadText(lengths[i], text))
            return false;
        if (slots[i] >= 0)
            data.Tag[static_cast<std::size_t>(slots[i])] = std::move(text);
    }
    return true;
}

bool ReadExtendedContent(TCursor& in, WmaFileData& data)
{
    in.Skip(4);
    std::uint32_t count = 0;
    if (!in.ReadLe(2, count))
        return false;
    for (std::uint32_t d = 0; d < count; ++d) {
        std::uint32_t nameLength = 0, valueType = 0, valueLength = 0;
        std::u16string name;
        if (!in.ReadLe(2, nameLength) || !in.ReadText(nameLength, name) || !in.ReadLe(2, valueType) ||
            !in.ReadLe(2, valueLength))
            return false;
        if (valueType != 0) {
            in.Skip(valueLength);
            continue;
        }
        std::u16string value;
        if (!in.ReadText(valueLength, value))
            return false;
        const std::u16string key = UpperAscii(WmaTrimmed(name));
        for (std::size_t slot = 0; slot < SlotNames.size(); ++slot)
            if (key == SlotNames[slot])
                data.Tag[slot] = value;
    }
    return true;
}

bool HandleObject(TCursor& in, const std::vector<std::uint8_t>& guid, WmaFileData& data)
{
    std::uint32_t value = 0;
    if (IsGuid(guid, FilePropertiesGuid)) {
        in.Skip(80);
        if (!in.ReadLe(4, value))
            return false;
        data.MaxBitRate = static_cast<std::int32_t>(value);
    } else if (IsGuid(guid, StreamPropertiesGuid)) {
        in.Skip(60);
        std::uint32_t channels = 0, rate = 0, byteRate = 0;
        if (!in.ReadLe(2, channels) || !in.ReadLe(4, rate) || !in.ReadLe(4, byteRate))
            return false;
        data.Channels = static_cast<std::uint16_t>(channels);
        data.SampleRate = static_cast<std::int32_t>(rate);
        data.ByteRate = static_cast<std::int32_t>(byteRate);
    } else if (IsGuid(guid, ContentDescriptionGuid)) {
        return ReadContentDescription(in, data);
    } else if (IsGuid(guid, ExtendedContentGuid)) {
        return ReadExtendedContent(in, data);
    }
    return true;
}

} // namespace

bool WmaWalkHeader(TFileReader& file, WmaFileData& data)
{
    TCursor in(file);
    std::vector<std::uint8_t> guid;
    if (!in.Read(16, guid))
        return false;
    if (!IsGuid(guid, HeaderGuid))
        return true;
    in.Skip(8);
    std::uint32_t count = 0;
    if (!in.ReadLe(4, count))
        return false;
    in.Skip(2);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::int64_t start = in.Position();
        std::uint32_t size = 0;
        if (!in.Read(16, guid) || !in.ReadLe(4, size))
            return false;
        if (!HandleObject(in, guid, data))
            return false;
        // An object of size 0 would be found again at the same place by every
        // remaining turn and change nothing more: a damaged count of billions
        // ends here instead of spinning.
        if (size == 0)
            break;
        in.Seek(start + size);
    }
    return true;
}

bool WmaDataIsValid(const WmaFileData& data)
{
    return data.MaxBitRate > 0 && data.MaxBitRate < 320000 && data.Channels >= 1 && data.Channels <= 6 &&
           data.SampleRate >= 8000 && data.SampleRate <= 96000 && data.ByteRate > 0 && data.ByteRate < 40000;
}

std::u16string WmaTrimmed(const std::u16string& text)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (last > first && text[last - 1] <= 0x20)
        --last;
    while (first < last && text[first] <= 0x20)
        ++first;
    return text.substr(first, last - first);
}

std::int32_t WmaTrackNumber(const std::u16string& text)
{
    const std::string number = Utf16ToUtf8(text);
    const char* first = number.data();
    const char* last = number.data() + number.size();
    if (first != last && *first == '+')
        ++first;
    std::int32_t value = 0;
    auto [end, error] = std::from_chars(first, last, value);
    if (first == last || error != std::errc() || end != last)
        return 0;
    return value;
}

void TWmaInfo::ClearInfo()
{
    FValid = false;
    FFileSize = 0;
    FChannels = 0;
    FSampleRate = 0;
    FDuration = 0.0;
    FBitRate = 0;
    FTrack = 0;
    for (std::u16string* text : {&FTitle, &FArtist, &FAlbum, &FYear, &FGenre, &FComment})
        text->clear();
}

bool TWmaInfo::ReadInfo(const std::string& fileName)
{
    ClearInfo();
    TFileReader file(fileName);
    if (!file.IsOpen())
        return false;
    WmaFileData data;
    data.FileSize = static_cast<std::int32_t>(file.Size());
    if (!WmaWalkHeader(file, data))
        return false;
    if (!WmaDataIsValid(data))
        return true;
    FValid = true;
    FFileSize = data.FileSize;
    FChannels = static_cast<std::uint8_t>(data.Channels);
    FSampleRate = data.SampleRate;
    FDuration = static_cast<double>(data.FileSize) * 8.0 / data.MaxBitRate;
    FBitRate = data.ByteRate * 8 / 1000;
    FTitle = WmaTrimmed(data.Tag[TitleSlot]);
    FArtist = WmaTrimmed(data.Tag[ArtistSlot]);
    FAlbum = WmaTrimmed(data.Tag[AlbumSlot]);
    FTrack = WmaTrackNumber(WmaTrimmed(data.Tag[TrackSlot]));
    FYear = WmaTrimmed(data.Tag[YearSlot]);
    FGenre = WmaTrimmed(data.Tag[GenreSlot]);
    FComment = WmaTrimmed(data.Tag[CommentSlot]);
    return true;
}

} // namespace quaverly::mediainfo
