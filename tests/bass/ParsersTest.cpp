// The byte-level pieces of the audio library: the MP3 information frame,
// Vorbis comment headers, the FFT scaling and the download buffer.
#include "platform/bass/ByteSource.h"
#include "platform/bass/Mp3Length.h"
#include "platform/bass/Spectrum.h"
#include "platform/bass/VorbisComments.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

using namespace quaverly::bass;

namespace {

void PutBe32(std::vector<uint8_t> &v, size_t at, uint32_t x)
{
    v[at] = uint8_t(x >> 24);
    v[at + 1] = uint8_t(x >> 16);
    v[at + 2] = uint8_t(x >> 8);
    v[at + 3] = uint8_t(x);
}

// An MPEG-1 Layer III stereo information frame with frame count, TOC and
// a LAME extension carrying delay and padding.
std::vector<uint8_t> InfoFrame(uint32_t frames, uint32_t delay, uint32_t padding, const char *tag = "Info")
{
    std::vector<uint8_t> f(417, 0);
    f[0] = 0xFF;
    f[1] = 0xFB;
    f[2] = 0x90;
    f[3] = 0x00;
    size_t at = 4 + 32;
    std::memcpy(&f[at], tag, 4);
    PutBe32(f, at + 4, 1 | 4);  // frames and TOC
    PutBe32(f, at + 8, frames);
    at += 12 + 100;
    std::memcpy(&f[at], "LAME3.100", 9);
    const uint32_t v = delay << 12 | padding;
    f[at + 21] = uint8_t(v >> 16);
    f[at + 22] = uint8_t(v >> 8);
    f[at + 23] = uint8_t(v);
    return f;
}

std::vector<uint8_t> Le32(uint32_t x)
{
    return {uint8_t(x), uint8_t(x >> 8), uint8_t(x >> 16), uint8_t(x >> 24)};
}

std::vector<uint8_t> CommentHeader(const std::vector<std::string> &comments)
{
    std::vector<uint8_t> h = {3, 'v', 'o', 'r', 'b', 'i', 's'};
    const std::string vendor = "test vendor";
    auto add = [&](const std::vector<uint8_t> &b) { h.insert(h.end(), b.begin(), b.end()); };
    add(Le32(uint32_t(vendor.size())));
    h.insert(h.end(), vendor.begin(), vendor.end());
    add(Le32(uint32_t(comments.size())));
    for (const auto &c : comments) {
        add(Le32(uint32_t(c.size())));
        h.insert(h.end(), c.begin(), c.end());
    }
    h.push_back(1);  // framing bit
    return h;
}

// Xiph lacing of an identification header (30 bytes), the comment header
// and a setup header.
std::vector<uint8_t> Extradata(const std::vector<uint8_t> &comment)
{
    std::vector<uint8_t> e = {2, 30};
    size_t n = comment.size();
    while (n >= 255) {
        e.push_back(255);
        n -= 255;
    }
    e.push_back(uint8_t(n));
    std::vector<uint8_t> ident(30, 0);
    ident[0] = 1;
    e.insert(e.end(), ident.begin(), ident.end());
    e.insert(e.end(), comment.begin(), comment.end());
    const uint8_t setup[] = {5, 'v', 'o', 'r', 'b', 'i', 's'};
    e.insert(e.end(), setup, setup + sizeof setup);
    return e;
}

}  // namespace

TEST(Mp3Length, ExactFramesAreFrameCountTimesSamplesLessDelayAndPadding)
{
    auto f = InfoFrame(78, 576, 1080);
    EXPECT_EQ(Mp3ExactFramesFromHead(f.data(), f.size()), 78 * 1152 - 576 - 1080);

    // Behind an ID3v2 tag of 300 bytes (syncsafe size) it is still found.
    std::vector<uint8_t> tagged = {'I', 'D', '3', 3, 0, 0, 0, 0, 2, 44};
    tagged.resize(10 + 300, 0);
    tagged.insert(tagged.end(), f.begin(), f.end());
    EXPECT_EQ(Mp3ExactFramesFromHead(tagged.data(), tagged.size()), 78 * 1152 - 576 - 1080);
}

TEST(Mp3Length, FilesWithoutUsableInformationGiveMinusOne)
{
    auto noExtension = InfoFrame(78, 576, 1080);
    std::memcpy(&noExtension[4 + 32 + 112], "XXXX", 4);
    EXPECT_EQ(Mp3ExactFramesFromHead(noExtension.data(), noExtension.size()), -1);
    auto truncated = InfoFrame(78, 576, 1080);
    EXPECT_EQ(Mp3ExactFramesFromHead(truncated.data(), 60), -1);
    auto absurd = InfoFrame(1, 4000, 4000);  // padding beyond the frames
    EXPECT_EQ(Mp3ExactFramesFromHead(absurd.data(), absurd.size()), -1);
    const uint8_t junk[64] = {};
    EXPECT_EQ(Mp3ExactFramesFromHead(junk, sizeof junk), -1);
    // An ID3v2 size pointing past the data.
    const uint8_t id3[10] = {'I', 'D', '3', 3, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F};
    EXPECT_EQ(Mp3ExactFramesFromHead(id3, sizeof id3), -1);
}

TEST(VorbisComments, KeysKeepTheirCaseAndTheListEndsWithAnEmptyString)
{
    const auto e = Extradata(CommentHeader({"title=Lower Case", "ARTIST=Somebody", std::string(300, 'x')}));
    const auto list = ParseVorbisExtradata(e.data(), e.size());
    ASSERT_TRUE(list.has_value());
    ASSERT_EQ(list->size(), 3u);
    EXPECT_EQ((*list)[0], "title=Lower Case");
    EXPECT_EQ((*list)[2].size(), 300u);
    const std::string joined = JoinCommentList(*list);
    EXPECT_EQ(joined.substr(0, 17), std::string("title=Lower Case\0", 17));
    EXPECT_EQ(joined.back(), '\0');
    EXPECT_EQ(joined[joined.size() - 2], '\0');
}

TEST(VorbisComments, DamagedHeadersKeepWhatIsCompleteOrAreRefused)
{
    auto header = CommentHeader({"TITLE=One", "ALBUM=Two"});
    // A count larger than the strings present: the complete ones stay.
    header[7 + 4 + 11] = 9;
    auto e = Extradata(header);
    auto list = ParseVorbisExtradata(e.data(), e.size());
    ASSERT_TRUE(list.has_value());
    EXPECT_EQ(list->size(), 2u);
    // A lacing size past the end, a wrong magic, nothing at all.
    e[2] = 250;
    e.resize(60);
    EXPECT_FALSE(ParseVorbisExtradata(e.data(), e.size()).has_value());
    auto bad = Extradata(CommentHeader({"A=B"}));
    bad[2 + 30 + 1] = 'X';
    EXPECT_FALSE(ParseVorbisExtradata(bad.data(), bad.size()).has_value());
    EXPECT_FALSE(ParseVorbisExtradata(nullptr, 0).has_value());
}

TEST(Spectrum, FullScaleSineOnABinGivesAboutOneThere)
{
    Spectrum s;
    for (int n : {512, 2048}) {
        const int bin = n == 512 ? 20 : 100;
        std::vector<int16_t> mono(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            mono[size_t(i)] = int16_t(std::lrint(32767.0 * std::sin(2 * M_PI * bin * i / n)));
        std::vector<float> out(static_cast<size_t>(n / 2));
        ASSERT_TRUE(s.Compute(mono.data(), n, 1, -1, n, out.data()));
        EXPECT_NEAR(out[size_t(bin)], 1.0f, 0.01f);
        EXPECT_NEAR(out[size_t(bin - 1)], 0.5f, 0.01f);  // the Hann window's spread
        EXPECT_LT(out[size_t(bin + 5)], 0.001f);
    }
}

TEST(Spectrum, ChannelsAreMixedOrTakenAloneAndMissingSamplesAreSilence)
{
    Spectrum s;
    const int n = 512;
    std::vector<int16_t> stereo(size_t(n) * 2);
    for (int i = 0; i < n; ++i) {
        stereo[size_t(i) * 2] = int16_t(std::lrint(16000.0 * std::sin(2 * M_PI * 10 * i / n)));
        stereo[size_t(i) * 2 + 1] = int16_t(std::lrint(16000.0 * std::sin(2 * M_PI * 40 * i / n)));
    }
    std::vector<float> out(256);
    ASSERT_TRUE(s.Compute(stereo.data(), n, 2, 1, n, out.data()));
    EXPECT_NEAR(out[40], 16000.0f / 32768.0f, 0.01f);
    EXPECT_LT(out[10], 0.001f);
    ASSERT_TRUE(s.Compute(stereo.data(), n, 2, -1, n, out.data()));
    EXPECT_NEAR(out[10], 8000.0f / 32768.0f, 0.01f);
    EXPECT_NEAR(out[40], 8000.0f / 32768.0f, 0.01f);
    ASSERT_TRUE(s.Compute(stereo.data(), 0, 2, -1, n, out.data()));
    for (float v : out)
        EXPECT_EQ(v, 0.0f);
}

TEST(DownloadBuffer, ReadersWaitForBytesAndSeeTheEndOrAnAbort)
{
    DownloadBuffer b(8);
    uint8_t buf[8] = {};
    std::thread writer([&] {
        const uint8_t first[4] = {1, 2, 3, 4};
        b.Append(first, 4);
        const uint8_t rest[2] = {5, 6};
        b.Append(rest, 2);
        b.Finish(false);  // two bytes short: an incomplete download
    });
    EXPECT_GE(b.ReadAt(4, buf, 8), 1);  // blocks until byte 4 is there
    writer.join();
    EXPECT_EQ(b.ReadAt(0, buf, 8), 6);
    EXPECT_EQ(buf[5], 6);
    EXPECT_EQ(b.ReadAt(6, buf, 8), 0);
    EXPECT_FALSE(b.complete());

    DownloadBuffer waiting(100);
    std::thread aborter([&] { waiting.Abort(); });
    EXPECT_EQ(waiting.ReadAt(0, buf, 8), -1);
    aborter.join();
}
