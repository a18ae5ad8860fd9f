// Network files over a plain http server and a radio stream from icecast2,
// both on 127.0.0.1, through the real audio library.
#include "PlayerFixture.h"
#include "StreamServers.h"

using namespace quaverly;
using namespace quaverly::audio;
using namespace quaverly::test;

namespace {

class NetworkStreamTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(FixtureFolder().empty());
        player = std::make_unique<TAudioPlayer>(&dialogs, LibraryFolder());
        ASSERT_TRUE(player->PlayerReady());
    }
    RecordingDialogs dialogs;
    std::unique_ptr<TAudioPlayer> player;
};

} // namespace

TEST_F(NetworkStreamTest, ANetworkFileBecomesSeekableOnceDownloaded)
{
    HttpFileServer http(FixtureFolder());
    ASSERT_TRUE(http.ok());
    std::vector<std::string> downloaded;
    player->OnDownloaded = [&](TAudioPlayer &, const std::string &d) { downloaded.push_back(d); };
    ASSERT_TRUE(player->Open(http.Url("tone.mp3")));
    EXPECT_TRUE(player->NetFileStream());
    EXPECT_FALSE(player->RadioStream());
    const TStreamInfo &i = player->CurrentStreamInfo();
    EXPECT_EQ(http.Url("tone.mp3"), i.FileName);
    EXPECT_EQ("tone", i.Title);
    EXPECT_EQ(44100, i.SampleRate);
    EXPECT_EQ(2, i.Channels);
    EXPECT_EQ(48900, i.FileSize);
    EXPECT_NEAR(3000, i.Duration, 100);
    EXPECT_NEAR(128, i.BitRate, 5);
    player->Play();
    ASSERT_TRUE(PumpUntil([&] { return !downloaded.empty(); }, 10000));
    EXPECT_TRUE(player->Downloaded());
    EXPECT_TRUE(player->Seekable());
    EXPECT_EQ(std::to_string(player->CurrentStreamInfo().Duration), downloaded[0]);
    EXPECT_EQ(48900, player->CurrentStreamInfo().FileSize);
    player->SetPosition(2000);
    EXPECT_TRUE(PumpUntil([&] { return player->Position() >= 2000; }, 1000));
}

TEST_F(NetworkStreamTest, OggNetworkFilesTakeTheirTitleFromAnUpperCaseTitleComment)
{
    HttpFileServer http(FixtureFolder());
    ASSERT_TRUE(http.ok());
    // ffmpeg writes the key as "title=": the open path wants "TITLE=".
    ASSERT_TRUE(player->Open(http.Url("tone.ogg")));
    EXPECT_TRUE(player->NetFileStream());
    EXPECT_EQ("", player->CurrentStreamInfo().Title);
    ASSERT_TRUE(player->Open(http.Url("upper.ogg")));
    if (player->Library().ChannelGetTags(player->Channel(), BASS_TAG_OGG) == nullptr)
        GTEST_SKIP() << "the library gives no Ogg comments for this URL stream";
    EXPECT_EQ("Upper Title", player->CurrentStreamInfo().Title);
}

TEST_F(NetworkStreamTest, RefusedUrlsFirstReleaseThePlayingItem)
{
    ASSERT_TRUE(player->Open(Fixture("tone-stereo.wav")));
    player->Play();
    const std::uint32_t channel = player->Channel();
    EXPECT_FALSE(player->Open("http://127.0.0.1:1/song.wma"));
    EXPECT_EQ(ckNone, player->ChannelKind());
    EXPECT_EQ(0u, player->Library().ChannelIsActive(channel)); // its sound stopped

    ASSERT_TRUE(player->Open(Fixture("tone-stereo.wav")));
    player->Play();
    const int port = FreeLoopbackPort(); // nobody listens there
    EXPECT_FALSE(player->Open("http://127.0.0.1:" + std::to_string(port) + "/song.mp3"));
    EXPECT_EQ(ckNone, player->ChannelKind());
    EXPECT_FALSE(player->Seekable());
    EXPECT_EQ(0u, player->PlayLength());
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(NetworkStreamTest, ARadioStreamAnnouncesEachTitleWholeAndIsNeverSeekable)
{
    IcecastServer ice;
    ASSERT_TRUE(ice.ok());
    // The source needs a moment to connect; the mount answers 404 until then.
    bool opened = false;
    for (int i = 0; i < 50 && !(opened = player->Open(ice.Url())); ++i)
        Pump(100);
    ASSERT_TRUE(opened);
    EXPECT_TRUE(player->RadioStream());
    EXPECT_FALSE(player->NetFileStream());
    EXPECT_FALSE(player->Seekable());
    EXPECT_EQ(44100, player->CurrentStreamInfo().SampleRate);

    std::vector<std::string> titles;
    player->OnGetMeta = [&](TAudioPlayer &, const std::string &t) { titles.push_back(t); };
    player->Play();
    ASSERT_TRUE(ice.SetTitle("First Song"));
    ASSERT_TRUE(PumpUntil([&] { return !titles.empty() && titles.back() == "First Song"; }, 10000));
    const std::string tricky = "第二首 Second; it's";
    ASSERT_TRUE(ice.SetTitle(tricky));
    ASSERT_TRUE(PumpUntil([&] { return titles.back() == tricky; }, 10000));
    EXPECT_EQ(tricky, player->CurrentStreamInfo().Title);
    EXPECT_FALSE(player->Seekable());
    EXPECT_EQ(psPlaying, player->PlayerState());
    EXPECT_GT(player->Position(), 0u);
}
