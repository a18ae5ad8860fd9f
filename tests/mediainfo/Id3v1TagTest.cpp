#include "mediainfo/GenreTable.h"
#include "mediainfo/Id3v1Tag.h"
#include "MediaFixtures.h"

#include <gtest/gtest.h>

using namespace quaverly::mediainfo;
using namespace quaverly::mediainfo::test;

namespace {

// A tag with every field filled and padded with zeros, as most taggers write it.
ByteVector TagBytes()
{
    ByteVector tag(128, 0);
    PutText(tag, 0, "TAG");
    PutText(tag, 3, "Title");
    PutText(tag, 33, "Artist");
    PutText(tag, 63, "Album");
    PutText(tag, 93, "1999");
    PutText(tag, 97, "Comment");
    tag[127] = 17;
    return tag;
}

ByteVector WithAudioBefore(const ByteVector& tag, std::size_t audioBytes)
{
    ByteVector file(audioBytes, 0xAB);
    file.insert(file.end(), tag.begin(), tag.end());
    return file;
}

} // namespace

TEST(Id3v1Tag, ReadsFieldsOfTagAtEndOfFile)
{
    TempFolder dir;
    TId3v1Tag tag;
    ASSERT_TRUE(tag.ReadInfo(dir.Write("a.mp3", WithAudioBefore(TagBytes(), 1000))));
    EXPECT_TRUE(tag.Exists());
    EXPECT_EQ(1, tag.VersionID());
    EXPECT_EQ("Title", tag.Title());
    EXPECT_EQ("Artist", tag.Artist());
    EXPECT_EQ("Album", tag.Album());
    EXPECT_EQ("1999", tag.Year());
    EXPECT_EQ("Comment", tag.Comment());
    EXPECT_EQ(0, tag.Track());
    EXPECT_EQ(17, tag.GenreID());
    EXPECT_EQ("Rock", GenreName(tag.GenreID()));
}

TEST(Id3v1Tag, FileOfExactlyTagSizeIsReadAsTag)
{
    TempFolder dir;
    TId3v1Tag tag;
    ASSERT_TRUE(tag.ReadInfo(dir.Write("a.mp3", TagBytes())));
    EXPECT_TRUE(tag.Exists());
    EXPECT_EQ("Title", tag.Title());
}

TEST(Id3v1Tag, ShortOrMissingFileFailsAndLeavesClearedState)
{
    TempFolder dir;
    TId3v1Tag tag;
    ASSERT_TRUE(tag.ReadInfo(dir.Write("full.mp3", TagBytes())));
    ByteVector shortFile = TagBytes();
    shortFile.resize(127);
    EXPECT_FALSE(tag.ReadInfo(dir.Write("short.mp3", shortFile)));
    EXPECT_FALSE(tag.Exists());
    EXPECT_EQ("", tag.Title());
    EXPECT_EQ(255, tag.GenreID());
    EXPECT_FALSE(tag.ReadInfo(dir.File("missing.mp3")));
    EXPECT_FALSE(tag.ReadInfo(dir.Root()));
}

TEST(Id3v1Tag, TailWithoutIdentifierIsNoTagButReadSucceeds)
{
    TempFolder dir;
    ByteVector bytes = TagBytes();
    bytes[0] = 'X';
    TId3v1Tag tag;
    EXPECT_TRUE(tag.ReadInfo(dir.Write("a.mp3", WithAudioBefore(bytes, 10))));
    EXPECT_FALSE(tag.Exists());
    EXPECT_EQ("", tag.Title());
    EXPECT_EQ(255, tag.GenreID());
}

TEST(Id3v1Tag, VersionIsToldByTheTwoBytesBeforeTheGenre)
{
    struct Case {
        std::uint8_t b125, b126;
        int version, track;
        std::string comment;
    };
    const Case cases[] = {
        {0x00, 0x05, 2, 5, "Comment"},
        {0x20, 0x20, 1, 0, "Comment"},
        {0x20, 'A', 2, 'A', "Comment"},
        {0x00, 0x00, 1, 0, "Comment"},
    };
    for (const Case& c : cases) {
        ByteVector bytes = TagBytes();
        PutText(bytes, 97, std::string(28, 'c'));
        PutText(bytes, 97, "Comment");
        for (std::size_t i = 97 + 7; i < 125; ++i)
            bytes[i] = ' ';
        bytes[125] = c.b125;
        bytes[126] = c.b126;
        TId3v1Tag tag;
        tag.ParseTag(bytes);
        SCOPED_TRACE(int(c.b125) * 1000 + c.b126);
        EXPECT_EQ(c.version, tag.VersionID());
        EXPECT_EQ(c.track, tag.Track());
        EXPECT_EQ(c.comment, tag.Comment());
    }
}

TEST(Id3v1Tag, Version10CommentKeepsAllThirtyBytes)
{
    ByteVector bytes = TagBytes();
    PutText(bytes, 97, std::string(30, 'x'));
    TId3v1Tag tag;
    tag.ParseTag(bytes);
    EXPECT_EQ(1, tag.VersionID());
    EXPECT_EQ(std::string(30, 'x'), tag.Comment());
}

TEST(Id3v1Tag, Version11CommentIsCutAtTwentyEightBytes)
{
    ByteVector bytes = TagBytes();
    PutText(bytes, 97, std::string(28, 'x'));
    bytes[125] = 0;
    bytes[126] = 9;
    TId3v1Tag tag;
    tag.ParseTag(bytes);
    EXPECT_EQ(std::string(28, 'x'), tag.Comment());
    EXPECT_EQ(9, tag.Track());
}

TEST(Id3v1Tag, ZeroAndSpacePaddingGiveTheSameTextButInnerZeroStays)
{
    ByteVector zeros = TagBytes();
    ByteVector spaces = TagBytes();
    for (std::size_t i = 3 + 5; i < 33; ++i)
        spaces[i] = ' ';
    spaces[20] = 0x09; // a tab among the padding is trimmed too
    TId3v1Tag a, b;
    a.ParseTag(zeros);
    b.ParseTag(spaces);
    EXPECT_EQ(a.Title(), b.Title());

    ByteVector inner = TagBytes();
    PutText(inner, 3, std::string("Ti\0tle", 6));
    TId3v1Tag c;
    c.ParseTag(inner);
    EXPECT_EQ(std::string("Ti\0tle", 6), c.Title());
}

TEST(Id3v1Tag, TextsKeepHighBytesUnconverted)
{
    ByteVector bytes = TagBytes();
    PutText(bytes, 3, std::string("\xC4\xE3\xBA\xC3\0", 5));
    TId3v1Tag tag;
    tag.ParseTag(bytes);
    EXPECT_EQ("\xC4\xE3\xBA\xC3", tag.Title());
}

TEST(GenreTable, NamesTheDefinedNumbersOnly)
{
    EXPECT_EQ("Blues", GenreName(0));
    EXPECT_EQ("Other", GenreName(12));
    EXPECT_EQ("Psychadelic", GenreName(67));
    EXPECT_EQ("Synthpop", GenreName(147));
    EXPECT_EQ("", GenreName(148));
    EXPECT_EQ("", GenreName(255));
    EXPECT_EQ("", GenreName(-1));
    int named = 0;
    for (int i = 0; i < 256; ++i)
        named += GenreName(i).empty() ? 0 : 1;
    EXPECT_EQ(148, named);
}

TEST(Id3v1Tag, GenreAboveTableIsKept)
{
    ByteVector bytes = TagBytes();
    bytes[127] = 200;
    TId3v1Tag tag;
    tag.ParseTag(bytes);
    EXPECT_EQ(200, tag.GenreID());
}
