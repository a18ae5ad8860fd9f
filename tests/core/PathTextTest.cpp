#include <gtest/gtest.h>

#include "core/PathText.h"

namespace quaverly {
namespace {

TEST(DisplayNameOf, UrlsStayWholeAndPathsLoseFolderAndExtension)
{
    EXPECT_EQ("http://host/dir/song.mp3", DisplayNameOf("http://host/dir/song.mp3"));
    EXPECT_EQ("mms://x", DisplayNameOf("mms://x"));
    EXPECT_EQ("song", DisplayNameOf("/music/song.mp3"));
    EXPECT_EQ("b", DisplayNameOf("C:\\a\\b.mp3"));
    EXPECT_EQ("d", DisplayNameOf("C:d.wav"));
    EXPECT_EQ("my.song", DisplayNameOf("/m/my.song.ogg"));
    EXPECT_EQ("noext", DisplayNameOf("/m.d/noext"));
    EXPECT_EQ("", DisplayNameOf("/m/.hidden"));
    EXPECT_EQ("relative", DisplayNameOf("relative.mid"));
}

TEST(PathText, FoldersCompareWithoutCaseAndTrailingSeparator)
{
    EXPECT_EQ("/a/b/", FolderOf("/a/b/c.m3u"));
    EXPECT_EQ("", FolderOf("c.m3u"));
    EXPECT_EQ("c.m3u", FileNameOf("/a/b/c.m3u"));
    EXPECT_TRUE(SameFolder("/Music/", "/music"));
    EXPECT_FALSE(SameFolder("/music/a/", "/music/"));
    EXPECT_TRUE(SameTextAscii("\xC4\xE3x", "\xC4\xE3X"));
    EXPECT_FALSE(SameTextAscii("\xE4", "\xC4"));  // only ASCII letters fold
}

TEST(PathText, UpperCasingTouchesOnlyAsciiLetters)
{
    EXPECT_EQ("/AUTO", UpperAscii("/aUtO"));
    EXPECT_EQ("\xC3\xA9T\xC3\xA9.M3U", UpperAscii("\xC3\xA9t\xC3\xA9.m3u"));
}

TEST(PathText, ExtensionAndFileNameSplitAtEverySeparator)
{
    EXPECT_EQ(".m3u", ExtensionOf("/a/b.c/list.m3u"));
    EXPECT_EQ("", ExtensionOf("/a/b.c/list"));
    EXPECT_EQ("", ExtensionOf("C:list"));
    EXPECT_EQ(".", ExtensionOf("name."));
    EXPECT_EQ("player.exe", FileNameOf("C:\\Tools\\player.exe"));
    EXPECT_EQ("quaverly", FileNameOf("/opt/bin/quaverly"));
    EXPECT_EQ("x", FileNameOf("c:x"));
}

TEST(FormatDuration, MinutesAndTwoDigitSecondsWithoutHours)
{
    EXPECT_EQ("0:05", FormatDuration(5));
    EXPECT_EQ("0:42", FormatDuration(42));
    EXPECT_EQ("1:00", FormatDuration(60));
    EXPECT_EQ("2:05", FormatDuration(125));
    EXPECT_EQ("60:00", FormatDuration(3600));
}

}  // namespace
}  // namespace quaverly
