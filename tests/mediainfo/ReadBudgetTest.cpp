// The readers read little: a few blocks at the head and tail of a large
// file, never the file. Counted from outside through the kernel's per-thread
// tally of bytes read (rchar), so the file buffering (4 KiB pages) counts too.
#include "AsfBuilder.h"
#include "MediaFixtures.h"
#include "OggBuilder.h"
#include "mediainfo/MpegInfo.h"
#include "mediainfo/OggInfo.h"
#include "mediainfo/WavInfo.h"
#include "mediainfo/WmaInfo.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

using namespace quaverly::mediainfo;
using namespace quaverly::mediainfo::test;

namespace {

constexpr std::size_t LargeSize = 8u << 20;

// Bytes this thread had read before this call. The tally shown does not yet
// hold the read that fetches it; `ownRead` tells its size, which the next
// sample will include.
long long BytesReadByThread(long long* ownRead = nullptr)
{
    char text[1024] = {};
    const int fd = open("/proc/thread-self/io", O_RDONLY);
    if (fd < 0)
        return -1;
    const ssize_t n = read(fd, text, sizeof text - 1);
    close(fd);
    if (n <= 0)
        return -1;
    long long value = -1;
    if (const char* at = strstr(text, "rchar:"))
        value = atoll(at + 6);
    if (ownRead)
        *ownRead = n;
    return value;
}

long long BytesFor(const std::function<void()>& read)
{
    long long sampling = 0;
    const long long before = BytesReadByThread(&sampling);
    read();
    const long long after = BytesReadByThread();
    if (before < 0 || after < 0)
        return -1;
    return after - before - sampling;
}

ByteVector LargeMpeg()
{
    ByteVector file;
    // A 2 KiB ID3v2.3 tag with one title frame, then CBR frames, then ID3v1.
    file.resize(2048, 0);
    PutText(file, 0, "ID3");
    file[3] = 3;
    const std::uint32_t body = 2048 - 10;
    file[7] = static_cast<std::uint8_t>((body >> 14) & 0x7F);
    file[8] = static_cast<std::uint8_t>((body >> 7) & 0x7F);
    file[9] = static_cast<std::uint8_t>(body & 0x7F);
    PutText(file, 10, "TIT2");
    PutBe(file, 14, 6, 4);
    PutText(file, 20, std::string("\0Title", 6));
    while (file.size() + 417 + 128 <= LargeSize) {
        const std::size_t at = file.size();
        file.resize(at + 417, 0x55);
        PutBe(file, at, 0xFFFB9040u, 4);
    }
    ByteVector tag(128, 0);
    PutText(tag, 0, "TAGTitle");
    file.insert(file.end(), tag.begin(), tag.end());
    return file;
}

} // namespace

TEST(ReadBudget, EachReaderReadsOnlyHeadersAndTailsOfALargeFile)
{
    TempFolder dir;
    if (BytesReadByThread() < 0)
        GTEST_SKIP() << "no per-thread I/O tally here";
    const std::string mpegFile = dir.Write("large.mp3", LargeMpeg());
    const std::string oggFile = dir.Write(
        "large.ogg", BuildOgg({.Comments = {"TITLE=T", "ARTIST=A", "ALBUM=B", std::string(5000, 'x')},
                               .TotalSize = LargeSize}));
    const std::string wmaFile = dir.Write(
        "large.wma", Asf(Playable({ContentDescription(u"T", u"A"), ExtendedContent({{u"WM/GENRE", u"G"}}),
                                   Object(OtherObject, ByteVector(200000, 0))}),
                         LargeSize));
    ByteVector wav(LargeSize, 0);
    PutText(wav, 0, "RIFF");
    PutLe(wav, 4, LargeSize - 8, 4);
    PutText(wav, 8, "WAVEfmt ");
    PutLe(wav, 22, 2, 2);
    PutLe(wav, 24, 44100, 4);
    PutLe(wav, 34, 16, 2);
    const std::string wavFile = dir.Write("large.wav", wav);

    TMpegInfo mpeg;
    TOggInfo ogg;
    TWmaInfo wma;
    TWavInfo wavInfo;
    // Three 3 458-byte blocks, the ID3v2 header and frames, the ID3v1 tag:
    // each request costs at most its size plus two 4 KiB pages of buffering.
    const long long mpegBytes = BytesFor([&] { ASSERT_TRUE(mpeg.ReadInfo(mpegFile)); });
    EXPECT_TRUE(mpeg.IsValid());
    EXPECT_EQ("Title", mpeg.ID3v2().Title());
    EXPECT_LE(mpegBytes, 3 * (3458 + 8192) + (2048 + 8192) + (128 + 8192) + (10 + 4096));
    // Two page headers, the comments (the long one is skipped, not read) and
    // a window at the tail.
    const long long oggBytes = BytesFor([&] { ASSERT_TRUE(ogg.ReadInfo(oggFile)); });
    EXPECT_TRUE(ogg.IsValid());
    EXPECT_LE(oggBytes, 4 * 4096 + 2 * 4096);
    // The header objects only: the 200 kB object is skipped by positioning.
    const long long wmaBytes = BytesFor([&] { ASSERT_TRUE(wma.ReadInfo(wmaFile)); });
    EXPECT_TRUE(wma.IsValid());
    EXPECT_EQ(u"G", wma.Genre());
    EXPECT_LE(wmaBytes, 4 * 4096);
    const long long wavBytes = BytesFor([&] { ASSERT_TRUE(wavInfo.ReadInfo(wavFile)); });
    EXPECT_TRUE(wavInfo.IsValid());
    EXPECT_LE(wavBytes, 4096);
    RecordProperty("MpegBytes", std::to_string(mpegBytes));
    RecordProperty("OggBytes", std::to_string(oggBytes));
    RecordProperty("WmaBytes", std::to_string(wmaBytes));
    RecordProperty("WavBytes", std::to_string(wavBytes));
    std::printf("bytes read from %zu-byte files: MPEG %lld, Ogg %lld, WMA %lld, WAV %lld\n", LargeSize, mpegBytes,
                oggBytes, wmaBytes, wavBytes);
}
