// TAudioPlayer on the real audio library, output through SDL's disk driver.
#include "PlayerFixture.h"
#include "audio/PlayerWindow.h"
#include "audio/VisThread.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

using namespace quaverly;
using namespace quaverly::audio;
using namespace quaverly::test;

namespace {

class AudioPlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(FixtureFolder().empty()) << "fixtures could not be made";
        player = std::make_unique<TAudioPlayer>(&dialogs, LibraryFolder());
        ASSERT_TRUE(player->PlayerReady()) << "library in " << LibraryFolder();
    }
    void TearDown() override { player.reset(); }

    void OpenAndPlay(const char *name)
    {
        ASSERT_TRUE(player->Open(Fixture(name))) << name;
        player->Play();
        ASSERT_EQ(psPlaying, player->PlayerState());
    }

    RecordingDialogs dialogs;
    std::unique_ptr<TAudioPlayer> player;
};

off_t FileSize(const std::string &path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

} // namespace

TEST(AudioPlayerCreate, WithoutTheLibraryThePlayerIsNotReadyAndSaysSoOnOpen)
{
    RecordingDialogs dialogs;
    TAudioPlayer player(&dialogs, "/nonexistent-folder/");
    EXPECT_FALSE(player.PlayerReady());
    EXPECT_EQ("", player.BASSDLLVer());
    EXPECT_EQ("1.5", player.Version());
    EXPECT_EQ("", player.SupportedExtensions());
    EXPECT_TRUE(dialogs.boxes.empty()); // a missing library is no message
    EXPECT_FALSE(player.Open("/x/a.mp3"));
    ASSERT_EQ(1u, dialogs.boxes.size());
    EXPECT_EQ("提示|Player is not ready !", dialogs.boxes[0]);
    EXPECT_EQ(0u, player.PlayLength());
    EXPECT_EQ(0u, player.Position());
}

TEST(AudioPlayerCreate, AnOutputThatCannotOpenShowsTheSoundCardMessage)
{
    ASSERT_FALSE(FixtureFolder().empty());
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    RecordingDialogs dialogs;
    {
        TAudioPlayer player(&dialogs, LibraryFolder());
        EXPECT_FALSE(player.PlayerReady());
        EXPECT_EQ("", player.SupportedExtensions());
    }
    setenv("SDL_AUDIODRIVER", "disk", 1);
    ASSERT_EQ(1u, dialogs.boxes.size());
    EXPECT_EQ("提示|声卡未安装/被占用/或者驱动不兼容,不能运行!", dialogs.boxes[0]);
}

TEST_F(AudioPlayerTest, ReadyPlayerReportsVersionsAndExtensions)
{
    EXPECT_EQ("1.5", player->Version());
    const std::string v = player->BASSDLLVer();
    ASSERT_NE(std::string::npos, v.find('.'));
    EXPECT_EQ(player->WmaReady() ? "*.wav;*.mp1;*.mp2;*.mp3;*.ogg;*.wma;" : "*.wav;*.mp1;*.mp2;*.mp3;*.ogg;",
              player->SupportedExtensions());
    EXPECT_EQ(psClosed, player->PlayerState());
    EXPECT_EQ(0u, player->PlayLength());
    EXPECT_EQ(0u, player->Position());
    EXPECT_FALSE(player->Seekable());
}

TEST_F(AudioPlayerTest, OpenFillsTheStreamInfoAndTheChannel)
{
    ASSERT_TRUE(player->Open(Fixture("tone-mono.wav")));
    EXPECT_EQ(psReady, player->PlayerState());
    EXPECT_EQ(ckStream, player->ChannelKind());
    const TStreamInfo &i = player->CurrentStreamInfo();
    EXPECT_EQ(Fixture("tone-mono.wav"), i.FileName);
    EXPECT_EQ(44100, i.SampleRate);
    EXPECT_EQ(1, i.Channels);
    EXPECT_EQ(705, i.BitRate); // sample rate x bits, channels not counted
    EXPECT_EQ(2000, i.Duration);
    EXPECT_EQ("tone-mono.wav", i.Title);
    EXPECT_EQ(Fixture("tone-mono.wav"), player->CurrentFile());
    EXPECT_EQ(44100u, player->ChanInfo().SampleRate);
    EXPECT_EQ(1, player->ChanInfo().Channels);
    EXPECT_EQ(2000u, player->PlayLength());
    EXPECT_EQ(0u, player->Position());
    EXPECT_TRUE(player->Seekable());

    ASSERT_TRUE(player->Open(Fixture("tone.ogg")));
    EXPECT_EQ("Ogg Title", player->CurrentStreamInfo().Title);
    EXPECT_EQ(2, player->CurrentStreamInfo().Channels);
    ASSERT_TRUE(player->Open(Fixture("mono.mp3")));
    EXPECT_EQ(1, player->CurrentStreamInfo().Channels);
    ASSERT_TRUE(player->Open(Fixture("tone.mp3")));
    EXPECT_EQ(2, player->CurrentStreamInfo().Channels);
    EXPECT_EQ(128, player->CurrentStreamInfo().BitRate);
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(AudioPlayerTest, RefusedFilesLeaveThePlayingItemPlayingWithoutAMessage)
{
    OpenAndPlay("tone-stereo.wav");
    const std::uint32_t channel = player->Channel();
    EXPECT_FALSE(player->Open(Fixture("tone.flac")));   // extension nobody plays
    EXPECT_FALSE(player->Open(Fixture("zeros.mp3")));   // the MPEG reader turns it down
    EXPECT_FALSE(player->Open(Fixture("missing.wav")));
    EXPECT_FALSE(player->Open(Fixture("noext")));
    EXPECT_FALSE(player->Open("HTTP://127.0.0.1:1/a.mp3")); // no URL: a file that is not there
    EXPECT_EQ(psPlaying, player->PlayerState());
    EXPECT_EQ(channel, player->Channel());
    EXPECT_EQ(1u, player->Library().ChannelIsActive(channel));
    EXPECT_EQ(Fixture("tone-stereo.wav"), player->CurrentFile());
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(AudioPlayerTest, PlayPositionSeekEndAndRestart)
{
    int ends = 0;
    player->OnPlayEnd = [&](TAudioPlayer &) { ++ends; };
    OpenAndPlay("short.wav"); // 0.5 s
    player->Play();           // playing: nothing happens
    EXPECT_EQ(psPlaying, player->PlayerState());
    ASSERT_TRUE(PumpUntil([&] { return player->Position() > 0; }, 2000));

    player->SetPosition(600); // beyond the length: ignored
    EXPECT_LT(player->Position(), 500u);
    ASSERT_TRUE(PumpUntil([&] { return ends == 1; }, 5000));
    EXPECT_EQ(psStopped, player->PlayerState());

    // Play after the end starts again from the beginning, and the end
    // notice registered on the first play fires again.
    player->Play();
    EXPECT_EQ(psPlaying, player->PlayerState());
    EXPECT_LT(player->Position(), 300u);
    ASSERT_TRUE(PumpUntil([&] { return ends == 2; }, 5000));
    EXPECT_EQ(psStopped, player->PlayerState());
}

TEST_F(AudioPlayerTest, SeekingMovesThePositionAndStopThenPlayRewinds)
{
    OpenAndPlay("tone-stereo.wav"); // 2 s
    player->SetPosition(1500);
    ASSERT_TRUE(PumpUntil([&] { return player->Position() >= 1500; }, 1000));
    player->Stop();
    EXPECT_EQ(psStopped, player->PlayerState());
    const std::uint32_t stoppedAt = player->Position();
    Pump(200);
    EXPECT_EQ(0u, player->Library().ChannelIsActive(player->Channel()));
    EXPECT_GE(player->Position(), 1400u);
    EXPECT_LE(player->Position(), stoppedAt + 50);
    player->Play();
    EXPECT_EQ(psPlaying, player->PlayerState());
    EXPECT_LT(player->Position(), 500u);
}

TEST_F(AudioPlayerTest, CloseReleasesTheChannelAndClearsTheItem)
{
    OpenAndPlay("tone-mono.wav");
    const std::uint32_t channel = player->Channel();
    player->Close();
    EXPECT_EQ(psClosed, player->PlayerState());
    EXPECT_EQ(ckNone, player->ChannelKind());
    EXPECT_EQ(0u, player->Library().ChannelIsActive(channel));
    EXPECT_EQ("", player->CurrentFile());
    EXPECT_EQ("", player->CurrentStreamInfo().FileName);
    EXPECT_EQ(0, player->CurrentStreamInfo().SampleRate);
    EXPECT_EQ(0u, player->PlayLength());
    EXPECT_EQ(0u, player->Position());
    EXPECT_FALSE(player->Seekable());
    player->Play(); // nothing to play
    EXPECT_EQ(psClosed, player->PlayerState());
}

TEST_F(AudioPlayerTest, AStaleEndNoticeOfAReleasedChannelDoesNotStopTheNextItem)
{
    int ends = 0;
    player->OnPlayEnd = [&](TAudioPlayer &) { ++ends; };
    OpenAndPlay("short.wav");
    const std::uint32_t old = player->Channel();
    OpenAndPlay("tone-mono.wav");
    player->HandleMessage(TAudioPlayer::MsgPlayEnd, std::int32_t(old), 0);
    EXPECT_EQ(psPlaying, player->PlayerState());
    EXPECT_EQ(0, ends);
    player->HandleMessage(TAudioPlayer::MsgPlayEnd, std::int32_t(player->Channel()), 0);
    EXPECT_EQ(psStopped, player->PlayerState());
    EXPECT_EQ(1, ends);
}

TEST_F(AudioPlayerTest, BandsShowTheToneAndTheTimerRunsOnlyWithAHandler)
{
    OpenAndPlay("tone-mono.wav");
    Pump(100);
    EXPECT_FALSE(player->SpectrumTimerActive());
    player->Close();

    int frames = 0;
    TBandOut last{};
    player->OnNewFFTData = [&](TAudioPlayer &, TBandOut &b) {
        ++frames;
        last = b;
    };
    OpenAndPlay("tone-mono.wav");
    EXPECT_TRUE(player->SpectrumTimerActive());
    ASSERT_TRUE(PumpUntil([&] { return frames >= 10; }, 3000));
    // 440 Hz lies in bin 5 of a 512-point FFT at 44100 Hz: band 3 (bins 5 to 8).
    const auto peak = std::max_element(last.begin(), last.end()) - last.begin();
    EXPECT_EQ(3, peak);
    EXPECT_GT(last[3], 50);
    EXPECT_EQ(0, last[18]);
    // After the end the timer switches itself off; the bands keep their values.
    ASSERT_TRUE(PumpUntil([&] { return player->PlayerState() == psStopped; }, 5000));
    ASSERT_TRUE(PumpUntil([&] { return !player->SpectrumTimerActive(); }, 1000));
}

TEST_F(AudioPlayerTest, TheDiskOutputReceivesTheSound)
{
    const std::string out = Fixture("sdl-out.raw");
    const off_t before = FileSize(out);
    OpenAndPlay("tone-stereo.wav");
    ASSERT_TRUE(PumpUntil([&] { return player->PlayerState() == psStopped; }, 6000));
    // Two seconds of 16-bit stereo at 44100 Hz, give or take a device buffer.
    EXPECT_GE(FileSize(out) - before, off_t(2 * 44100 * 4 * 9 / 10));
}

TEST_F(AudioPlayerTest, SixChannelFilesPlayWithBandsAndFramesWithoutOverflow)
{
    int frames = 0;
    player->OnNewFFTData = [&](TAudioPlayer &, TBandOut &) { ++frames; };
    for (const char *name : {"surround.ogg", "surround.wav"}) {
        SCOPED_TRACE(name);
        if (!player->Open(Fixture(name))) {
            EXPECT_STREQ("surround.wav", name) << "the Ogg file must open";
            continue;
        }
        EXPECT_EQ(6, player->ChanInfo().Channels);
        player->HandleMessage(PlayerWindow::SendingData, TAudioPlayer::CmdConnect, 1);
        player->Play();
        TVisThread *vis = player->VisThread();
        ASSERT_FALSE(vis->IsStopped());
        const auto written = vis->FramesWritten();
        std::uint8_t *view = vis->View();
        ASSERT_NE(nullptr, view);
        ASSERT_TRUE(PumpUntil([&] {
            visframe::WriteU32(view, visframe::FlagOffset, 0); // take every frame
            return vis->FramesWritten() >= written + 5;
        }, 3000));
        EXPECT_EQ(6u, visframe::ReadU32(view, visframe::ChannelsOffset));
        player->HandleMessage(PlayerWindow::SendingData, TAudioPlayer::CmdDisconnect, 0);
        EXPECT_TRUE(vis->IsStopped());
        player->Close();
    }
}

TEST_F(AudioPlayerTest, VisualisationCommandsConnectSetTheIntervalAndDisconnect)
{
    TVisThread *vis = player->VisThread();
    const auto cmd = [&](std::int32_t w, std::int32_t l) { player->HandleMessage(PlayerWindow::SendingData, w, l); };
    cmd(TAudioPlayer::CmdSetInterval, 5);
    EXPECT_EQ(10, vis->Interval());
    cmd(TAudioPlayer::CmdSetInterval, (7 << 16) | 40); // high half ignored
    EXPECT_EQ(40, vis->Interval());
    cmd(99, 1); // unknown: nothing
    cmd(TAudioPlayer::CmdConnect, 0);
    EXPECT_FALSE(player->VisOutActive());

    // Connected while nothing plays: active, but no frames until Play.
    cmd(TAudioPlayer::CmdConnect, 1);
    EXPECT_TRUE(player->VisOutActive());
    EXPECT_TRUE(vis->IsStopped());
    OpenAndPlay("tone-mono.wav");
    EXPECT_FALSE(vis->IsStopped());
    player->Stop();
    EXPECT_TRUE(vis->IsStopped());
    EXPECT_TRUE(player->VisOutActive()); // only command 70 resets it
    player->Play();
    EXPECT_FALSE(vis->IsStopped());
    cmd(TAudioPlayer::CmdDisconnect, 0);
    EXPECT_FALSE(player->VisOutActive());
    EXPECT_TRUE(vis->IsStopped());
    EXPECT_FALSE(vis->TimerActive());
}

TEST_F(AudioPlayerTest, MonoFramesCarryIdenticalRowsAndAnUntakenFrameIsRewrittenEveryTenthTick)
{
    TVisThread *vis = player->VisThread();
    std::uint8_t *view = vis->View();
    ASSERT_NE(nullptr, view);
    player->HandleMessage(PlayerWindow::SendingData, TAudioPlayer::CmdConnect, 1);
    OpenAndPlay("tone-mono.wav");
    ASSERT_TRUE(PumpUntil([&] { return vis->FramesWritten() >= 1; }, 2000));
    EXPECT_EQ(1u, visframe::ReadU32(view, visframe::FlagOffset));
    EXPECT_EQ(44100u, visframe::ReadU32(view, visframe::SampleRateOffset));
    EXPECT_EQ(1u, visframe::ReadU32(view, visframe::ChannelsOffset));
    EXPECT_EQ(0, std::memcmp(view + visframe::Spectrum1Offset, view + visframe::Spectrum2Offset, visframe::RowBytes));
    EXPECT_EQ(0, std::memcmp(view + visframe::Wave1Offset, view + visframe::Wave2Offset, visframe::RowBytes));

    // Nobody clears the flag: each further frame waits ten ticks.
    const auto first = vis->FramesWritten();
    int maxSkips = 0;
    PumpUntil([&] {
        maxSkips = std::max(maxSkips, vis->SkipCount());
        return vis->FramesWritten() >= first + 3;
    }, 3000);
    EXPECT_EQ(first + 3, vis->FramesWritten());
    EXPECT_EQ(9, maxSkips);
}
