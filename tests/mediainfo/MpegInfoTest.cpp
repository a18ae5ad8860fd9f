#include "MediaFixtures.h"
#include "mediainfo/MpegInfo.h"

#include <gtest/gtest.h>

using namespace quaverly::mediainfo;
using namespace quaverly::mediainfo::test;

namespace {

// MPEG 1 Layer III, 128 kbit/s, 44100 Hz, no CRC, joint stereo: 417 bytes a frame.
constexpr std::uint8_t Header128[4] = {0xFF, 0xFB, 0x90, 0x40};
constexpr std::size_t Frame128Size = 417;

void AppendFrames(ByteVector& file, int count, const std::uint8_t (&header)[4], std::size_t size)
{
    for (int i = 0; i < count; ++i) {
        const std::size_t start = file.size();
        file.resize(start + size, 0x11);
        for (int j = 0; j < 4; ++j)
            file[start + j] = header[j];
    }
}

ByteVector CbrFile(int frames, std::size_t garbage = 0)
{
    ByteVector file(garbage, 0x00);
    AppendFrames(file, frames, Header128, Frame128Size);
    return file;
}

TMpegInfo Read(const ByteVector& bytes, bool expectOk = true)
{
    TempFolder dir;
    TMpegInfo info;
    EXPECT_EQ(expectOk, info.ReadInfo(dir.Write("a.mp3", bytes)));
    return info;
}

} // namespace

TEST(MpegFrame, FrameLengthTruncatesAndAddsPadding)
{
    const std::uint8_t padded[4] = {0xFF, 0xFB, 0x92, 0x40};
    EXPECT_EQ(418, MpegFrameLength(DecodeFrameHeader(padded, 0)));
    EXPECT_EQ(417, MpegFrameLength(DecodeFrameHeader(Header128, 0)));
}

TEST(MpegFrame, LayerOneFramesAreWholeSlots)
{
    // MPEG 1 Layer I 128 kbit/s: 12 * 128000 / 44100 = 34 slots of 4 bytes,
    // one slot more when padded; 32 slots at 48 kHz.
    const std::uint8_t at44[4] = {0xFF, 0xFF, 0x40, 0x00};
    const std::uint8_t at44Padded[4] = {0xFF, 0xFF, 0x42, 0x00};
    const std::uint8_t at48[4] = {0xFF, 0xFF, 0x44, 0x00};
    // MPEG 2 Layer I 64 kbit/s at 22050 Hz: 12 * 64000 / 22050 = 34 slots.
    const std::uint8_t mpeg2[4] = {0xFF, 0xF7, 0x40, 0x00};
    EXPECT_EQ(136, MpegFrameLength(DecodeFrameHeader(at44, 0)));
    EXPECT_EQ(140, MpegFrameLength(DecodeFrameHeader(at44Padded, 0)));
    EXPECT_EQ(128, MpegFrameLength(DecodeFrameHeader(at48, 0)));
    EXPECT_EQ(136, MpegFrameLength(DecodeFrameHeader(mpeg2, 0)));

    TempFolder dir;
    ByteVector file;
    for (int i = 0; i < 50; ++i) {
        file.insert(file.end(), at44, at44 + 4);
        file.resize(file.size() + 132, 0);
    }
    TMpegInfo info;
    ASSERT_TRUE(info.ReadInfo(dir.Write("a.mp1", file)));
    EXPECT_TRUE(info.IsValid());
    EXPECT_EQ(0, info.Frame().Position);
    EXPECT_EQ(136, info.Frame().Size);
}

TEST(MpegFrame, ReservedAndFreeFormatHeadersAreRejected)
{
    EXPECT_TRUE(IsFrameHeader(Header128, 0));
    const std::uint8_t freeFormat[4] = {0xFF, 0xFB, 0x00, 0x40};
    const std::uint8_t badRate[4] = {0xFF, 0xFB, 0xF0, 0x40};
    const std::uint8_t reservedRate[4] = {0xFF, 0xFB, 0x9C, 0x40};
    const std::uint8_t reservedVersion[4] = {0xFF, 0xEB, 0x90, 0x40};
    const std::uint8_t reservedLayer[4] = {0xFF, 0xF9, 0x90, 0x40};
    const std::uint8_t reservedEmphasis[4] = {0xFF, 0xFB, 0x90, 0x42};
    for (const auto* h : {freeFormat, badRate, reservedRate, reservedVersion, reservedLayer, reservedEmphasis})
        EXPECT_FALSE(IsFrameHeader(Bytes(h, 4), 0));
}

TEST(MpegInfo, CbrFileGivesTableRateAndLengthFromFileSize)
{
    TMpegInfo info = Read(CbrFile(100));
    ASSERT_TRUE(info.IsValid());
    EXPECT_EQ(0, info.Frame().Position);
    EXPECT_EQ(417, info.Frame().Size);
    EXPECT_EQ(128, info.BitRate());
    EXPECT_EQ(44100, info.SampleRate());
    EXPECT_EQ("Joint Stereo", info.ChannelModeText());
    EXPECT_DOUBLE_EQ(41700.0 / 128 / 1000 * 8, info.Duration());
}

TEST(MpegInfo, GarbageBeforeFirstFrameIsLeftOutOfDuration)
{
    TMpegInfo info = Read(CbrFile(100, 1000));
    ASSERT_TRUE(info.Frame().Found);
    EXPECT_EQ(1000, info.Frame().Position);
    EXPECT_DOUBLE_EQ(41700.0 / 128 / 1000 * 8, info.Duration());
}

TEST(MpegInfo, LoneHeaderWithoutSuccessorIsSkipped)
{
    ByteVector file(20, 0);
    for (int j = 0; j < 4; ++j)
        file[5 + j] = Header128[j]; // no header 417 bytes later
    AppendFrames(file, 20, Header128, Frame128Size);
    TMpegInfo info = Read(file);
    EXPECT_EQ(20, info.Frame().Position);
}

TEST(MpegInfo, XingHeaderGivesAverageRateAndFrameCount)
{
    ByteVector file = CbrFile(20);
    PutText(file, 36, "Xing");
    PutBe(file, 36 + 8, 1000, 4);
    PutBe(file, 36 + 12, 417960, 4);
    file[36 + 119] = 57;
    PutText(file, 36 + 120, "LAME3.99");
    TMpegInfo info = Read(file);
    ASSERT_TRUE(info.VBR().Found);
    EXPECT_EQ("Xing", info.VBR().ID);
    EXPECT_EQ(1000, info.VBR().Frames);
    EXPECT_EQ(57, info.VBR().Scale);
    EXPECT_EQ("LAME3.99", info.VBR().VendorID);
    EXPECT_EQ(128, info.BitRate());
    EXPECT_DOUBLE_EQ(1000.0 * 144 * 8 / 44100, info.Duration());
    EXPECT_TRUE(info.IsValid());
    EXPECT_EQ("", info.VendorID()); // no tail search for variable rates
}

TEST(MpegInfo, Mpeg2MonoLooksForVbriAtThirteen)
{
    // MPEG 2 Layer III, 64 kbit/s, 22050 Hz, mono: 72 * 64000 / 22050 = 208 bytes.
    const std::uint8_t header[4] = {0xFF, 0xF3, 0x80, 0xC0};
    ByteVector file;
    AppendFrames(file, 30, header, 208);
    PutText(file, 13, "VBRI");
    file[13 + 9] = 80;
    PutBe(file, 13 + 10, 200000, 4);
    PutBe(file, 13 + 14, 500, 4);
    TMpegInfo info = Read(file);
    ASSERT_TRUE(info.VBR().Found);
    EXPECT_EQ("VBRI", info.VBR().ID);
    EXPECT_EQ(500, info.VBR().Frames);
    EXPECT_EQ(200000, info.VBR().Bytes);
    EXPECT_EQ(80, info.VBR().Scale);
    EXPECT_EQ("Mono", info.ChannelModeText());
    EXPECT_DOUBLE_EQ(500.0 * 72 * 8 / 22050, info.Duration());
}

TEST(MpegInfo, VendorIsFoundNearestTheEndBeforeId3v1Tag)
{
    ByteVector file = CbrFile(100);
    PutText(file, file.size() - 600, "LAME3.98");
    PutText(file, file.size() - 300, "GOGO");
    PutText(file, file.size() - 200, "LAME3.100");
    ByteVector withTag = file;
    ByteVector tag(128, 0);
    PutText(tag, 0, "TAG");
    PutText(tag, 60, "LAMEzzzz"); // inside the tag: not audio, not searched
    withTag.insert(withTag.end(), tag.begin(), tag.end());
    EXPECT_EQ("LAME3.10", Read(file).VendorID());
    TMpegInfo tagged = Read(withTag);
    EXPECT_TRUE(tagged.ID3v1().Exists());
    EXPECT_EQ("LAME3.10", tagged.VendorID());
    EXPECT_DOUBLE_EQ(41700.0 / 128 / 1000 * 8, tagged.Duration());

    ByteVector gogo = CbrFile(100);
    PutText(gogo, gogo.size() - 300, "GOGO");
    EXPECT_EQ("GOGO", Read(gogo).VendorID());
}

TEST(MpegInfo, FrameInMiddleBlockIsFound)
{
    ByteVector file(20000, 0);
    ByteVector frames = CbrFile(10);
    std::copy(frames.begin(), frames.end(), file.begin() + 10000 + 50);
    TMpegInfo info = Read(file);
    ASSERT_TRUE(info.Frame().Found);
    EXPECT_EQ(50, info.Frame().Position);
}

TEST(MpegInfo, NoFrameClearsEverythingTagsIncluded)
{
    ByteVector file(10000, 0x22);
    ByteVector tag(128, 0);
    PutText(tag, 0, "TAG");
    PutText(tag, 3, "Title");
    file.insert(file.end(), tag.begin(), tag.end());
    TMpegInfo info = Read(file);
    EXPECT_FALSE(info.IsValid());
    EXPECT_FALSE(info.ID3v1().Exists());
    EXPECT_EQ(0, info.FileLength());
    EXPECT_EQ("Unknown", info.ChannelModeText());
    EXPECT_EQ(1, info.Frame().VersionID);
    EXPECT_EQ(0.0, info.Duration());
}

TEST(MpegInfo, ShortFilesFail)
{
    TempFolder dir;
    TMpegInfo info;
    EXPECT_FALSE(info.ReadInfo(dir.File("missing.mp3")));
    EXPECT_FALSE(info.ReadInfo(dir.Write("tiny.mp3", ByteVector(100, 0xFF))));
    EXPECT_FALSE(info.IsValid());
    // Frames found, but the end block would start before the file: an I/O
    // error, with the frame kept.
    ByteVector small = CbrFile(3);
    ASSERT_FALSE(info.ReadInfo(dir.Write("small.mp3", small)));
    EXPECT_TRUE(info.Frame().Found);
    EXPECT_EQ(static_cast<std::int32_t>(small.size()), info.FileLength());
}

TEST(MpegInfo, EncodedFilesFromLame)
{
    if (!HasTool("lame") || !HasTool("sox"))
        GTEST_SKIP() << "lame or sox is not installed";
    TempFolder dir;
    const std::string wav = dir.File("tone.wav");
    struct Case {
        int rate;
        std::string options;
        bool vbr;
        int bitRate;
    };
    const Case cases[] = {
        {44100, "-b 128", false, 128},
        {22050, "-b 64", false, 64},
        {11025, "-b 32", false, 32},
        {44100, "-V 4", true, 0},
        {22050, "--abr 48", true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options + " " + std::to_string(c.rate));
        ASSERT_TRUE(RunQuietly("sox -n -r " + std::to_string(c.rate) + " -b 16 -c 2 '" + wav + "' synth 3 sine 440"));
        const std::string mp3 = dir.File("tone.mp3");
        ASSERT_TRUE(RunQuietly("lame --quiet " + c.options + " '" + wav + "' '" + mp3 + "'"));
        TMpegInfo info;
        ASSERT_TRUE(info.ReadInfo(mp3));
        ASSERT_TRUE(info.IsValid());
        EXPECT_EQ(c.rate, info.SampleRate());
        EXPECT_EQ(c.vbr, info.VBR().Found);
        if (c.vbr)
            EXPECT_EQ("Xing", info.VBR().ID);
        else
            EXPECT_EQ(c.bitRate, info.BitRate());
        EXPECT_NEAR(3.0, info.Duration(), 0.2);
    }
}
