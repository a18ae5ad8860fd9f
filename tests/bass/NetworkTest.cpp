// URL streams of the real library against servers on 127.0.0.1: a small
// http file server (network files, a live stream that dies) and a private
// icecast2 fed by ffmpeg (ICY titles, Ogg comments).
#include "bass/BassTestKit.h"
#include "support/HttpFileServer.h"
#include "support/IcecastServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>

using namespace quaverly::test;
using quaverly::BassApi;
using namespace std::chrono_literals;

namespace {

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

// The comment list (NUL-separated) contains this entry, keys compared
// without case.
bool HasComment(const std::string &list, const std::string &entry)
{
    size_t at = 0;
    while (at < list.size()) {
        const size_t end = list.find('\0', at);
        const std::string one = list.substr(at, end == std::string::npos ? std::string::npos : end - at);
        const auto eq = one.find('=');
        const auto want = entry.find('=');
        if (eq != std::string::npos && Lower(one.substr(0, eq)) == Lower(entry.substr(0, want))
            && one.substr(eq) == entry.substr(want))
            return true;
        if (end == std::string::npos)
            break;
        at = end + 1;
    }
    return false;
}

std::string TagList(const char *tags)
{
    std::string out;
    while (tags && *tags) {
        out += tags;
        out += '\0';
        tags += std::strlen(tags) + 1;
    }
    return out;
}

}  // namespace

TEST(BassNetwork, NetworkFileDownloadsInTheBackgroundThenSeeks)
{
    TempFolder dir;
    const std::string file = dir.File("tone.ogg");
    ASSERT_TRUE(MakeTone(file, Encoder::FfmpegOgg, 440, 44100, 2, 4.0, 0.5, "Net Tone"));
    const auto size = std::filesystem::file_size(file);
    HttpFileServer server;
    // About a second for the whole file.
    server.Serve("/tone.ogg", file, {.withLength = true, .bytesPerSecond = int64_t(size)});
    ASSERT_TRUE(server.Start());
    LoadedBass bass;
    const BassApi &b = bass.api();
    ASSERT_TRUE(bass.InitDisk(dir.File("out.raw")));
    const auto start = std::chrono::steady_clock::now();
    const HSTREAM h = b.StreamCreateURL(server.Url("/tone.ogg").c_str(), 0, BASS_STREAM_BLOCK, nullptr, nullptr);
    ASSERT_NE(h, 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_EQ(b.StreamGetFilePosition(h, BASS_FILEPOS_END), QWORD(size));
    EXPECT_TRUE(HasComment(TagList(b.ChannelGetTags(h, BASS_TAG_OGG)), "TITLE=Net Tone"));
    SyncRecorder downloads;
    ASSERT_NE(b.ChannelSetSync(h, BASS_SYNC_DOWNLOAD, 0, &SyncRecorder::Download, &downloads), 0u);
    ASSERT_TRUE(b.ChannelPlay(h, FALSE));
    EXPECT_FALSE(b.ChannelSetPosition(h, b.ChannelSeconds2Bytes(h, 3.0f), BASS_POS_BYTE));  // not yet complete
    ASSERT_TRUE(downloads.WaitFor(1, 10s));
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(downloads.count(), 1u);
    EXPECT_EQ(b.StreamGetFilePosition(h, BASS_FILEPOS_DOWNLOAD), QWORD(size));
    EXPECT_NEAR(b.ChannelBytes2Seconds(h, b.ChannelGetLength(h, BASS_POS_BYTE)), 4.0, 0.01);
    const QWORD target = b.ChannelSeconds2Bytes(h, 3.0f);
    ASSERT_TRUE(b.ChannelSetPosition(h, target, BASS_POS_BYTE));
    EXPECT_GE(b.ChannelGetPosition(h, BASS_POS_BYTE), target);
    EXPECT_LT(b.ChannelGetPosition(h, BASS_POS_BYTE), target + b.ChannelSeconds2Bytes(h, 0.2f));
    // A sync set after the download completed still reports it.
    SyncRecorder late;
    ASSERT_NE(b.ChannelSetSync(h, BASS_SYNC_DOWNLOAD, 0, &SyncRecorder::Download, &late), 0u);
    EXPECT_TRUE(late.WaitFor(1, 2s));
    EXPECT_TRUE(b.StreamFree(h));
}

TEST(BassNetwork, RefusedMissingAndUnknownUrlsGiveZeroAtOnce)
{
    HttpFileServer server;
    ASSERT_TRUE(server.Start());
    LoadedBass bass;
    const BassApi &b = bass.api();
    TempFolder dir;
    ASSERT_TRUE(bass.InitDisk(dir.File("out.raw")));
    const int closed = FreeLoopbackPort();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(b.StreamCreateURL(("http://127.0.0.1:" + std::to_string(closed) + "/x.mp3").c_str(), 0,
                                BASS_STREAM_BLOCK, nullptr, nullptr),
              0u);
    EXPECT_EQ(b.StreamCreateURL(server.Url("/missing.mp3").c_str(), 0, BASS_STREAM_BLOCK, nullptr, nullptr), 0u);
    EXPECT_EQ(b.StreamCreateURL("HTTP-nonsense", 0, BASS_STREAM_BLOCK, nullptr, nullptr), 0u);
    EXPECT_EQ(b.StreamCreateURL(nullptr, 0, BASS_STREAM_BLOCK, nullptr, nullptr), 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
}

TEST(BassNetwork, LiveStreamWhoseServerDiesEndsWithTheEndSync)
{
    TempFolder dir;
    const std::string file = dir.File("long.mp3");
    ASSERT_TRUE(MakeTone(file, Encoder::FfmpegMp3, 440, 44100, 2, 30.0));
    HttpFileServer server;
    server.Serve("/live", file, {.withLength = false, .bytesPerSecond = 16000});  // 128 kbit/s, real time
    ASSERT_TRUE(server.Start());
    LoadedBass bass;
    const BassApi &b = bass.api();
    ASSERT_TRUE(bass.InitDisk(dir.File("out.raw")));
    const HSTREAM h = b.StreamCreateURL(server.Url("/live").c_str(), 0, BASS_STREAM_BLOCK, nullptr, nullptr);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(b.StreamGetFilePosition(h, BASS_FILEPOS_END), QWORD(-1));
    EXPECT_EQ(b.ChannelGetLength(h, BASS_POS_BYTE), QWORD(-1));
    EXPECT_FALSE(b.ChannelSetPosition(h, 0, BASS_POS_BYTE));
    SyncRecorder ends;
    ASSERT_NE(b.ChannelSetSync(h, BASS_SYNC_END, 0, &SyncRecorder::End, &ends), 0u);
    ASSERT_TRUE(b.ChannelPlay(h, FALSE));
    ASSERT_TRUE(WaitUntil([&] { return b.ChannelGetPosition(h, BASS_POS_BYTE) > 44100 * 4; }, 5s));
    server.Stop();
    const auto killed = std::chrono::steady_clock::now();
    ASSERT_TRUE(ends.WaitFor(1, 12s));
    EXPECT_LT(ends.records()[0].when - killed, 6s);
    EXPECT_EQ(b.ChannelIsActive(h), DWORD(BASS_ACTIVE_STOPPED));
    EXPECT_TRUE(b.StreamFree(h));
}

TEST(BassNetwork, IcecastTitleChangeReachesTheMetadataSyncAndKillingTheServerEndsTheChannel)
{
    if (!IcecastServer::Available())
        GTEST_SKIP() << "icecast2, ffmpeg or curl missing";
    IcecastServer ice;
    ASSERT_TRUE(ice.Start());
    ASSERT_TRUE(ice.Feed("/live", IcecastServer::Mp3));
    TempFolder dir;
    LoadedBass bass;
    const BassApi &b = bass.api();
    ASSERT_TRUE(bass.InitDisk(dir.File("out.raw")));
    const auto start = std::chrono::steady_clock::now();
    const HSTREAM h = b.StreamCreateURL(ice.Url("/live").c_str(), 0, BASS_STREAM_BLOCK, nullptr, nullptr);
    ASSERT_NE(h, 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << "probing a live stream must stay short";
    SyncRecorder meta, ends;
    ASSERT_NE(b.ChannelSetSync(h, BASS_SYNC_META, 0, &SyncRecorder::Meta, &meta), 0u);
    ASSERT_NE(b.ChannelSetSync(h, BASS_SYNC_END, 0, &SyncRecorder::End, &ends), 0u);
    ASSERT_TRUE(b.ChannelPlay(h, FALSE));
    std::this_thread::sleep_for(1s);
    ASSERT_TRUE(ice.SetTitle("/live", "First Song"));
    const auto changed = std::chrono::steady_clock::now();
    const bool arrived = WaitUntil(
        [&] {
            for (const auto &r : meta.records())
                if (r.text == "StreamTitle='First Song';")
                    return true;
            return false;
        },
        2s);
    EXPECT_TRUE(arrived) << "no title within 2 s of the change";
    if (arrived) {
        for (const auto &r : meta.records())
            if (r.text == "StreamTitle='First Song';")
                EXPECT_LT(r.when - changed, 2s);
    }
    EXPECT_EQ(b.ChannelGetLength(h, BASS_POS_BYTE), QWORD(-1));
    ice.Kill();
    ASSERT_TRUE(ends.WaitFor(1, 15s)) << "the channel did not end after the server died";
    EXPECT_TRUE(b.StreamFree(h));
}

TEST(BassNetwork, IcecastOggCommentsAtOpenAndAfterATitleChange)
{
    if (!IcecastServer::Available())
        GTEST_SKIP() << "icecast2, ffmpeg or curl missing";
    IcecastServer ice;
    ASSERT_TRUE(ice.Start());
    ASSERT_TRUE(ice.Feed("/live.ogg", IcecastServer::Ogg, "Ogg Start"));
    TempFolder dir;
    LoadedBass bass;
    const BassApi &b = bass.api();
    ASSERT_TRUE(bass.InitDisk(dir.File("out.raw")));
    const HSTREAM h = b.StreamCreateURL(ice.Url("/live.ogg").c_str(), 0, BASS_STREAM_BLOCK, nullptr, nullptr);
    ASSERT_NE(h, 0u);
    EXPECT_TRUE(HasComment(TagList(b.ChannelGetTags(h, BASS_TAG_OGG)), "TITLE=Ogg Start"));
    SyncRecorder meta;
    ASSERT_NE(b.ChannelSetSync(h, BASS_SYNC_META, 0, &SyncRecorder::Meta, &meta), 0u);
    ASSERT_TRUE(b.ChannelPlay(h, FALSE));
    std::this_thread::sleep_for(1s);
    ASSERT_TRUE(ice.SetTitle("/live.ogg", "Ogg Second"));
    const auto changed = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point when{};
    const bool arrived = WaitUntil(
        [&] {
            for (const auto &r : meta.records())
                if (HasComment(r.text, "TITLE=Ogg Second")) {
                    when = r.when;
                    return true;
                }
            return false;
        },
        8s);
    ASSERT_TRUE(arrived) << "no new comments after the change";
    EXPECT_LT(when - changed, 2s);
    EXPECT_TRUE(HasComment(TagList(b.ChannelGetTags(h, BASS_TAG_OGG)), "TITLE=Ogg Second"));
    EXPECT_TRUE(b.StreamFree(h));
}

TEST(BassNetwork, WmaAddOnOpensAnAsfFileOverHttp)
{
    TempFolder dir;
    const std::string file = dir.File("tone.wma");
    ASSERT_TRUE(MakeTone(file, Encoder::Wma, 440, 44100, 2, 2.0));
    HttpFileServer server;
    server.Serve("/tone.wma", file);
    ASSERT_TRUE(server.Start());
    LoadedBass bass;
    const BassApi &b = bass.api();
    ASSERT_TRUE(bass.InitDisk(dir.File("out.raw")));
    ASSERT_TRUE(bass.wma().loaded());
    // The core library does not read ASF; the add-on does, from the URL.
    EXPECT_EQ(b.StreamCreateURL(server.Url("/tone.wma").c_str(), 0, BASS_STREAM_BLOCK, nullptr, nullptr), 0u);
    const HSTREAM h = bass.wma().StreamCreateFile(FALSE, server.Url("/tone.wma").c_str(), 0, 0, 4);
    ASSERT_NE(h, 0u);
    BASS_CHANNELINFO info{};
    ASSERT_TRUE(b.ChannelGetInfo(h, &info));
    EXPECT_EQ(info.chans, 2u);
    SyncRecorder ends;
    ASSERT_NE(b.ChannelSetSync(h, BASS_SYNC_END, 0, &SyncRecorder::End, &ends), 0u);
    ASSERT_TRUE(b.ChannelPlay(h, FALSE));
    ASSERT_TRUE(ends.WaitFor(1, 8s));
    const PcmAnalysis a = Analyse(ReadPcm(dir.File("out.raw")));
    EXPECT_NEAR(a.seconds, 2.0, 0.1);
    // The codec's noise adds a few zero crossings (ffmpeg's own decoding of
    // the file counts the same 457 Hz).
    EXPECT_NEAR(a.frequency, 440, 25);
    EXPECT_TRUE(b.StreamFree(h));
}

// A server that takes the connection and never answers, and one that stops
// sending after its first second: the open fails, and the playing stream
// ends, within the configured times (here shortened to half a second), through
// the core library and the WMA add-on's mms and http paths alike.
TEST(BassNetwork, ServersThatHangFailTheOpenOrEndTheStreamWithinTheTimeouts)
{
    TempFolder dir;
    const std::string file = dir.File("long.mp3");
    ASSERT_TRUE(MakeTone(file, Encoder::FfmpegMp3, 440, 44100, 2, 4.0));
    HttpFileServer server;
    server.Serve("/silent.mp3", file, {.silent = true});
    server.Serve("/stall", file, {.withLength = false, .stallAfter = 16000});  // a second at 128 kbit/s
    ASSERT_TRUE(server.Start());
    LoadedBass bass;
    const BassApi &b = bass.api();
    ASSERT_TRUE(bass.InitDisk(dir.File("out.raw")));
    ASSERT_TRUE(bass.wma().loaded());
    ASSERT_TRUE(b.SetConfig(BASS_CONFIG_NET_TIMEOUT, 500));
    ASSERT_TRUE(b.SetConfig(BASS_CONFIG_NET_READTIMEOUT, 500));

    const std::string url = server.Url("/silent.mp3");
    const std::string mms = "mms://" + url.substr(7);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(b.StreamCreateURL(url.c_str(), 0, BASS_STREAM_BLOCK, nullptr, nullptr), 0u);
    EXPECT_EQ(bass.wma().StreamCreateFile(FALSE, mms.c_str(), 0, 0, 4), 0u);
    EXPECT_EQ(bass.wma().StreamCreateFile(FALSE, url.c_str(), 0, 0, 4), 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);

    const HSTREAM h = b.StreamCreateURL(server.Url("/stall").c_str(), 0, BASS_STREAM_BLOCK, nullptr, nullptr);
    ASSERT_NE(h, 0u);
    SyncRecorder ends;
    ASSERT_NE(b.ChannelSetSync(h, BASS_SYNC_END, 0, &SyncRecorder::End, &ends), 0u);
    ASSERT_TRUE(b.ChannelPlay(h, FALSE));
    // The second buffered plays out; the stall itself ends the read.
    ASSERT_TRUE(ends.WaitFor(1, 5s));
    EXPECT_EQ(b.ChannelIsActive(h), DWORD(BASS_ACTIVE_STOPPED));
    EXPECT_TRUE(b.StreamFree(h));
    EXPECT_TRUE(b.SetConfig(BASS_CONFIG_NET_TIMEOUT, 8000));
    EXPECT_TRUE(b.SetConfig(BASS_CONFIG_NET_READTIMEOUT, 10000));
}
