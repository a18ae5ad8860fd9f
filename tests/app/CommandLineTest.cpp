#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include "app/RegistrySteps.h"

using namespace quaverly;

namespace {

TArgumentKind Classify(std::vector<std::string> arguments)
{
    return ClassifyArgument(TCommandLine(std::move(arguments)));
}

TEST(CommandLineTest, ArgumentOneDecidesTheStart)
{
    EXPECT_EQ(TArgumentKind::None, Classify({}));
    EXPECT_EQ(TArgumentKind::Auto, Classify({"/AUTO"}));
    EXPECT_EQ(TArgumentKind::Auto, Classify({"/auto"}));
    EXPECT_EQ(TArgumentKind::Auto, Classify({"/Auto", "/PLAY"}));
    EXPECT_EQ(TArgumentKind::Play, Classify({"/play"}));
    EXPECT_EQ(TArgumentKind::Playlist, Classify({"D:\\music\\list.m3u"}));
    EXPECT_EQ(TArgumentKind::Playlist, Classify({"/home/u/My List.M3U"}));
    EXPECT_EQ(TArgumentKind::Playlist, Classify({"http://host/radio.m3u"}));
    // Near misses are media files.
    EXPECT_EQ(TArgumentKind::MediaFile, Classify({"/AUTOPLAY"}));
    EXPECT_EQ(TArgumentKind::MediaFile, Classify({"AUTO"}));
    EXPECT_EQ(TArgumentKind::MediaFile, Classify({"/music/list.m3u8"}));
    EXPECT_EQ(TArgumentKind::MediaFile, Classify({"/music/list.m3u.mp3"}));
    EXPECT_EQ(TArgumentKind::MediaFile, Classify({"/music/lists.m3u/song"}));
    EXPECT_EQ(TArgumentKind::MediaFile, Classify({""}));
    // Only argument 1 counts.
    EXPECT_EQ(TArgumentKind::MediaFile, Classify({"song.mp3", "/AUTO"}));
}

TEST(CommandLineTest, ArgumentsLeaveOutTheExecutableAndKeepBlanks)
{
    const char *argv[] = {"/opt/quaverly", "/music/a song.mp3", "x"};
    TCommandLine line = TCommandLine::FromMain(3, argv);
    EXPECT_EQ(2, line.Count());
    EXPECT_EQ("/music/a song.mp3", line.Arg(1));
    EXPECT_EQ("x", line.Arg(2));
    EXPECT_EQ("", line.Arg(0));
    EXPECT_EQ("", line.Arg(3));
    EXPECT_EQ(0, TCommandLine::FromMain(1, argv).Count());
}

TEST(RegistryIntegerTest, OnlyWholeDecimalNumbersCount)
{
    EXPECT_EQ(-2000, RegistryInteger(std::string("-2000")));
    EXPECT_EQ(600, RegistryInteger(std::string("+600")));
    EXPECT_EQ(0, RegistryInteger(std::nullopt));
    for (const char *bad : {"", "-", "+", "12x", " 5", "0x10", "--3", "99999999999999999999"})
        EXPECT_EQ(0, RegistryInteger(std::string(bad))) << bad;
}

TEST(RegistryStepsTest, OpenCommandQuotesThePathAndTheArgument)
{
    EXPECT_EQ("Applications\\player.exe\\shell\\open\\command", OpenCommandKey("C:\\Tools\\player.exe"));
    EXPECT_EQ("\"C:\\Tools\\player.exe\" \"%1\"", OpenCommandValue("C:\\Tools\\player.exe"));
}

}  // namespace
