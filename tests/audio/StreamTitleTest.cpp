#include "audio/ByteTime.h"
#include "audio/StreamTitle.h"

#include <gtest/gtest.h>

#include <string>

using namespace quaverly::audio;
using namespace std::string_literals;

TEST(StreamUrl, SchemesAreCaseSensitive)
{
    EXPECT_TRUE(IsStreamUrl("http://h/a.mp3"));
    EXPECT_TRUE(IsStreamUrl("mmst://h/a"));
    EXPECT_TRUE(IsStreamUrl("ftp://h/a"));
    EXPECT_TRUE(IsStreamUrl("mms://h/a"));
    EXPECT_FALSE(IsStreamUrl("HTTP://h/a.mp3"));
    EXPECT_FALSE(IsStreamUrl("https://h/a.mp3"));
    EXPECT_FALSE(IsStreamUrl("/music/http://x"));
    EXPECT_FALSE(IsStreamUrl("mms:/"));
}

TEST(StreamUrl, ExtensionFromTheLastDotBackslashOrColon)
{
    EXPECT_EQ(".MP3", UrlExtension("http://h/a.b/song.mp3"));
    EXPECT_EQ(".WMA", UrlExtension("mms://h/x.Wma"));
    EXPECT_EQ("", UrlExtension("http://host:8000/live"));
    EXPECT_EQ(".OGG", UrlExtension("http://host:8000/live.ogg"));
    EXPECT_EQ(".NET/LIVE", UrlExtension("http://radio.net/live"));
}

TEST(StreamUrl, TitleFromTheNamePartWithoutItsExtension)
{
    EXPECT_EQ("song", TitleFromUrl("http://127.0.0.1/music/song.mp3"));
    // A name part shorter than two characters: the "/" search starts at L-6,
    // so the title reaches back into the path.
    EXPECT_EQ("music/a", TitleFromUrl("http://h/music/a.mp3"));
    EXPECT_EQ("", TitleFromUrl("http://a"));
    EXPECT_EQ("", TitleFromUrl(""));
}

TEST(StreamTitleMetadata, TextBetweenTheQuotes)
{
    EXPECT_EQ("First Song", TitleFromMetadata("StreamTitle='First Song';"));
    EXPECT_EQ("A", TitleFromMetadata("StreamTitle='A';StreamUrl='http://x/';"));
    EXPECT_EQ("", TitleFromMetadata("StreamTitle='';"));
    EXPECT_EQ("", TitleFromMetadata("StreamTitle="));
    // No closing "';": the title runs to the end, a final quote dropped.
    EXPECT_EQ("Open end", TitleFromMetadata("StreamTitle='Open end'"));
    EXPECT_EQ("No quote", TitleFromMetadata("StreamTitle='No quote"));
}

TEST(StreamTitleMetadata, TitleHoldingSemicolonsAndQuotesComesThroughWhole)
{
    EXPECT_EQ("第二首 Second; it's", TitleFromMetadata("StreamTitle='第二首 Second; it's';"));
    EXPECT_EQ("Rock 'n' Roll; Live", TitleFromMetadata("StreamTitle='Rock 'n' Roll; Live';StreamUrl='';"));
    EXPECT_EQ("a;b", TitleFromMetadata("StreamTitle='a;b'"));
}

TEST(StreamTitleMetadata, CommentListsInAnyCaseSkippingOtherKeys)
{
    const std::string list = "ARTIST=Someone\0SUBTITLE=wrong\0title=Low Case\0TITLE=Second\0\0"s;
    EXPECT_EQ("Low Case", TitleFromMetadata(LibraryText(list.c_str())));
    // The open path of a network file takes only the exact-case key.
    EXPECT_EQ("Second", TitleFromComments(LibraryText(list.c_str()), false));
    const std::string none = "ARTIST=x\0\0"s;
    EXPECT_EQ("", TitleFromMetadata(LibraryText(none.c_str())));
    EXPECT_EQ("", TitleFromMetadata(""));
    EXPECT_EQ("", TitleFromMetadata(LibraryText(nullptr)));
}

// An ICY block is one string: metadata without "StreamTitle=" is read as a
// comment list that ends with the text, whatever lies behind it.
TEST(StreamTitleMetadata, ReadingStopsAtTheEndOfTheText)
{
    const std::string icy = "StreamUrl='http://ad.example/';\0TITLE=Beyond\0\0"s;
    EXPECT_EQ("", TitleFromMetadata(std::string_view(icy.c_str())));
    EXPECT_EQ("", TitleFromComments(std::string_view(icy.c_str()), true));
    // The library's two NULs bound a single string just like a list.
    const std::string notice = "StreamUrl='http://ad.example/';\0\0TITLE=Beyond\0\0"s;
    EXPECT_EQ("StreamUrl='http://ad.example/';", LibraryText(notice.c_str()));
    EXPECT_EQ("", TitleFromMetadata(LibraryText(notice.c_str())));
    const std::string lone = "TITLE=Lone\0\0"s;
    EXPECT_EQ("Lone", TitleFromMetadata(LibraryText(lone.c_str())));
    // A list cut short without its final empty string stops at the bound.
    EXPECT_EQ("", TitleFromComments("ALBUM=x", true));
    EXPECT_EQ("x", TitleFromComments("TITLE=x", true));
    EXPECT_EQ("", TitleFromComments("TITLE", true));
}

TEST(StreamTitleMetadata, LongTitlesAreCutTo255BytesOnACharacterBoundary)
{
    const std::string ascii(300, 'x');
    EXPECT_EQ(std::string(255, 'x'), TitleFromMetadata(("StreamTitle='" + ascii + "';").c_str()));
    std::string wide;
    for (int i = 0; i < 100; ++i)
        wide += "首"; // three bytes each
    const std::string cut = TitleFromMetadata(("StreamTitle='" + wide + "';").c_str());
    EXPECT_EQ(255u, cut.size()); // 85 whole characters
    const std::string offset = "x" + wide;
    EXPECT_EQ(253u, CutTitle(offset).size()); // 1 + 84 * 3: the 85th would be split
}

TEST(ByteTime, LibrarySecondsToRoundedMilliseconds)
{
    EXPECT_EQ(10031, LibrarySecondsToMs(10.031));
    EXPECT_EQ(0, LibrarySecondsToMs(-1.0));
    EXPECT_EQ(1500, LibrarySecondsToMs(1.5));
    EXPECT_EQ(2147483647, LibrarySecondsToMs(1e12));
    EXPECT_EQ(128, NetFileBitRate(160000, 10.0));
    EXPECT_EQ(0, NetFileBitRate(160000, 0.0)); // unknown length: no division by zero
    EXPECT_EQ(0, NetFileBitRate(-1, 10.0));
}
