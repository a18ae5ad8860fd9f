// mms:// URLs through the WMA add-on, against the http file server speaking
// MMS over HTTP on 127.0.0.1: the add-on reaches the server through FFmpeg's
// mmsh transport, describes the stream, then plays it.
#include "bass/BassTestKit.h"
#include "support/HttpFileServer.h"

#include <gtest/gtest.h>

using namespace quaverly::test;
using quaverly::BassApi;
using namespace std::chrono_literals;

TEST(BassNetwork, WmaAddOnPlaysAnMmsUrlOverHttp)
{
    TempFolder dir;
    const std::string file = dir.File("tone.wma");
    ASSERT_TRUE(MakeTone(file, Encoder::Wma, 440, 44100, 2, 2.0));
    HttpFileServer server;
    server.Serve("/tone.wma", file, {.mmsh = true});
    ASSERT_TRUE(server.Start());
    const std::string url = "mms://127.0.0.1:" + std::to_string(server.port()) + "/tone.wma";
    LoadedBass bass;
    const BassApi &b = bass.api();
    ASSERT_TRUE(bass.InitDisk(dir.File("out.raw")));
    ASSERT_TRUE(bass.wma().loaded());
    // mms is the add-on's: the core library refuses it without asking the server.
    EXPECT_EQ(b.StreamCreateURL(url.c_str(), 0, BASS_STREAM_BLOCK, nullptr, nullptr), 0u);
    EXPECT_EQ(server.requests(), 0);

    const HSTREAM h = bass.wma().StreamCreateFile(FALSE, url.c_str(), 0, 0, 4);
    ASSERT_NE(h, 0u);
    // A describe request, then the play request.
    EXPECT_GE(server.requests(), 2);
    BASS_CHANNELINFO info{};
    ASSERT_TRUE(b.ChannelGetInfo(h, &info));
    EXPECT_EQ(info.chans, 2u);
    EXPECT_EQ(info.freq, 44100u);
    SyncRecorder ends;
    ASSERT_NE(b.ChannelSetSync(h, BASS_SYNC_END, 0, &SyncRecorder::End, &ends), 0u);
    ASSERT_TRUE(b.ChannelPlay(h, FALSE));
    ASSERT_TRUE(ends.WaitFor(1, 8s));
    const PcmAnalysis a = Analyse(ReadPcm(dir.File("out.raw")));
    EXPECT_NEAR(a.seconds, 2.0, 0.15);
    EXPECT_NEAR(a.frequency, 440, 25);
    EXPECT_TRUE(b.StreamFree(h));
}
