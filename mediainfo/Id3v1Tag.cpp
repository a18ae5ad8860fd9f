#include "mediainfo/Id3v1Tag.h"

#include "mediainfo/FileReader.h"

#include <vector>

namespace quaverly::mediainfo {
namespace {

// Fields are padded with zeros or spaces; any trailing control byte or space
// goes, while a zero inside the text followed by other bytes stays.
std::string TrimmedField(Bytes tag, std::size_t offset, std::size_t length)
{
    std::string text = TextAt(tag, offset, length);
    while (!text.empty() && static_cast<std::uint8_t>(text.back()) <= 0x20)
        text.pop_back();
    return text;
}

} // namespace

void TId3v1Tag::ClearInfo()
{
    FExists = false;
    FVersionID = 1;
    FTitle.clear();
    FArtist.clear();
    FAlbum.clear();
    FYear.clear();
    FComment.clear();
    FTrack = 0;
    FGenreID = 255;
}

bool TId3v1Tag::ReadInfo(const std::string& fileName)
{
    TFileReader file(fileName);
    return ReadInfo(file);
}

bool TId3v1Tag::ReadInfo(TFileReader& file)
{
    ClearInfo();
    std::vector<std::uint8_t> tail;
    if (!file.IsOpen() || !file.ReadExactly(file.Size() - static_cast<std::int64_t>(Id3v1TagSize), Id3v1TagSize, tail))
        return false;
    ParseTag(tail);
    return true;
}

void TId3v1Tag::ParseTag(Bytes tag)
{
    ClearInfo();
    if (tag.size() < Id3v1TagSize || !HasText(tag, 0, "TAG"))
        return;
    FExists = true;
    const std::uint8_t separator = tag[125];
    const std::uint8_t track = tag[126];
    const bool v11 = (separator == 0 && track != 0) || (separator == 0x20 && track != 0x20);
    FVersionID = v11 ? 2 : 1;
    FTitle = TrimmedField(tag, 3, 30);
    FArtist = TrimmedField(tag, 33, 30);
    FAlbum = TrimmedField(tag, 63, 30);
    FYear = TrimmedField(tag, 93, 4);
    if (v11) {
        FComment = TrimmedField(tag, 97, 28);
        FTrack = track;
    } else {
        FComment = TrimmedField(tag, 97, 30);
    }
    FGenreID = tag[127];
}

} // namespace quaverly::mediainfo
