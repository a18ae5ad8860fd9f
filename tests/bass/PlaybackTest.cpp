// The real library playing generated tones through SDL's disk driver: what
// reaches the output file is analysed for frequency, level and length.
#include "bass/BassTestKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <csignal>
#include <filesystem>
#include <fstream>

using namespace quaverly::test;
using quaverly::BassApi;
using namespace std::chrono_literals;

namespace {

struct ToneCase {
    const char *name;
    Encoder encoder;
    const char *extension;
    double freq;
    int rate;
    int channels;
    double lengthTolerance;  // seconds; MP2 has no gapless information
};

std::ostream &operator<<(std::ostream &os, const ToneCase &c)
{
    return os << c.name;
}

class PlaysTone : public ::testing::TestWithParam<ToneCase> {};

}  // namespace

TEST_P(PlaysTone, AtItsFrequencyLevelAndLengthAndEndsOnceAfterTheLastSample)
{
    const ToneCase &tc = GetParam();
    TempFolder dir;
    const std::string file = dir.File(std::string("tone.") + tc.extension);
    const double seconds = 1.0;
    ASSERT_TRUE(MakeTone(file, tc.encoder, tc.freq, tc.rate, tc.channels, seconds, 0.5));
    LoadedBass bass;
    const std::string out = dir.File("out.raw");
    ASSERT_TRUE(bass.InitDisk(out));
    const BassApi &b = bass.api();
    const HSTREAM h = b.StreamCreateFile(FALSE, file.c_str(), 0, 0, 0);
    ASSERT_NE(h, 0u);
    BASS_CHANNELINFO info{};
    ASSERT_TRUE(b.ChannelGetInfo(h, &info));
    EXPECT_EQ(info.freq, DWORD(tc.rate));
    EXPECT_EQ(info.chans, DWORD(tc.channels));
    EXPECT_EQ(info.flags & BASS_SAMPLE_8BITS, 0u);

    const QWORD length = b.ChannelGetLength(h, BASS_POS_BYTE);
    const double lengthSeconds = b.ChannelBytes2Seconds(h, length);
    EXPECT_NEAR(lengthSeconds, seconds, tc.lengthTolerance) << "length " << length;

    SyncRecorder ends;
    ends.diskFile = out;
    ASSERT_NE(b.ChannelSetSync(h, BASS_SYNC_END, 0, &SyncRecorder::End, &ends), 0u);
    ASSERT_TRUE(b.ChannelPlay(h, FALSE));
    EXPECT_EQ(b.ChannelIsActive(h), DWORD(BASS_ACTIVE_PLAYING));
    ASSERT_TRUE(ends.WaitFor(1, 5s));
    // A second end notice would come within this time; it fails at once.
    EXPECT_FALSE(ends.WaitFor(2, 300ms));
    const auto records = ends.records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].channel, h);
    EXPECT_NE(records[0].thread, std::this_thread::get_id());
    EXPECT_EQ(b.ChannelIsActive(h), DWORD(BASS_ACTIVE_STOPPED));
    EXPECT_EQ(b.ChannelGetPosition(h, BASS_POS_BYTE), b.ChannelGetLength(h, BASS_POS_BYTE));

    const auto pcm = ReadPcm(out);
    const PcmAnalysis a = Analyse(pcm);
    ASSERT_GE(a.first, 0) << "nothing was played";
    EXPECT_NEAR(a.seconds, seconds, 0.015);  // lossy codecs soften the first milliseconds
    EXPECT_NEAR(a.frequency, tc.freq, tc.freq * 0.01);
    EXPECT_NEAR(a.rms, 0.5 / std::sqrt(2.0), 0.03);
    // Both output channels carry the tone (a mono source is duplicated).
    const double left = std::abs(double(pcm[size_t(a.first + 100) * 2]));
    EXPECT_NEAR(std::abs(double(pcm[size_t(a.first + 100) * 2 + 1])), left, 0.02 * left + 4);
    // When the end notice ran, the last sample had already been handed out.
    // The disk driver writes through a stdio buffer, so the file's size then
    // is what was handed out rounded down to whole buffers.
    constexpr long long kDiskWriteBuffer = 4096;
    EXPECT_GE(records[0].diskBytes, (a.last + 1) * 4 / kDiskWriteBuffer * kDiskWriteBuffer);
    EXPECT_TRUE(b.StreamFree(h));
}

INSTANTIATE_TEST_SUITE_P(Formats, PlaysTone,
    ::testing::Values(ToneCase{"Wav44k", Encoder::Wav, "wav", 1000, 44100, 2, 0.002},
                      ToneCase{"Wav48kMono", Encoder::Wav, "wav", 440, 48000, 1, 0.002},
                      ToneCase{"LameMp3", Encoder::Lame, "mp3", 1000, 44100, 2, 0.002},
                      ToneCase{"FfmpegMp3Mono", Encoder::FfmpegMp3, "mp3", 440, 22050, 1, 0.002},
                      ToneCase{"Mp2", Encoder::FfmpegMp2, "mp2", 440, 44100, 2, 0.03},
                      ToneCase{"OggencVorbis", Encoder::Oggenc, "ogg", 1000, 44100, 2, 0.002},
                      ToneCase{"VorbisMono22k", Encoder::FfmpegOgg, "ogg", 440, 22050, 1, 0.002}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(BassOutput, ALowOutputRateGetsEveryDeviceBufferFilledWhole)
{
    // At 8 kHz out, a 48 kHz file gives six source frames to each output
    // frame: a device buffer may then take more than is kept decoded ahead,
    // and must still be filled whole instead of ending in silence.
    TempFolder dir;
    const std::string file = dir.File("tone.wav");
    ASSERT_TRUE(MakeTone(file, Encoder::Wav, 440, 48000, 2, 2.0, 0.5));
    LoadedBass bass;
    const std::string out = dir.File("out.raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
    unsetenv("SDL_DISKAUDIODELAY");
    const BassApi &b = bass.api();
    ASSERT_TRUE(b.Init(1, 8000, 0, nullptr, nullptr));
    const HSTREAM h = b.StreamCreateFile(FALSE, file.c_str(), 0, 0, 0);
    ASSERT_NE(h, 0u);
    SyncRecorder ends;
    ASSERT_NE(b.ChannelSetSync(h, BASS_SYNC_END, 0, &SyncRecorder::End, &ends), 0u);
    ASSERT_TRUE(b.ChannelPlay(h, FALSE));
    ASSERT_TRUE(ends.WaitFor(1, 10s));
    EXPECT_TRUE(b.StreamFree(h));
    EXPECT_TRUE(b.Free());
    const auto pcm = ReadPcm(out);
    const PcmAnalysis a = Analyse(pcm, 8000);
    ASSERT_GE(a.first, 0) << "nothing was played";
    EXPECT_NEAR(a.seconds, 2.0, 0.01);
    EXPECT_NEAR(a.frequency, 440, 440 * 0.01);
    // A 440 Hz sine at half scale sampled at 8 kHz is near zero for one
    // frame at a time; a longer quiet run is a hole in the output.
    int64_t quiet = 0, longest = 0;
    for (int64_t i = a.first; i <= a.last; ++i) {
        quiet = std::abs(int(pcm[size_t(i) * 2])) < 200 ? quiet + 1 : 0;
        longest = std::max(longest, quiet);
    }
    EXPECT_LE(longest, 2) << "silence inside the played tone";
}

TEST(BassOutput, InitFailsWhenTheDeviceDoesNotOpenAndWorksOnceItDoes)
{
    TempFolder dir;
    LoadedBass bass;
    const BassApi &b = bass.api();
    // SDL initialises, but the disk device cannot open its file.
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/nonexistent/folder/out.raw", 1);
    EXPECT_FALSE(b.Init(1, 44100, 0, nullptr, nullptr));
    // An audio driver that does not exist: SDL itself fails.
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_FALSE(b.Init(1, 44100, 0, nullptr, nullptr));
    // Without output nothing can be created or played.
    EXPECT_EQ(b.StreamCreateFile(FALSE, "/dev/null", 0, 0, 0), 0u);
    ASSERT_TRUE(bass.InitDisk(dir.File("out.raw")));
    EXPECT_FALSE(b.Init(1, 44100, 0, nullptr, nullptr));  // already open
    EXPECT_TRUE(b.Free());
    EXPECT_FALSE(b.Free());
}

namespace {

// The output device's threads of this process ("SDLAudioP<n>").
int OutputThreads()
{
    int n = 0;
    for (const auto &task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::string name;
        std::getline(std::ifstream(task.path() / "comm"), name);
        n += name.rfind("SDLAudioP", 0) == 0;
    }
    return n;
}

}  // namespace

// A player that sits stopped must not keep the device's thread waking for
// every buffer: the device closes when nothing plays and opens for the next play.
TEST(BassOutput, TheDeviceClosesWhileNothingPlaysAndOpensForTheNextPlay)
{
    TempFolder dir;
    const std::string file = dir.File("tone.wav");
    ASSERT_TRUE(MakeTone(file, Encoder::Wav, 440, 44100, 2, 0.3));
    LoadedBass bass;
    const BassApi &b = bass.api();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(b.Init(1, 44100, 0, nullptr, nullptr));
    EXPECT_TRUE(WaitUntil([] { return OutputThreads() == 0; }, 5s)) << "the idle device stayed open";

    const HSTREAM h = b.StreamCreateFile(FALSE, file.c_str(), 0, 0, 0);
    ASSERT_NE(h, 0u);
    SyncRecorder ends;
    ASSERT_NE(b.ChannelSetSync(h, BASS_SYNC_END, 0, &SyncRecorder::End, &ends), 0u);
    for (size_t round = 1; round <= 2; ++round) {
        ASSERT_TRUE(b.ChannelPlay(h, TRUE)) << "round " << round;
        EXPECT_TRUE(WaitUntil([] { return OutputThreads() == 1; }, 5s)) << "round " << round;
        ASSERT_TRUE(ends.WaitFor(round, 5s)) << "round " << round;
        EXPECT_TRUE(WaitUntil([] { return OutputThreads() == 0; }, 5s)) << "round " << round;
    }
    EXPECT_TRUE(b.Free());
}

TEST(BassOutput, LeavesTheTerminationSignalsToTheHost)
{
    // A player that has opened its output must still end on SIGTERM/SIGINT.
    TempFolder dir;
    LoadedBass bass;
    ASSERT_TRUE(bass.InitDisk(dir.File("out.raw")));
    for (int sig : {SIGTERM, SIGINT}) {
        struct sigaction now {};
        ASSERT_EQ(sigaction(sig, nullptr, &now), 0);
        EXPECT_EQ(now.sa_handler, SIG_DFL) << "signal " << sig;
    }
    EXPECT_TRUE(bass.api().Free());
}

TEST(BassOutput, StreamVolumeScalesTheLevelOnTheConfiguredScale)
{
    TempFolder dir;
    const std::string file = dir.File("tone.wav");
    ASSERT_TRUE(MakeTone(file, Encoder::Wav, 1000, 44100, 2, 0.5, 0.8));
    LoadedBass bass;
    const BassApi &b = bass.api();
    // The volume settings outlive Free: the defaults come back for the
    // tests that run after this one in the same process.
    struct Defaults {
        const BassApi &b;
        ~Defaults()
        {
            b.SetConfig(BASS_CONFIG_GVOL_STREAM, 10000);
            b.SetConfig(BASS_CONFIG_CURVE_VOL, 10000);
        }
    } defaults{b};
    ASSERT_TRUE(b.SetConfig(BASS_CONFIG_CURVE_VOL, 255));
    ASSERT_TRUE(bass.InitDisk(dir.File("out.raw")));
    ASSERT_TRUE(b.SetConfig(BASS_CONFIG_GVOL_STREAM, 64));
    EXPECT_FALSE(b.SetConfig(12345, 1));
    const HSTREAM h = b.StreamCreateFile(FALSE, file.c_str(), 0, 0, 0);
    ASSERT_NE(h, 0u);
    SyncRecorder ends;
    b.ChannelSetSync(h, BASS_SYNC_END, 0, &SyncRecorder::End, &ends);
    ASSERT_TRUE(b.ChannelPlay(h, FALSE));
    ASSERT_TRUE(ends.WaitFor(1, 5s));
    const PcmAnalysis a = Analyse(ReadPcm(dir.File("out.raw")), 44100, 200);
    EXPECT_NEAR(a.rms, 0.8 / std::sqrt(2.0) * 64.0 / 255.0, 0.01);
    EXPECT_TRUE(b.StreamFree(h));  // no sync procedure runs after this
}

TEST(BassOutput, StopKeepsThePositionPlayResumesAndRestartBeginsAgain)
{
    TempFolder dir;
    const std::string file = dir.File("tone.ogg");
    ASSERT_TRUE(MakeTone(file, Encoder::FfmpegOgg, 440, 44100, 2, 3.0));
    LoadedBass bass;
    const BassApi &b = bass.api();
    ASSERT_TRUE(bass.InitDisk(dir.File("out.raw")));
    const HSTREAM h = b.StreamCreateFile(FALSE, file.c_str(), 0, 0, 0);
    ASSERT_NE(h, 0u);
    ASSERT_TRUE(b.ChannelPlay(h, FALSE));
    ASSERT_TRUE(WaitUntil([&] { return b.ChannelGetPosition(h, BASS_POS_BYTE) > b.ChannelSeconds2Bytes(h, 0.4f); }, 5s));
    ASSERT_TRUE(b.ChannelStop(h));
    EXPECT_EQ(b.ChannelIsActive(h), DWORD(BASS_ACTIVE_STOPPED));
    const QWORD stopped = b.ChannelGetPosition(h, BASS_POS_BYTE);
    EXPECT_GT(stopped, b.ChannelSeconds2Bytes(h, 0.3f));
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(b.ChannelGetPosition(h, BASS_POS_BYTE), stopped);
    ASSERT_TRUE(b.ChannelPlay(h, FALSE));
    EXPECT_TRUE(WaitUntil([&] { return b.ChannelGetPosition(h, BASS_POS_BYTE) > stopped; }, 5s));
    ASSERT_TRUE(b.ChannelStop(h));
    ASSERT_TRUE(b.ChannelPlay(h, TRUE));
    EXPECT_LT(b.ChannelGetPosition(h, BASS_POS_BYTE), b.ChannelSeconds2Bytes(h, 0.1f));
    // While playing, about half a second is decoded ahead: enough for the
    // visualisation feed's 2048 bytes per channel and the largest FFT.
    EXPECT_TRUE(WaitUntil([&] { return b.ChannelGetData(h, nullptr, BASS_DATA_AVAILABLE) >= 2u * 2048u; }, 5s));
    std::vector<int16_t> samples(1152);
    EXPECT_EQ(b.ChannelGetData(h, samples.data(), 2304), 2304u);
    EXPECT_TRUE(b.StreamFree(h));
}

namespace {

// A 16-bit stereo WAV whose frames carry their own index: the left channel
// the low 14 bits, the right channel the bits above.
bool WriteCountingWav(const std::string &path, int rate, int frames)
{
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    auto u32 = [&](uint32_t v) { std::fwrite(&v, 4, 1, f); };
    auto u16 = [&](uint16_t v) { std::fwrite(&v, 2, 1, f); };
    const uint32_t data = uint32_t(frames) * 4;
    std::fwrite("RIFF", 1, 4, f);
    u32(36 + data);
    std::fwrite("WAVEfmt ", 1, 8, f);
    u32(16);
    u16(1);
    u16(2);
    u32(uint32_t(rate));
    u32(uint32_t(rate) * 4);
    u16(4);
    u16(16);
    std::fwrite("data", 1, 4, f);
    u32(data);
    for (int i = 0; i < frames; ++i) {
        u16(uint16_t(i & 0x3FFF));
        u16(uint16_t(i >> 14));
    }
    return std::fclose(f) == 0;
}

}  // namespace

TEST(BassOutput, PositionAndSamplesFollowWhatIsHeardInsideTheDeviceBuffer)
{
    TempFolder dir;
    const std::string file = dir.File("count.wav");
    ASSERT_TRUE(WriteCountingWav(file, 44100, 44100 * 3));
    LoadedBass bass;
    const BassApi &b = bass.api();
    ASSERT_TRUE(bass.InitDisk(dir.File("out.raw")));
    const HSTREAM h = b.StreamCreateFile(FALSE, file.c_str(), 0, 0, 0);
    ASSERT_NE(h, 0u);
    ASSERT_TRUE(b.ChannelPlay(h, FALSE));
    ASSERT_TRUE(WaitUntil([&] { return b.ChannelGetPosition(h, BASS_POS_BYTE) > 0; }, 5s));
    const auto start = std::chrono::steady_clock::now();
    const int64_t first = int64_t(b.ChannelGetPosition(h, BASS_POS_BYTE) / 4);
    int64_t last = first;
    int distinct = 1;
    while (std::chrono::steady_clock::now() - start < 400ms) {
        std::this_thread::sleep_for(5ms);
        const int64_t before = int64_t(b.ChannelGetPosition(h, BASS_POS_BYTE) / 4);
        int16_t frame[2] = {0, 0};
        ASSERT_EQ(b.ChannelGetData(h, frame, 4), 4u);
        const int64_t after = int64_t(b.ChannelGetPosition(h, BASS_POS_BYTE) / 4);
        const int64_t heard = int64_t(uint16_t(frame[1])) << 14 | uint16_t(frame[0]);
        // The samples handed out start where the position says.
        EXPECT_GE(heard, before);
        EXPECT_LE(heard, after);
        EXPECT_GE(before, last) << "the position went back";
        if (before != last)
            ++distinct;
        last = after;
    }
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // The position moves on between the device's buffers (about 186 ms each),
    // at the pace of the output.
    EXPECT_GE(distinct, 20);
    EXPECT_NEAR(double(last - first) / 44100.0, elapsed, 0.12);
    EXPECT_TRUE(b.StreamFree(h));
}
