#include "AsfBuilder.h"
#include "MediaFixtures.h"
#include "OggBuilder.h"
#include "audio/StreamInfo.h"

#include <gtest/gtest.h>

using namespace quaverly::audio;
using namespace quaverly::mediainfo::test;

namespace {

ByteVector WavHeader(std::uint32_t riffSize, int channels, std::uint32_t rate, int bits)
{
    ByteVector h;
    PutText(h, 0, "RIFF");
    PutLe(h, 4, riffSize, 4);
    PutText(h, 8, "WAVE");
    PutText(h, 12, "fmt ");
    PutLe(h, 16, 16, 4);
    PutLe(h, 20, 1, 2);
    PutLe(h, 22, channels, 2);
    PutLe(h, 24, rate, 4);
    PutLe(h, 34, bits, 2);
    PutText(h, 36, "data");
    PutLe(h, 40, riffSize - 36, 4);
    return h;
}

} // namespace

TEST(StreamInfo, ExtensionIsTakenAfterTheLastDotOfTheName)
{
    EXPECT_EQ(".MP3", StreamExtension("/music/a.b/Song.mp3"));
    EXPECT_EQ("", StreamExtension("/music/a.b/Song"));
    EXPECT_EQ("", StreamExtension("C:\\dir.x\\song"));
    EXPECT_EQ(".WAVE", StreamExtension("x.wave"));
    EXPECT_EQ(TStreamReader::Mpeg, ReaderForExtension(".MP1"));
    EXPECT_EQ(TStreamReader::Mpeg, ReaderForExtension(".MP2"));
    EXPECT_EQ(TStreamReader::Wav, ReaderForExtension(".WAV"));
    EXPECT_EQ(TStreamReader::None, ReaderForExtension(".MID"));
}

TEST(StreamInfo, MillisecondsRoundHalvesToEven)
{
    EXPECT_EQ(2, SecondsToMilliseconds(0.0025));
    EXPECT_EQ(1000, SecondsToMilliseconds(1.0));
    EXPECT_EQ(0, SecondsToMilliseconds(1e12)); // beyond the field: no undefined conversion
}

TEST(StreamInfo, WavFileFillsRecordWithBitRateWithoutChannels)
{
    TempFolder dir;
    ByteVector file = WavHeader(176436, 2, 44100, 16);
    std::string name = dir.Write("Tone.WaV", file);
    TStreamReaders readers;
    TStreamInfo info;
    ASSERT_TRUE(GetStreamInfo(name, info, readers));
    EXPECT_EQ(name, info.FileName);
    EXPECT_EQ(176444, info.FileSize);
    EXPECT_EQ(44100, info.SampleRate);
    EXPECT_EQ(705, info.BitRate);
    EXPECT_EQ(16, info.BitsPerSample);
    EXPECT_EQ(1000, info.Duration);
    EXPECT_EQ(2, info.Channels);
    EXPECT_EQ("Tone.WaV", info.Title);
    EXPECT_EQ(TStreamReader::Wav, readers.LastUsed);
}

TEST(StreamInfo, InvalidOrUnknownFilesGiveFalseAndResetRecord)
{
    TempFolder dir;
    TStreamReaders readers;
    TStreamInfo info;
    info.Title = "old";
    info.SampleRate = 5;
    EXPECT_FALSE(GetStreamInfo(dir.Write("bad.wav", ByteVector(44, 0)), info, readers));
    EXPECT_EQ(0, info.SampleRate);
    EXPECT_EQ(16, info.BitsPerSample);
    EXPECT_EQ("", info.Title);
    EXPECT_FALSE(GetStreamInfo(dir.Write("a.mid", WavHeader(1000, 2, 44100, 16)), info, readers));
    EXPECT_FALSE(GetStreamInfo(dir.Write("a.wave", WavHeader(1000, 2, 44100, 16)), info, readers));
    EXPECT_FALSE(GetStreamInfo(dir.File("missing.mp3"), info, readers));
}

TEST(StreamInfo, MpegFileCountsChannelsFromModeText)
{
    TempFolder dir;
    // MPEG 1 Layer III 128 kbit/s 44100 Hz frames, mono then joint stereo.
    for (std::uint8_t mode : {std::uint8_t{0xC0}, std::uint8_t{0x40}}) {
        ByteVector file;
        for (int i = 0; i < 100; ++i) {
            std::size_t start = file.size();
            file.resize(start + 417, 0x11);
            file[start] = 0xFF;
            file[start + 1] = 0xFB;
            file[start + 2] = 0x90;
            file[start + 3] = mode;
        }
        TStreamReaders readers;
        TStreamInfo info;
        ASSERT_TRUE(GetStreamInfo(dir.Write("a.mp3", file), info, readers));
        EXPECT_EQ(mode == 0xC0 ? 1 : 2, info.Channels);
        EXPECT_EQ(128, info.BitRate);
        EXPECT_EQ(41700, info.FileSize);
        EXPECT_EQ(2606, info.Duration); // 2.60625 s
        EXPECT_EQ("a.mp3", info.Title);
    }
}

TEST(StreamInfo, OggFileGivesItsTitleCommentOrTheFileName)
{
    TempFolder dir;
    TStreamReaders readers;
    TStreamInfo info;
    // 441 000 samples at 44 100 Hz in 200 000 bytes: 10 s at 160 kbit/s.
    const std::string named = dir.Write("song.OGG", BuildOgg({.Channels = 1, .Comments = {"TITLE=Ogg title"},
                                                            .TotalSize = 200000}));
    ASSERT_TRUE(GetStreamInfo(named, info, readers));
    EXPECT_EQ(TStreamReader::Ogg, readers.LastUsed);
    EXPECT_EQ(200000, info.FileSize);
    EXPECT_EQ(44100, info.SampleRate);
    EXPECT_EQ(160, info.BitRate);
    EXPECT_EQ(10000, info.Duration);
    EXPECT_EQ(1, info.Channels);
    EXPECT_EQ(16, info.BitsPerSample);
    EXPECT_EQ("Ogg title", info.Title);
    ASSERT_TRUE(GetStreamInfo(dir.Write("untitled.ogg", BuildOgg({})), info, readers));
    EXPECT_EQ("untitled.ogg", info.Title);
    EXPECT_FALSE(GetStreamInfo(dir.Write("short.ogg", BuildOgg({.LastGranule = 2000})), info, readers));
}

TEST(StreamInfo, OggFileThatCannotBeOpenedIsFalseNotAnError)
{
    TempFolder dir;
    TStreamReaders readers;
    TStreamInfo info;
    bool result = true;
    EXPECT_NO_THROW(result = GetStreamInfo(dir.File("missing.ogg"), info, readers));
    EXPECT_FALSE(result);
    EXPECT_EQ(TStreamReader::Ogg, readers.LastUsed);
    EXPECT_NE(std::string::npos, readers.LastError.find("missing.ogg"));
    EXPECT_EQ("", info.Title);
    // The next file starts without the old error.
    ASSERT_TRUE(GetStreamInfo(dir.Write("a.ogg", BuildOgg({})), info, readers));
    EXPECT_EQ("", readers.LastError);
}

TEST(StreamInfo, WmaFileGivesItsWideTitleAsUtf8)
{
    TempFolder dir;
    TStreamReaders readers;
    TStreamInfo info;
    const ByteVector file = Asf(Playable({ContentDescription(u"\u6b4c Title", u"")}), 1600000);
    ASSERT_TRUE(GetStreamInfo(dir.Write("x.Wma", file), info, readers));
    EXPECT_EQ(TStreamReader::Wma, readers.LastUsed);
    EXPECT_EQ(1600000, info.FileSize);
    EXPECT_EQ(44100, info.SampleRate);
    EXPECT_EQ(128, info.BitRate);
    EXPECT_EQ(100000, info.Duration);
    EXPECT_EQ(2, info.Channels);
    EXPECT_EQ("\xE6\xAD\x8C Title", info.Title);
    EXPECT_FALSE(GetStreamInfo(dir.Write("bad.wma", ByteVector(100, 0)), info, readers));
    EXPECT_TRUE(readers.LastReadInfo); // read, but no ASF header
    EXPECT_FALSE(GetStreamInfo(dir.File("missing.wma"), info, readers));
    EXPECT_FALSE(readers.LastReadInfo);
}
