#include "MediaFixtures.h"
#include "mediainfo/Id3v2Tag.h"

#include <gtest/gtest.h>

using namespace quaverly::mediainfo;
using namespace quaverly::mediainfo::test;

namespace {

ByteVector Latin1(std::string_view text)
{
    ByteVector data{0};
    data.insert(data.end(), text.begin(), text.end());
    return data;
}

ByteVector Utf16(std::u16string_view text)
{
    ByteVector data{1, 0xFF, 0xFE};
    for (char16_t c : text) {
        data.push_back(static_cast<std::uint8_t>(c & 0xFF));
        data.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return data;
}

// A frame of version 2.3 (plain size), 2.4 (seven bits per byte) or 2.2.
ByteVector Frame(int version, std::string_view id, const ByteVector& data, std::uint8_t flags2 = 0)
{
    ByteVector f;
    PutText(f, 0, id);
    const auto size = static_cast<std::uint32_t>(data.size());
    if (version == 2) {
        PutBe(f, 3, size, 3);
    } else {
        if (version == 4)
            PutBe(f, 4, ((size >> 21) & 0x7F) << 24 | ((size >> 14) & 0x7F) << 16 | ((size >> 7) & 0x7F) << 8 | (size & 0x7F), 4);
        else
            PutBe(f, 4, size, 4);
        f.push_back(0);
        f.push_back(flags2);
    }
    f.insert(f.end(), data.begin(), data.end());
    return f;
}

// A tag holding the frames, with some padding, followed by audio bytes.
ByteVector Tag(int version, const std::vector<ByteVector>& frames, std::size_t padding = 16)
{
    ByteVector body;
    for (const ByteVector& f : frames)
        body.insert(body.end(), f.begin(), f.end());
    body.resize(body.size() + padding, 0);
    ByteVector tag{'I', 'D', '3', static_cast<std::uint8_t>(version), 0, 0};
    const auto size = static_cast<std::uint32_t>(body.size());
    tag.push_back((size >> 21) & 0x7F);
    tag.push_back((size >> 14) & 0x7F);
    tag.push_back((size >> 7) & 0x7F);
    tag.push_back(size & 0x7F);
    tag.insert(tag.end(), body.begin(), body.end());
    tag.resize(tag.size() + 200, 0x55);
    return tag;
}

TId3v2Tag ReadBytes(const ByteVector& bytes)
{
    TempFolder dir;
    TId3v2Tag tag;
    EXPECT_TRUE(tag.ReadInfo(dir.Write("a.mp3", bytes)));
    return tag;
}

} // namespace

TEST(Id3v2Tag, SizeCountsHeaderAndFooter)
{
    ByteVector bytes{'I', 'D', '3', 3, 0, 0, 0, 0, 2, 1};
    bytes.resize(400, 0);
    TId3v2Tag tag = ReadBytes(bytes);
    EXPECT_TRUE(tag.Exists());
    EXPECT_EQ(3, tag.VersionID());
    EXPECT_EQ(267, tag.Size());
    bytes[5] = 0x10;
    EXPECT_EQ(277, ReadBytes(bytes).Size());
}

TEST(Id3v2Tag, SizeBeyondFileIsZeroAndNoFieldsAreRead)
{
    ByteVector bytes = Tag(3, {Frame(3, "TIT2", Latin1("Song"))});
    bytes[6] = 0x7F;
    TId3v2Tag tag = ReadBytes(bytes);
    EXPECT_TRUE(tag.Exists());
    EXPECT_EQ(0, tag.Size());
    EXPECT_EQ("", tag.Title());
}

TEST(Id3v2Tag, ShortMissingOrUntaggedFiles)
{
    TempFolder dir;
    TId3v2Tag tag;
    EXPECT_FALSE(tag.ReadInfo(dir.Write("short.mp3", ByteVector{'I', 'D', '3', 3, 0, 0, 0, 0, 0})));
    EXPECT_FALSE(tag.ReadInfo(dir.File("missing.mp3")));
    EXPECT_TRUE(tag.ReadInfo(dir.Write("plain.mp3", ByteVector(10, 0xFF))));
    EXPECT_FALSE(tag.Exists());
    EXPECT_EQ(0, tag.Size());
}

TEST(Id3v2Tag, ReadsTextFieldsOfEachVersion)
{
    for (int version : {2, 3, 4}) {
        SCOPED_TRACE(version);
        const bool v22 = version == 2;
        ByteVector bytes = Tag(version, {
            Frame(version, v22 ? "TT2" : "TIT2", Latin1("Song")),
            Frame(version, v22 ? "TP1" : "TPE1", Utf16(u"Ärtist")),
            Frame(version, v22 ? "TAL" : "TALB", Latin1("  Album  ")),
            Frame(version, v22 ? "TRK" : "TRCK", Latin1("3/12")),
            Frame(version, v22 ? "TCO" : "TCON", Latin1("(17)Rock")),
            Frame(version, v22 ? "TCM" : "TCOM", Latin1("Composer")),
        });
        TId3v2Tag tag = ReadBytes(bytes);
        EXPECT_EQ("Song", tag.Title());
        EXPECT_EQ("\xC3\x84rtist", tag.Artist());
        EXPECT_EQ("Album", tag.Album());
        EXPECT_EQ("3/12", tag.TrackText());
        EXPECT_EQ(3, tag.Track());
        EXPECT_EQ("Rock", tag.Genre());
        EXPECT_EQ("Composer", tag.Composer());
    }
}

TEST(Id3v2Tag, Version24SizeIsSevenBitsPerByte)
{
    // 200 bytes: 00 00 01 48 in version 2.4; a plain reading would skip far past the next frame.
    ByteVector longText = Latin1(std::string(199, 'a'));
    ByteVector bytes = Tag(4, {Frame(4, "TCOM", longText), Frame(4, "TIT2", Latin1("Next"))});
    EXPECT_EQ(0x01, bytes[10 + 6]);
    EXPECT_EQ(0x48, bytes[10 + 7]);
    TId3v2Tag tag = ReadBytes(bytes);
    EXPECT_EQ(std::string(199, 'a'), tag.Composer());
    EXPECT_EQ("Next", tag.Title());
}

TEST(Id3v2Tag, LongFramesKeepTheirFirst500Bytes)
{
    ByteVector bytes = Tag(3, {Frame(3, "TIT2", Latin1(std::string(800, 'x'))),
                               Frame(3, "TPE1", Utf16(std::u16string(400, u'y'))),
                               Frame(3, "TALB", Latin1("After"))});
    TId3v2Tag tag = ReadBytes(bytes);
    EXPECT_EQ(std::string(499, 'x'), tag.Title());
    EXPECT_EQ(std::string(248, 'y'), tag.Artist()); // 249 units, the first being the byte-order mark
    EXPECT_EQ("After", tag.Album());
}

TEST(Id3v2Tag, TrackTextThatIsNoNumberGivesZero)
{
    EXPECT_EQ(0, Id3v2TrackNumber("x"));
    EXPECT_EQ(0, Id3v2TrackNumber(""));
    EXPECT_EQ(7, Id3v2TrackNumber("7"));
    EXPECT_EQ(0, Id3v2TrackNumber("7a/9"));
    EXPECT_EQ(70000 & 0xFFFF, Id3v2TrackNumber("70000"));
}

TEST(Id3v2Tag, GenreLosesEverythingUpToLastParenthesis)
{
    auto genre = [](std::string_view text) {
        return ReadBytes(Tag(3, {Frame(3, "TCON", Latin1(text))})).Genre();
    };
    EXPECT_EQ("", genre("(17)"));
    EXPECT_EQ("Rock", genre("Rock"));
    EXPECT_EQ("Pop", genre("(13)(17)Pop"));
}

TEST(Id3v2Tag, YearFallsBackToRecordingDate)
{
    EXPECT_EQ("2004", ReadBytes(Tag(4, {Frame(4, "TDRC", Latin1("2004-05-01"))})).Year());
    EXPECT_EQ("1999", ReadBytes(Tag(3, {Frame(3, "TDRC", Latin1("2004")), Frame(3, "TYER", Latin1("1999"))})).Year());
}

TEST(Id3v2Tag, CommentAndLinkSkipTheirDescription)
{
    ByteVector comm{1, 'e', 'n', 'g', 0xFF, 0xFE, 'A', 0, 0, 0, 0xFF, 0xFE, 'H', 0, 'i', 0};
    ByteVector latinComm{0, 'e', 'n', 'g', 'd', 'e', 's', 'c', 0, 'T', 'e', 'x', 't'};
    ByteVector link{0, 'h', 'o', 'm', 'e', 0, 'h', 't', 't', 'p', ':', '/', '/', 'x'};
    EXPECT_EQ("Hi", ReadBytes(Tag(3, {Frame(3, "COMM", comm)})).Comment());
    EXPECT_EQ("Text", ReadBytes(Tag(3, {Frame(3, "COMM", latinComm)})).Comment());
    EXPECT_EQ("http://x", ReadBytes(Tag(3, {Frame(3, "WXXX", link)})).Link());
}

TEST(Id3v2Tag, UnsupportedEncodingFallsBackToSecondChoice)
{
    ByteVector utf8{3, 'U', 'T', 'F'};
    TId3v2Tag tag = ReadBytes(Tag(3, {Frame(3, "TIT2", utf8), Frame(3, "TIT1", Latin1("Group"))}));
    EXPECT_EQ("Group", tag.Title());
}

TEST(Id3v2Tag, LaterFrameOfSameKindWins)
{
    TId3v2Tag tag = ReadBytes(Tag(3, {Frame(3, "TIT2", Latin1("First")), Frame(3, "TIT2", Latin1("Second"))}));
    EXPECT_EQ("Second", tag.Title());
}

// A frame of size 0 leaves the cleared buffer, whose first byte is 0: it is
// stored as an empty text, replacing an earlier frame of its kind.
TEST(Id3v2Tag, EmptyFrameIsStoredAndEmptiesAnEarlierOne)
{
    for (const int version : {2, 3, 4}) {
        SCOPED_TRACE(version);
        const bool v22 = version == 2;
        TId3v2Tag tag = ReadBytes(Tag(version, {Frame(version, v22 ? "TAL" : "TALB", Latin1("Old")),
                                                Frame(version, v22 ? "TT2" : "TIT2", Latin1("Song")),
                                                Frame(version, v22 ? "TAL" : "TALB", {}),
                                                Frame(version, v22 ? "TP1" : "TPE1", Latin1("After"))}));
        EXPECT_EQ("", tag.Album());
        EXPECT_EQ("Song", tag.Title());
        EXPECT_EQ("After", tag.Artist());
    }
}

TEST(Id3v2Tag, CompressedFrameIsSkipped)
{
    TId3v2Tag tag = ReadBytes(Tag(3, {Frame(3, "TIT2", Latin1("Packed"), 0x80), Frame(3, "TPE1", Latin1("A"))}));
    EXPECT_EQ("", tag.Title());
    EXPECT_EQ("A", tag.Artist());
}

TEST(Id3v2Tag, ExtendedHeaderEndsFrameReading)
{
    ByteVector ext{0, 0, 0, 6, 0, 0, 0, 0, 0, 0};
    ByteVector bytes = Tag(3, {ext, Frame(3, "TIT2", Latin1("Hidden"))});
    bytes[5] = 0x40;
    TId3v2Tag tag = ReadBytes(bytes);
    EXPECT_TRUE(tag.Exists());
    EXPECT_GT(tag.Size(), 10);
    EXPECT_EQ("", tag.Title());
}

TEST(Id3v2Tag, FrameSizeBeyondFileEndsReadingWithEarlierFields)
{
    ByteVector bytes = Tag(3, {Frame(3, "TIT2", Latin1("Kept"))}, 0);
    ByteVector broken = Frame(3, "TPE1", Latin1("Lost"));
    PutBe(broken, 4, 0xFFFFFFF0u, 4);
    bytes.insert(bytes.begin() + 10 + 15, broken.begin(), broken.end());
    // Grow the declared size so the broken frame lies inside the tag.
    bytes[9] = static_cast<std::uint8_t>(bytes[9] + broken.size());
    TId3v2Tag tag = ReadBytes(bytes);
    EXPECT_EQ("Kept", tag.Title());
    EXPECT_EQ("", tag.Artist());
}

TEST(Id3v2Tag, InnerZeroBytesOfLatin1TextStay)
{
    TId3v2Tag tag = ReadBytes(Tag(3, {Frame(3, "TIT2", Latin1(std::string("A\0B", 3)))}));
    EXPECT_EQ(std::string("A\0B", 3), tag.Title());
}
