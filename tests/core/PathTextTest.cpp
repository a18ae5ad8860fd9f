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

TEST(PathText, PathsWithASlashSplitOnlyAtSlashes)
{
    EXPECT_EQ("/a/b/", FolderOf("/a/b/c.m3u"));
    EXPECT_EQ("", FolderOf("c.m3u"));
    EXPECT_EQ("c.m3u", FileNameOf("/a/b/c.m3u"));
    // ":" and "\\" are ordinary characters of a name here.
    EXPECT_EQ("/m/", FolderOf("/m/Live: Berlin.mp3"));
    EXPECT_EQ("Live: Berlin.mp3", FileNameOf("/m/Live: Berlin.mp3"));
    EXPECT_EQ("Live: Berlin", DisplayNameOf("/m/Live: Berlin.mp3"));
    EXPECT_EQ("AC\\DC", DisplayNameOf("/m/AC\\DC.mp3"));
    EXPECT_EQ("/m/AC\\/", FolderOf("/m/AC\\/x.mp3"));
    EXPECT_EQ("", ExtensionOf("/m.d/name"));
    EXPECT_EQ(".2\\name", ExtensionOf("/m/v1.2\\name"));
    EXPECT_EQ(".mp3", ExtensionOf("/m/a:b.mp3"));
    // Texts without "/" are Windows paths of old playlists.
    EXPECT_EQ("C:\\a\\", FolderOf("C:\\a\\b.mp3"));
    EXPECT_EQ("b.mp3", FileNameOf("C:\\a\\b.mp3"));
    EXPECT_EQ("C:", FolderOf("C:d.wav"));
    EXPECT_TRUE(SameTextAscii("\xC4\xE3x", "\xC4\xE3X"));
    EXPECT_FALSE(SameTextAscii("\xE4", "\xC4"));  // only ASCII letters fold
}

TEST(PathText, UpperCasingTouchesOnlyAsciiLetters)
{
    EXPECT_EQ("/AUTO", UpperAscii("/aUtO"));
    EXPECT_EQ("\xC3\xA9T\xC3\xA9.M3U", UpperAscii("\xC3\xA9t\xC3\xA9.m3u"));
}

TEST(PathText, ExtensionAndFileNameOfPathsWithoutASlash)
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
