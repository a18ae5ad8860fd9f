#include <gtest/gtest.h>

#include <map>
#include <set>

#include "playlist/M3uFormat.h"

namespace quaverly {
namespace {

// Only the paths in `existing` name files; every other path is gone.
TM3uContent Parse(const std::string &bytes, std::set<std::string> existing = {})
{
    return ParseM3u(bytes, TPathLookOne([existing](const std::string &p) {
                        return TPathLook{existing.count(p) ? TPathState::File : TPathState::Gone, std::nullopt};
                    }));
}

// The file system as a table: a path not in it is gone.
TM3uContent Parse(const std::string &bytes, const std::map<std::string, TPathLook> &looks)
{
    return ParseM3u(bytes, TPathLookOne([&looks](const std::string &p) {
                        const auto it = looks.find(p);
                        return it == looks.end() ? TPathLook{} : it->second;
                    }));
}

using Subs = std::vector<std::string>;

TEST(M3uHeader, FlagsNeedRandomAtTheStartAndVisMidiAtTheEnd)
{
    struct Case {
        const char *header;
        bool random, visMidi;
    } cases[] = {
        {"#EXTM3U Random,VisMIDI", true, true}, {"#extm3u random", true, false},
        {"#EXTM3U VisMIDI Random", false, false}, {"#EXTM3U VisMIDI", false, true},
        {"#EXTM3U", false, false}, {"#EXTM3U   RANDOMLY", true, false},
        {"#EXTM3UVISMIDI", false, true},
    };
    for (const Case &c : cases) {
        const TM3uContent content = Parse(std::string(c.header) + "\r\nhttp://h/a.mp3\r\n");
        EXPECT_EQ(c.random, content.Random) << c.header;
        EXPECT_EQ(c.visMidi, content.VisMidi) << c.header;
        ASSERT_EQ(1u, content.Rows.size()) << c.header;
        EXPECT_FALSE(content.Repaired) << c.header;
    }
}

TEST(M3uHeader, WrittenHeadersAreTheFourLines)
{
    EXPECT_EQ("#EXTM3U", M3uHeader(false, false));
    EXPECT_EQ("#EXTM3U Random", M3uHeader(true, false));
    EXPECT_EQ("#EXTM3U VisMIDI", M3uHeader(false, true));
    EXPECT_EQ("#EXTM3U Random,VisMIDI", M3uHeader(true, true));
}

TEST(M3uReader, AsksOnceForThePathsThatNeedAnExistenceCheck)
{
    std::vector<std::vector<std::string>> asked;
    const TM3uContent c = ParseM3u(
        "#EXTM3U\r\n  /m/a.mp3 \r\n#EXTINF:5,x\r\n/m/b.mp3\r\nhttp://h/s\r\n/m/c,d.mp3\r\n/m/a.mp3\r\n/m/gone\r\n",
        TPathLooks([&asked](const std::vector<std::string_view> &paths) {
            asked.emplace_back(paths.begin(), paths.end());
            std::vector<TPathLook> looks;
            for (std::string_view p : paths)
                looks.push_back({p != "/m/gone" ? TPathState::File : TPathState::Gone, std::nullopt});
            return looks;
        }));
    // Trimmed, in file order, without comments, URLs and lines with a comma.
    ASSERT_EQ(1u, asked.size());
    EXPECT_EQ((std::vector<std::string>{"/m/a.mp3", "/m/b.mp3", "/m/a.mp3", "/m/gone"}), asked[0]);
    ASSERT_EQ(4u, c.Rows.size());
    EXPECT_EQ("/m/c,d.mp3", c.Rows[3].SubItems[0]);
    EXPECT_TRUE(c.Repaired);  // the doubled and the missing line
}

TEST(M3uReader, InfoLinesGiveTitlesAndDurations)
{
    const TM3uContent c = Parse(
        "#EXTM3U\r\n"
        "#EXTINF:123,Song\r\n/m/a.mp3\r\n"
        "#EXTINF:-1,Radio\r\nhttp://radio/live\r\n"
        "/m/plain.wav\r\n"
        "#EXTINF:,Lost title\r\n/m/b.mp3\r\n"
        "#EXTINF:Song B\r\n/m/c.mp3\r\n"
        "#EXTINF:abc , Not a number \r\n/m/d.mp3\r\n"
        "#EXTINF: 0042 ,Padded\r\n/m/e.mp3\r\n",
        {"/m/a.mp3", "/m/plain.wav", "/m/b.mp3", "/m/c.mp3", "/m/d.mp3", "/m/e.mp3"});
    ASSERT_EQ(7u, c.Rows.size());
    EXPECT_EQ("Song", c.Rows[0].Caption);
    EXPECT_EQ((Subs{"/m/a.mp3", "123", "2:03"}), c.Rows[0].SubItems);
    EXPECT_EQ("Radio", c.Rows[1].Caption);
    EXPECT_EQ((Subs{"http://radio/live", "0"}), c.Rows[1].SubItems);
    EXPECT_EQ("plain", c.Rows[2].Caption);
    EXPECT_EQ((Subs{"/m/plain.wav"}), c.Rows[2].SubItems);
    EXPECT_EQ("Lost title", c.Rows[3].Caption);
    EXPECT_EQ((Subs{"/m/b.mp3"}), c.Rows[3].SubItems);
    EXPECT_EQ("Song B", c.Rows[4].Caption);
    EXPECT_EQ((Subs{"/m/c.mp3", "0"}), c.Rows[4].SubItems);
    EXPECT_EQ("Not a number", c.Rows[5].Caption);
    EXPECT_EQ((Subs{"/m/d.mp3", "0"}), c.Rows[5].SubItems);
    EXPECT_EQ((Subs{"/m/e.mp3", "0042", "0:42"}), c.Rows[6].SubItems);
    EXPECT_FALSE(c.Repaired);
}

TEST(M3uReader, EmptyTitleIsRepairedFromThePath)
{
    const TM3uContent c = Parse("#EXTINF:123,\r\nC:\\a\\b.mp3\r\n", {"C:\\a\\b.mp3"});
    ASSERT_EQ(1u, c.Rows.size());
    EXPECT_EQ("b", c.Rows[0].Caption);
    EXPECT_EQ((Subs{"C:\\a\\b.mp3", "123", "2:03"}), c.Rows[0].SubItems);
    EXPECT_TRUE(c.Repaired);
}

TEST(M3uReader, CleanUpDropsMissingFilesButKeepsUrlsAndCommaLines)
{
    const TM3uContent c = Parse("  /m/there.mp3  \r\n/m/missing.mp3\r\n\r\n/m/a,b.mp3\r\nmms://s/t\r\n",
                                {"/m/there.mp3"});
    ASSERT_EQ(3u, c.Rows.size());
    EXPECT_EQ("/m/there.mp3", c.Rows[0].SubItems[0]);
    EXPECT_EQ("/m/a,b.mp3", c.Rows[1].SubItems[0]);
    EXPECT_EQ("mms://s/t", c.Rows[2].Caption);
    EXPECT_TRUE(c.Repaired);
}

TEST(M3uReader, FileWithoutHeaderListingExistingFilesIsClean)
{
    const TM3uContent c = Parse("/m/x.mp3\n/m/y.ogg\n/m/z.mid\n", {"/m/x.mp3", "/m/y.ogg", "/m/z.mid"});
    ASSERT_EQ(3u, c.Rows.size());
    EXPECT_EQ("x", c.Rows[0].Caption);
    EXPECT_FALSE(c.Random);
    EXPECT_FALSE(c.VisMidi);
    EXPECT_FALSE(c.Repaired);
}

TEST(M3uReader, StrayCommentsAreDropped)
{
    // Two info lines in a row: the first goes. Unknown comments, a second
    // header and an info line at the end go too.
    const TM3uContent c = Parse(
        "#EXTM3U\n#EXTINF:1,First\n#EXTINF:2,Second\nhttp://a/1\n#EXTM3U Random\n#comment\nhttp://a/2\n"
        "#EXTINF:3,Dangling");
    ASSERT_EQ(2u, c.Rows.size());
    EXPECT_EQ("Second", c.Rows[0].Caption);
    EXPECT_EQ("http://a/2", c.Rows[1].Caption);
    EXPECT_TRUE(c.Repaired);
    EXPECT_FALSE(c.Random);
}

TEST(M3uReader, PathsAreOneEntryWhenByteEqualOrTheSameFileAndCaseMakesThemTwo)
{
    // A repeated text goes with its info line; a text differing in case is
    // another entry.
    TM3uContent c = Parse("#EXTINF:5,One\nhttp://Host/A.mp3\n#EXTINF:6,Two\nhttp://Host/A.mp3\nhttp://HOST/a.mp3\n");
    ASSERT_EQ(2u, c.Rows.size());
    EXPECT_EQ("One", c.Rows[0].Caption);
    EXPECT_EQ("http://HOST/a.mp3", c.Rows[1].SubItems[0]);
    EXPECT_TRUE(c.Repaired);

    const TFileId song{1, 10}, other{1, 11};
    const std::map<std::string, TPathLook> disk = {
        {"/m/Song.mp3", {TPathState::File, song}},
        {"/m/song.mp3", {TPathState::File, other}},
        {"/m/./Song.mp3", {TPathState::File, song}},
        {"/m/link.mp3", {TPathState::File, song}},
    };
    c = Parse("/m/Song.mp3\n/m/song.mp3\n", disk);
    ASSERT_EQ(2u, c.Rows.size());
    EXPECT_FALSE(c.Repaired);
    c = Parse("/m/Song.mp3\n#EXTINF:7,Again\n/m/./Song.mp3\n/m/link.mp3\n/m/song.mp3\n", disk);
    ASSERT_EQ(2u, c.Rows.size());
    EXPECT_EQ("/m/Song.mp3", c.Rows[0].SubItems[0]);
    EXPECT_EQ("/m/song.mp3", c.Rows[1].SubItems[0]);
    EXPECT_TRUE(c.Repaired);
}

TEST(M3uReader, EntriesInAFolderThatCannotBeSeenAreKeptWithoutARepair)
{
    const std::map<std::string, TPathLook> disk = {
        {"/media/usb/a.mp3", {TPathState::Unavailable, std::nullopt}},
        {"/media/usb/b.mp3", {TPathState::Unavailable, std::nullopt}},
        {"/m/here.mp3", {TPathState::File, TFileId{1, 2}}},
    };
    TM3uContent c = Parse("#EXTM3U\n#EXTINF:5,A\n/media/usb/a.mp3\n/media/usb/b.mp3\n/media/usb/a.mp3\n", disk);
    ASSERT_EQ(2u, c.Rows.size());
    EXPECT_EQ((Subs{"/media/usb/a.mp3", "5", "0:05"}), c.Rows[0].SubItems);
    EXPECT_EQ(2, c.Unavailable);
    EXPECT_TRUE(c.HasPathLines);
    EXPECT_TRUE(c.Repaired);  // the repeated line, not the unseen ones

    c = Parse("/media/usb/a.mp3\n/m/here.mp3\n/m/gone.mp3\n", disk);
    ASSERT_EQ(2u, c.Rows.size());
    EXPECT_EQ(1, c.Unavailable);
    EXPECT_TRUE(c.Repaired);  // the gone file
    c = Parse("/media/usb/a.mp3\n/m/here.mp3\n", disk);
    EXPECT_FALSE(c.Repaired);

    // Path lines that all are gone still are path lines; comments are not.
    EXPECT_TRUE(Parse("#EXTM3U\n/m/gone.mp3\n", disk).HasPathLines);
    EXPECT_FALSE(Parse("#EXTM3U Random\n#EXTINF:3,x\n\n", disk).HasPathLines);
}

TEST(M3uReader, OnlyAHeaderOrNothingGivesNoRow)
{
    EXPECT_TRUE(Parse("#EXTM3U Random\r\n").Rows.empty());
    EXPECT_TRUE(Parse("").Rows.empty());
    EXPECT_TRUE(Parse("\r\n \t\r\n").Rows.empty());
}

TEST(M3uReader, BadBytesAreHandledAsText)
{
    // A NUL ends the text.
    TM3uContent c = Parse(std::string("#EXTM3U\nhttp://a/1\n\0http://a/2\n", 27));
    ASSERT_EQ(1u, c.Rows.size());
    // CR-only line ends.
    c = Parse("#EXTM3U Random\r#EXTINF:9,T\rhttp://a/1\rhttp://a/2");
    ASSERT_EQ(2u, c.Rows.size());
    EXPECT_TRUE(c.Random);
    EXPECT_EQ((Subs{"http://a/1", "9", "0:09"}), c.Rows[0].SubItems);
    // A byte-order mark spoils the header, which is dropped: flags false.
    c = Parse("\xEF\xBB\xBF#EXTM3U Random\r\nhttp://a/1\r\n");
    ASSERT_EQ(1u, c.Rows.size());
    EXPECT_FALSE(c.Random);
    EXPECT_TRUE(c.Repaired);
    // Bytes that are not UTF-8 are kept as they are.
    c = Parse("#EXTINF:7,\xC4\xE3\xBA\xC3\nhttp://a/\xFF\xFE\n");
    ASSERT_EQ(1u, c.Rows.size());
    EXPECT_EQ("\xC4\xE3\xBA\xC3", c.Rows[0].Caption);
    EXPECT_EQ("http://a/\xFF\xFE", c.Rows[0].SubItems[0]);
    // A line of a megabyte, and a huge duration that is no int.
    const std::string longUrl = "http://a/" + std::string(1 << 20, 'x');
    c = Parse("#EXTINF:99999999999999999999,Big\n" + longUrl + "\n");
    ASSERT_EQ(1u, c.Rows.size());
    EXPECT_EQ(longUrl, c.Rows[0].SubItems[0]);
    EXPECT_EQ((Subs{longUrl, "0"}), c.Rows[0].SubItems);
}

TEST(M3uWriter, WritesCrLfLinesAndInfoOnlyForMeasuredRows)
{
    const std::vector<TListItem> rows = {
        {"Song", {"/m/a.mp3", "123", "2:03"}, false},
        {"Radio", {"http://r/", "0"}, false},
        {"plain", {"/m/p.wav"}, false},
        {"no path", {}, false},
    };
    EXPECT_EQ("#EXTM3U Random\r\n#EXTINF:123,Song\r\n/m/a.mp3\r\n#EXTINF:0,Radio\r\nhttp://r/\r\n/m/p.wav\r\n",
              EncodeM3u(rows, "#EXTM3U Random"));
}

TEST(M3uWriter, WhatIsWrittenReadsBackTheSame)
{
    const std::string file =
        "#EXTM3U Random,VisMIDI\n#EXTINF:61,One, with comma\n/m/1.mp3\n#EXTINF:,Lost\n/m/2.mp3\n"
        "#EXTINF:Unknown\n/m/3.mp3\n/m/4.mid\nhttp://r/s\n";
    const std::set<std::string> existing = {"/m/1.mp3", "/m/2.mp3", "/m/3.mp3", "/m/4.mid"};
    const TM3uContent first = Parse(file, existing);
    const std::string written = EncodeM3u(first.Rows, M3uHeader(first.Random, first.VisMidi));
    const TM3uContent second = Parse(written, existing);
    EXPECT_TRUE(second.Random);
    EXPECT_TRUE(second.VisMidi);
    EXPECT_FALSE(second.Repaired);
    ASSERT_EQ(first.Rows.size(), second.Rows.size());
    for (size_t i = 0; i < first.Rows.size(); ++i) {
        EXPECT_EQ(first.Rows[i].SubItems, second.Rows[i].SubItems) << i;
        if (first.Rows[i].SubItems.size() >= 2) {
            EXPECT_EQ(first.Rows[i].Caption, second.Rows[i].Caption) << i;
        }
    }
    // The row whose title came without a duration is written without an
    // info line and comes back titled by its file name.
    EXPECT_EQ("2", second.Rows[1].Caption);
    EXPECT_NE(std::string::npos, written.find("#EXTINF:0,Unknown\r\n"));
    EXPECT_EQ(EncodeM3u(second.Rows, M3uHeader(true, true)), written);
}

TEST(M3uWriter, HeaderReplacementKeepsEveryOtherByte)
{
    const std::string rest = "\n#EXTINF:5,a\r\n/m/a.mp3\r\r\n junk \n";
    EXPECT_EQ("#EXTM3U Random" + rest, ReplaceM3uHeader("#extm3u VisMIDI" + rest, "#EXTM3U Random"));
    EXPECT_EQ("#EXTM3U\r\n/m/a.mp3\n/m/b.mp3", ReplaceM3uHeader("/m/a.mp3\n/m/b.mp3", "#EXTM3U"));
    EXPECT_EQ("#EXTM3U\r\n", ReplaceM3uHeader("", "#EXTM3U"));
    EXPECT_EQ("#EXTM3U VisMIDI\r\n", ReplaceM3uHeader("#EXTM3U", "#EXTM3U VisMIDI"));
}

}  // namespace
}  // namespace quaverly
