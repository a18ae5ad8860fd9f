// Decoding channels of the real library (no output needed): lengths,
// sample-accurate seeking, FFT data, bad input and stale handles.
#include "bass/BassTestKit.h"
#include "bass/Mp1Writer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <thread>

using namespace quaverly::test;
using quaverly::BassApi;
using namespace std::chrono_literals;

namespace {

std::vector<int16_t> ReadAll(const BassApi &b, DWORD h, size_t maxFrames, int channels)
{
    std::vector<int16_t> out;
    std::vector<int16_t> buf(4096 * size_t(channels));
    while (out.size() / size_t(channels) < maxFrames) {
        const DWORD got = b.ChannelGetData(h, buf.data(), DWORD(buf.size() * 2));
        if (got == DWORD(-1) || got == 0)
            break;
        out.insert(out.end(), buf.begin(), buf.begin() + got / 2);
    }
    out.resize(std::min(out.size(), maxFrames * size_t(channels)));
    return out;
}

// The shift (in frames) of `part` within `whole` around `expected`, by the
// smallest squared difference over a window of the left channel.
int BestShift(const std::vector<int16_t> &whole, const std::vector<int16_t> &part, int64_t expected, int channels,
              int range)
{
    int best = 0;
    double bestErr = 1e300;
    for (int s = -range; s <= range; ++s) {
        double err = 0;
        for (int i = 2000; i < 4000; ++i) {
            const int64_t w = expected + s + i;
            if (w < 0 || size_t(w) * size_t(channels) >= whole.size() || size_t(i) * size_t(channels) >= part.size())
                return 9999;
            const double d = double(whole[size_t(w) * size_t(channels)]) - part[size_t(i) * size_t(channels)];
            err += d * d;
        }
        if (err < bestErr) {
            bestErr = err;
            best = s;
        }
    }
    return best;
}

struct SeekCase {
    const char *name;
    Encoder encoder;
    const char *extension;
    int tolerance;  // frames
};

class Seeks : public ::testing::TestWithParam<SeekCase> {};

}  // namespace

TEST_P(Seeks, LandOnTheAskedSampleAndLengthsMatchTheDecodedData)
{
    const SeekCase &sc = GetParam();
    TempFolder dir;
    const std::string file = dir.File(std::string("sweep.") + sc.extension);
    // A tone whose pitch rises, so that every offset looks different.
    ASSERT_TRUE(RunShell("ffmpeg -nostdin -v error -y -f lavfi -i 'aevalsrc=0.5*sin(2*PI*(200+300*t)*t):s=44100:d=3' -ac 2 "
                    + std::string(sc.encoder == Encoder::Wav ? "-c:a pcm_s16le" : sc.encoder == Encoder::FfmpegOgg
                                          ? "-c:a libvorbis -q:a 5"
                                          : "-c:a libmp3lame -b:a 192k")
                    + " '" + file + "'"));
    LoadedBass bass;
    const BassApi &b = bass.api();
    const HSTREAM whole = b.StreamCreateFile(FALSE, file.c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(whole, 0u);
    const QWORD announced = b.ChannelGetLength(whole, BASS_POS_BYTE);
    const auto all = ReadAll(b, whole, 10 * 44100, 2);
    EXPECT_EQ(announced, all.size() * 2) << "announced length against decoded data";
    EXPECT_EQ(b.ChannelGetLength(whole, BASS_POS_BYTE), all.size() * 2);
    EXPECT_EQ(b.ChannelGetData(whole, std::vector<int16_t>(64).data(), 128), DWORD(-1));  // at its end

    const HSTREAM seeker = b.StreamCreateFile(FALSE, file.c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(seeker, 0u);
    for (float at : {1.7f, 0.25f, 2.5f, 0.0f}) {
        const QWORD bytes = b.ChannelSeconds2Bytes(seeker, at);
        ASSERT_TRUE(b.ChannelSetPosition(seeker, bytes, BASS_POS_BYTE)) << at;
        EXPECT_EQ(b.ChannelGetPosition(seeker, BASS_POS_BYTE), bytes);
        const auto part = ReadAll(b, seeker, 8000, 2);
        const int shift = BestShift(all, part, int64_t(bytes / 4), 2, 60);
        EXPECT_LE(std::abs(shift), sc.tolerance) << "seek to " << at << " s landed " << shift << " frames off";
    }
    EXPECT_FALSE(b.ChannelSetPosition(seeker, announced + 4000, BASS_POS_BYTE));
    EXPECT_TRUE(b.StreamFree(whole));
    EXPECT_TRUE(b.StreamFree(seeker));
}

INSTANTIATE_TEST_SUITE_P(Formats, Seeks,
    ::testing::Values(SeekCase{"Wav", Encoder::Wav, "wav", 0}, SeekCase{"Vorbis", Encoder::FfmpegOgg, "ogg", 0},
                      SeekCase{"Mp3", Encoder::FfmpegMp3, "mp3", 0}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(BassData, FftPeakSitsOnTheToneBinPerChannelOrMixed)
{
    TempFolder dir;
    const std::string file = dir.File("two.wav");
    // Left 1722.66 Hz (bin 20 of 512 points at 44100 Hz), right at bin 80
    // of 2048 points, both at full scale.
    ASSERT_TRUE(RunShell("ffmpeg -nostdin -v error -y -f lavfi -i "
                    "'aevalsrc=0.9999*sin(2*PI*1722.65625*t)|0.9999*sin(2*PI*1722.65625*t):s=44100:d=1' "
                    "-c:a pcm_s16le '" + file + "'"));
    LoadedBass bass;
    const BassApi &b = bass.api();
    const HSTREAM h = b.StreamCreateFile(FALSE, file.c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(h, 0u);
    std::vector<float> fft(2048);
    ASSERT_EQ(b.ChannelGetData(h, fft.data(), BASS_DATA_FFT256), 256u * 4);
    const auto peak = std::max_element(fft.begin(), fft.begin() + 256) - fft.begin();
    EXPECT_EQ(peak, 20);
    EXPECT_NEAR(fft[20], 1.0f, 0.02f);
    EXPECT_LT(fft[40], 0.01f);
    ASSERT_EQ(b.ChannelGetData(h, fft.data(), BASS_DATA_FFT1024 | BASS_DATA_FFT_INDIVIDUAL), 1024u * 2 * 4);
    EXPECT_NEAR(fft[80 * 2], 1.0f, 0.02f);
    EXPECT_NEAR(fft[80 * 2 + 1], 1.0f, 0.02f);
    ASSERT_EQ(b.ChannelGetData(h, fft.data(), BASS_DATA_FFT1024), 1024u * 4);
    EXPECT_EQ(std::max_element(fft.begin(), fft.begin() + 1024) - fft.begin(), 80);
    EXPECT_EQ(b.ChannelGetData(h, nullptr, BASS_DATA_FFT256), DWORD(-1));
    EXPECT_TRUE(b.StreamFree(h));
}

TEST(BassInput, FilesNoDecoderTakesGiveZeroQuicklyAndOtherLibrariesFormatsStayApart)
{
    TempFolder dir;
    const std::string garbage = dir.File("noise.mp3");
    {
        std::ofstream f(garbage, std::ios::binary);
        for (int i = 0; i < 100000; ++i)
            f.put(char((i * 7919) % 251));
    }
    const std::string empty = dir.File("empty.wav");
    std::ofstream(empty).close();
    const std::string wma = dir.File("tone.wma");
    ASSERT_TRUE(MakeTone(wma, Encoder::Wma, 440, 44100, 2, 0.5));
    LoadedBass bass;
    const BassApi &b = bass.api();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(b.StreamCreateFile(FALSE, garbage.c_str(), 0, 0, BASS_STREAM_DECODE), 0u);
    EXPECT_EQ(b.StreamCreateFile(FALSE, empty.c_str(), 0, 0, BASS_STREAM_DECODE), 0u);
    EXPECT_EQ(b.StreamCreateFile(FALSE, dir.File("missing.ogg").c_str(), 0, 0, BASS_STREAM_DECODE), 0u);
    EXPECT_EQ(b.StreamCreateFile(FALSE, dir.path().c_str(), 0, 0, BASS_STREAM_DECODE), 0u);
    EXPECT_EQ(b.MusicLoad(FALSE, garbage.c_str(), 0, 0, BASS_STREAM_DECODE, 0), 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    // WMA is the add-on's: the core refuses it, the add-on plays it.
    EXPECT_EQ(b.StreamCreateFile(FALSE, wma.c_str(), 0, 0, BASS_STREAM_DECODE), 0u);
    ASSERT_TRUE(bass.wma().loaded());
    const HSTREAM h = bass.wma().StreamCreateFile(FALSE, wma.c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(h, 0u);
    BASS_CHANNELINFO info{};
    ASSERT_TRUE(b.ChannelGetInfo(h, &info));
    EXPECT_EQ(info.freq, 44100u);
    std::vector<int16_t> pcm(44100);
    EXPECT_GT(b.ChannelGetData(h, pcm.data(), DWORD(pcm.size() * 2)), 0u);
    EXPECT_NEAR(b.ChannelBytes2Seconds(h, b.ChannelGetLength(h, BASS_POS_BYTE)), 0.5, 0.1);
    EXPECT_TRUE(b.StreamFree(h));
}

TEST(BassInput, FreedAndUnknownHandlesGiveFailureValuesEverywhere)
{
    TempFolder dir;
    const std::string file = dir.File("tone.wav");
    ASSERT_TRUE(MakeTone(file, Encoder::Wav, 440, 44100, 2, 0.2));
    LoadedBass bass;
    const BassApi &b = bass.api();
    const HSTREAM h = b.StreamCreateFile(FALSE, file.c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(h, 0u);
    EXPECT_FALSE(b.MusicFree(h));  // a stream is not music
    ASSERT_TRUE(b.StreamFree(h));
    const HSTREAM again = b.StreamCreateFile(FALSE, file.c_str(), 0, 0, BASS_STREAM_DECODE);
    EXPECT_NE(again, h);  // handles are not reused
    for (DWORD stale : {h, DWORD(0), DWORD(0xDEADBEEF)}) {
        BASS_CHANNELINFO info{};
        float buf[256];
        EXPECT_FALSE(b.ChannelGetInfo(stale, &info));
        EXPECT_EQ(b.ChannelGetTags(stale, BASS_TAG_OGG), nullptr);
        EXPECT_EQ(b.ChannelGetLength(stale, BASS_POS_BYTE), QWORD(-1));
        EXPECT_EQ(b.ChannelGetPosition(stale, BASS_POS_BYTE), QWORD(-1));
        EXPECT_LT(b.ChannelBytes2Seconds(stale, 1000), 0.0f);
        EXPECT_EQ(b.ChannelSeconds2Bytes(stale, 1.0f), QWORD(-1));
        EXPECT_FALSE(b.ChannelSetPosition(stale, 0, BASS_POS_BYTE));
        EXPECT_EQ(b.StreamGetFilePosition(stale, BASS_FILEPOS_END), QWORD(-1));
        EXPECT_EQ(b.ChannelSetSync(stale, BASS_SYNC_END, 0, &SyncRecorder::End, nullptr), 0u);
        EXPECT_FALSE(b.ChannelPlay(stale, FALSE));
        EXPECT_FALSE(b.ChannelStop(stale));
        EXPECT_FALSE(b.StreamFree(stale));
        EXPECT_FALSE(b.MusicFree(stale));
        EXPECT_EQ(b.ChannelIsActive(stale), 0u);
        EXPECT_EQ(b.ChannelGetData(stale, buf, BASS_DATA_FFT256), DWORD(-1));
    }
    EXPECT_EQ(b.StreamGetFilePosition(again, BASS_FILEPOS_END), QWORD(std::filesystem::file_size(file)));
    EXPECT_FALSE(b.ChannelPlay(again, FALSE));  // a decoding channel is not played
    EXPECT_TRUE(b.StreamFree(again));
}

namespace {

// A four-channel ProTracker module: one looping square-wave sample, one
// note on the first row, one pattern.
std::vector<uint8_t> TinyModule()
{
    std::vector<uint8_t> m(20 + 31 * 30 + 2 + 128 + 4 + 1024, 0);
    std::memcpy(m.data(), "quaverly test", 13);
    uint8_t *s = m.data() + 20;
    std::memcpy(s, "square", 6);
    const int words = 16;  // sample length in words
    s[22] = 0;
    s[23] = words;
    s[24] = 0;  // finetune
    s[25] = 64;  // volume
    s[26] = 0;
    s[27] = 0;  // loop start
    s[28] = 0;
    s[29] = words;  // loop length
    size_t at = 20 + 31 * 30;
    m[at] = 1;  // song length
    m[at + 1] = 127;
    at += 2 + 128;
    std::memcpy(&m[at], "M.K.", 4);
    at += 4;
    // Row 0, channel 0: sample 1, period 428 (C-2).
    m[at] = 0x01;
    m[at + 1] = 0xAC;
    m[at + 2] = 0x10;
    m[at + 3] = 0x00;
    for (int i = 0; i < words * 2; ++i)
        m.push_back(uint8_t(i < words ? 0x60 : 0xA0));
    return m;
}

// The module above as "tiny.mod" in `dir`; its path.
std::string WriteTinyModule(TempFolder &dir)
{
    const std::string file = dir.File("tiny.mod");
    const auto mod = TinyModule();
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char *>(mod.data()), std::streamsize(mod.size()));
    return file;
}

}  // namespace

TEST(BassMusic, ModulesLoadDecodeAndAreFreedAsMusicOnly)
{
    TempFolder dir;
    const std::string file = WriteTinyModule(dir);
    LoadedBass bass;
    const BassApi &b = bass.api();
    const HMUSIC h = b.MusicLoad(FALSE, file.c_str(), 0, 0, BASS_MUSIC_PRESCAN | BASS_STREAM_DECODE, 0);
    ASSERT_NE(h, 0u);
    BASS_CHANNELINFO info{};
    ASSERT_TRUE(b.ChannelGetInfo(h, &info));
    EXPECT_EQ(info.freq, 44100u);
    EXPECT_EQ(info.chans, 2u);
    EXPECT_GT(b.ChannelBytes2Seconds(h, b.ChannelGetLength(h, BASS_POS_BYTE)), 1.0f);
    std::vector<int16_t> pcm(8192);
    ASSERT_EQ(b.ChannelGetData(h, pcm.data(), DWORD(pcm.size() * 2)), DWORD(pcm.size() * 2));
    EXPECT_TRUE(std::any_of(pcm.begin(), pcm.end(), [](int16_t v) { return std::abs(v) > 1000; }));
    EXPECT_FALSE(b.ChannelSetPosition(h, 0, BASS_POS_BYTE));  // music does not move
    EXPECT_FALSE(b.StreamFree(h));
    EXPECT_TRUE(b.MusicFree(h));
}

// The module library is loaded by the first module, not with the audio
// library, and modules opened from several threads at once all find it
// bound. (Debian's FFmpeg links it too, so a stream maps it there.)
TEST(BassMusic, TheModuleLibraryIsLoadedByTheFirstModulesFromAnyThread)
{
    TempFolder dir;
    const std::string file = WriteTinyModule(dir);
    const auto mapped = [] {
        std::ifstream maps("/proc/self/maps");
        std::string line;
        while (std::getline(maps, line))
            if (line.find("libopenmpt") != std::string::npos)
                return true;
        return false;
    };
    // A module opened by an earlier test of the same process keeps it
    // loaded; ctest runs each test in a process of its own.
    const bool loadedBefore = mapped();
    LoadedBass bass;
    const BassApi &b = bass.api();
    if (!loadedBefore)
        EXPECT_FALSE(mapped());

    constexpr int kThreads = 4;
    std::vector<HMUSIC> handles(kThreads, 0);
    std::vector<std::thread> openers;
    for (int i = 0; i < kThreads; ++i)
        openers.emplace_back([&, i] { handles[size_t(i)] = b.MusicLoad(FALSE, file.c_str(), 0, 0, BASS_STREAM_DECODE, 0); });
    for (auto &t : openers)
        t.join();
    EXPECT_TRUE(mapped());
    for (const HMUSIC h : handles) {
        ASSERT_NE(h, 0u);
        std::vector<int16_t> pcm(4096);
        EXPECT_EQ(b.ChannelGetData(h, pcm.data(), DWORD(pcm.size() * 2)), DWORD(pcm.size() * 2));
        EXPECT_TRUE(b.MusicFree(h));
    }
}

// FFmpeg is bound by the first stream, not by loading the library or by
// Init: a process that plays nothing never maps it.
TEST(BassInput, FfmpegIsMappedByTheFirstStreamNotByInit)
{
#ifdef QUAVERLY_BASS_FFMPEG_LINKED
    GTEST_SKIP() << "this build links a static FFmpeg into the library";
#endif
    const auto mapped = [] {
        std::ifstream maps("/proc/self/maps");
        std::string line;
        while (std::getline(maps, line))
            if (line.find("/libavformat.so") != std::string::npos || line.find("/libavcodec.so") != std::string::npos)
                return true;
        return false;
    };
    if (mapped())
        GTEST_SKIP() << "an earlier test of this process opened a stream";
    TempFolder dir;
    const std::string tone = dir.File("tone.wav");
    ASSERT_TRUE(MakeTone(tone, Encoder::Wav, 440, 44100, 2, 0.5, 0.3));
    LoadedBass bass;
    const BassApi &b = bass.api();
    ASSERT_TRUE(bass.InitDisk(dir.File("out.raw")));
    EXPECT_FALSE(mapped());
    const HSTREAM s = b.StreamCreateFile(FALSE, tone.c_str(), 0, 0, 0);
    ASSERT_NE(s, 0u);
    EXPECT_TRUE(mapped());
    EXPECT_GT(b.ChannelGetLength(s, BASS_POS_BYTE), 0u);
    EXPECT_TRUE(b.StreamFree(s));
}

TEST(BassInput, FilesDamagedInTheMiddleDecodeToAnEndWithoutNoiseBursts)
{
    TempFolder dir;
    // MP3 resynchronises after the damage; FFmpeg's Ogg demuxer ends at the
    // first page whose checksum fails.
    struct Case {
        const char *name;
        Encoder encoder;
        double atLeast;  // seconds decoded
    };
    for (const auto &[name, encoder, atLeast] : {Case{"mp3", Encoder::FfmpegMp3, 2.5}, Case{"ogg", Encoder::FfmpegOgg, 0.5}}) {
        const std::string file = dir.File(std::string("tone.") + name);
        ASSERT_TRUE(MakeTone(file, encoder, 440, 44100, 2, 3.0, 0.3));
        {
            // Garbage over a stretch in the middle of the file.
            std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
            f.seekp(std::streamoff(std::filesystem::file_size(file) / 2));
            for (int i = 0; i < 3000; ++i)
                f.put(char((i * 131 + 17) % 256));
        }
        LoadedBass bass;
        const BassApi &b = bass.api();
        const HSTREAM h = b.StreamCreateFile(FALSE, file.c_str(), 0, 0, BASS_STREAM_DECODE);
        ASSERT_NE(h, 0u) << name;
        const auto start = std::chrono::steady_clock::now();
        const auto pcm = ReadAll(b, h, 20 * 44100, 2);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 5s) << name;
        EXPECT_GT(double(pcm.size()) / 2 / 44100, atLeast) << name;
        int peak = 0;
        for (int16_t v : pcm)
            peak = std::max(peak, std::abs(int(v)));
        EXPECT_LT(peak, int(0.6 * 32768)) << name << ": a burst louder than the tone";
        EXPECT_EQ(b.ChannelGetData(h, std::vector<int16_t>(64).data(), 128), DWORD(-1)) << name;
        EXPECT_TRUE(b.StreamFree(h));
    }
}

namespace {

// The strongest frequency of the left channel between lo and hi Hz, in
// steps of 5 Hz (a direct transform over `count` frames from `from`).
double PeakFrequency(const std::vector<int16_t> &pcm, int channels, int rate, size_t from, size_t count, double lo,
                     double hi)
{
    double best = 0, bestPower = -1;
    for (double f = lo; f <= hi; f += 5) {
        double re = 0, im = 0;
        for (size_t i = 0; i < count; ++i) {
            const double v = pcm[(from + i) * size_t(channels)];
            re += v * std::cos(2 * M_PI * f * double(i) / rate);
            im += v * std::sin(2 * M_PI * f * double(i) / rate);
        }
        if (re * re + im * im > bestPower) {
            bestPower = re * re + im * im;
            best = f;
        }
    }
    return best;
}

}  // namespace

TEST(BassInput, Mp1FilesDecodeAtTheirRateChannelsLengthAndTone)
{
    TempFolder dir;
    LoadedBass bass;
    const BassApi &b = bass.api();
    for (const Mp1Tone tone : {Mp1Tone{48000, 1, 2, 0.5, 125}, Mp1Tone{32000, 2, 3, 0.5, 100}}) {
        SCOPED_TRACE(std::to_string(tone.rate) + " Hz, " + std::to_string(tone.channels) + " channel(s)");
        const std::string file = dir.File("tone" + std::to_string(tone.rate) + ".mp1");
        ASSERT_TRUE(WriteMp1(file, tone));
        const HSTREAM h = b.StreamCreateFile(FALSE, file.c_str(), 0, 0, BASS_STREAM_DECODE);
        ASSERT_NE(h, 0u);
        BASS_CHANNELINFO info{};
        ASSERT_TRUE(b.ChannelGetInfo(h, &info));
        EXPECT_EQ(info.freq, DWORD(tone.rate));
        EXPECT_EQ(info.chans, DWORD(tone.channels));
        const size_t frames = size_t(tone.frames) * 384;
        const auto pcm = ReadAll(b, h, frames * 2, tone.channels);
        EXPECT_EQ(pcm.size(), frames * size_t(tone.channels));
        // Decoded to its end, the length is the samples the frames hold.
        EXPECT_EQ(b.ChannelGetLength(h, BASS_POS_BYTE), QWORD(frames) * 2 * QWORD(tone.channels));
        ASSERT_GT(pcm.size(), size_t(tone.rate) / 2 * size_t(tone.channels));
        const double f = PeakFrequency(pcm, tone.channels, tone.rate, size_t(tone.rate) / 10, 4096, 100,
                                       double(tone.rate) / 4);
        EXPECT_NEAR(f, Mp1ToneFrequency(tone), 15.0);
        double sum = 0;
        int peak = 0;
        for (size_t i = size_t(tone.rate) / 10; i < size_t(tone.rate) / 2; ++i) {
            const int v = pcm[i * size_t(tone.channels)];
            sum += double(v) * v;
            peak = std::max(peak, std::abs(v));
        }
        // The subband's amplitude comes out as the tone's, give or take the
        // filter bank's ripple.
        EXPECT_NEAR(peak / 32768.0, tone.amplitude, 0.1);
        EXPECT_NEAR(std::sqrt(sum / double(tone.rate * 0.4)) / 32768.0, tone.amplitude / std::sqrt(2.0), 0.1);
        if (tone.channels == 2)
            EXPECT_EQ(pcm[size_t(tone.rate) / 5 * 2], pcm[size_t(tone.rate) / 5 * 2 + 1]);
        EXPECT_TRUE(b.StreamFree(h));
    }
}
