#include "MediaFixtures.h"
#include "mediainfo/WavInfo.h"

#include <gtest/gtest.h>

using namespace quaverly::mediainfo;
using namespace quaverly::mediainfo::test;

namespace {

ByteVector WavHeader(std::uint32_t riffSize, int channels, std::uint32_t rate, int bits, int formatTag = 1)
{
    ByteVector h;
    PutText(h, 0, "RIFF");
    PutLe(h, 4, riffSize, 4);
    PutText(h, 8, "WAVE");
    PutText(h, 12, "fmt ");
    PutLe(h, 16, 16, 4);
    PutLe(h, 20, formatTag, 2);
    PutLe(h, 22, channels, 2);
    PutLe(h, 24, rate, 4);
    PutLe(h, 28, rate * channels * bits / 8, 4);
    PutLe(h, 32, channels * bits / 8, 2);
    PutLe(h, 34, bits, 2);
    PutText(h, 36, "data");
    PutLe(h, 40, riffSize - 36, 4);
    return h;
}

} // namespace

TEST(WavInfo, ReadsStereoCdHeaderOfOneSecond)
{
    TempFolder dir;
    TWavInfo wav;
    ASSERT_TRUE(wav.ReadInfo(dir.Write("a.wav", WavHeader(176436, 2, 44100, 16))));
    ASSERT_TRUE(wav.IsValid());
    EXPECT_EQ(2, wav.Channels());
    EXPECT_EQ(44100, wav.SampleRate());
    EXPECT_EQ(16, wav.BitsPerSample());
    EXPECT_EQ(176444u, wav.FileSize());
    EXPECT_DOUBLE_EQ(1.0, wav.Duration());
}

TEST(WavInfo, LargeRiffSizeGivesLongDuration)
{
    TWavInfo wav;
    wav.ParseHeader(WavHeader(1073741816u, 2, 44100, 16));
    EXPECT_EQ(1073741824u, wav.FileSize());
    EXPECT_DOUBLE_EQ((1073741824.0 - 44) * 8 / 44100 / 16 / 2, wav.Duration());
    EXPECT_NEAR(6086.97, wav.Duration(), 0.01);
}

TEST(WavInfo, FormatTagIsNotChecked)
{
    TWavInfo wav;
    wav.ParseHeader(WavHeader(1000, 1, 8000, 8, 0x55));
    EXPECT_TRUE(wav.IsValid());
    EXPECT_EQ(1, wav.Channels());
}

TEST(WavInfo, InvalidHeadersLeaveClearedState)
{
    ByteVector six = WavHeader(1000, 6, 44100, 16);
    ByteVector list = WavHeader(1000, 2, 44100, 16);
    PutText(list, 12, "LIST");
    ByteVector rifx = WavHeader(1000, 2, 44100, 16);
    PutText(rifx, 0, "RIFX");
    ByteVector avi = WavHeader(1000, 2, 44100, 16);
    PutText(avi, 8, "AVI ");
    for (const ByteVector& h : {six, list, rifx, avi}) {
        TempFolder dir;
        TWavInfo wav;
        EXPECT_TRUE(wav.ReadInfo(dir.Write("a.wav", h)));
        EXPECT_FALSE(wav.IsValid());
        EXPECT_EQ(0, wav.Channels());
        EXPECT_EQ(0u, wav.FileSize());
        EXPECT_EQ(0.0, wav.Duration());
    }
}

TEST(WavInfo, ShortOrMissingFileFails)
{
    TempFolder dir;
    ByteVector h = WavHeader(176436, 2, 44100, 16);
    TWavInfo wav;
    ASSERT_TRUE(wav.ReadInfo(dir.Write("ok.wav", h)));
    h.resize(43);
    EXPECT_FALSE(wav.ReadInfo(dir.Write("short.wav", h)));
    EXPECT_FALSE(wav.IsValid());
    EXPECT_EQ(0, wav.SampleRate());
    EXPECT_FALSE(wav.ReadInfo(dir.File("missing.wav")));
}

TEST(WavInfo, FieldsAreTruncatedToTheirStoredWidths)
{
    TWavInfo wav;
    ByteVector h = WavHeader(1000, 2, 96000, 16);
    PutLe(h, 34, 0x0118, 2); // bits per sample 280: only the low byte (24) is kept
    wav.ParseHeader(h);
    EXPECT_EQ(96000 & 0xFFFF, wav.SampleRate());
    EXPECT_EQ(24, wav.BitsPerSample());
}

TEST(WavInfo, ZeroRateOrBitsGiveZeroDuration)
{
    TWavInfo wav;
    wav.ParseHeader(WavHeader(1000, 2, 0, 16));
    EXPECT_TRUE(wav.IsValid());
    EXPECT_EQ(0.0, wav.Duration());
    wav.ParseHeader(WavHeader(1000, 2, 65536, 16)); // rate wraps to 0 in 16 bits
    EXPECT_EQ(0.0, wav.Duration());
    wav.ParseHeader(WavHeader(1000, 2, 44100, 0));
    EXPECT_EQ(0.0, wav.Duration());
}

TEST(WavInfo, RiffSizeBelowHeaderGivesNoDurationRatherThanWrapped)
{
    TWavInfo wav;
    wav.ParseHeader(WavHeader(10, 2, 44100, 16));
    EXPECT_EQ(18u, wav.FileSize());
    EXPECT_EQ(0.0, wav.Duration());
}

TEST(WavInfo, SoxGeneratedFileMatchesItsLength)
{
    if (!HasTool("sox"))
        GTEST_SKIP() << "sox is not installed";
    TempFolder dir;
    std::string file = dir.File("tone.wav");
    ASSERT_TRUE(RunQuietly("sox -n -r 22050 -b 16 -c 1 '" + file + "' synth 2 sine 440"));
    TWavInfo wav;
    ASSERT_TRUE(wav.ReadInfo(file));
    ASSERT_TRUE(wav.IsValid());
    EXPECT_EQ(1, wav.Channels());
    EXPECT_EQ(22050, wav.SampleRate());
    EXPECT_EQ(16, wav.BitsPerSample());
    EXPECT_NEAR(2.0, wav.Duration(), 0.01);
}
