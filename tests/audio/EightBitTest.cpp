// The refusal of an 8-bit channel. The audio library here always delivers
// 16-bit samples, so the library's own entry points are wrapped: the real
// channel is opened, and ChannelGetInfo adds the 8-bit flag to its report;
// the release calls are counted on their way to the real library.
#include "PlayerFixture.h"

#include <vector>

using namespace quaverly;
using namespace quaverly::audio;
using namespace quaverly::test;

namespace {

// The wrapped entry points are plain C functions: the real ones and the
// calls seen live here, for the one player of each test.
struct Double {
    decltype(&::BASS_ChannelGetInfo) getInfo = nullptr;
    decltype(&::BASS_StreamFree) streamFree = nullptr;
    decltype(&::BASS_MusicFree) musicFree = nullptr;
    bool eightBit = true;
    std::vector<DWORD> streamFrees, musicFrees;
} g;

BOOL EightBitGetInfo(DWORD handle, BASS_CHANNELINFO *info)
{
    const BOOL ok = g.getInfo(handle, info);
    if (ok && g.eightBit)
        info->flags |= BASS_SAMPLE_8BITS;
    return ok;
}

BOOL CountedStreamFree(HSTREAM handle)
{
    g.streamFrees.push_back(handle);
    return g.streamFree(handle);
}

BOOL CountedMusicFree(HMUSIC handle)
{
    g.musicFrees.push_back(handle);
    return g.musicFree(handle);
}

class EightBitTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(FixtureFolder().empty()) << "fixtures could not be made";
        player = std::make_unique<TAudioPlayer>(&dialogs, LibraryFolder());
        ASSERT_TRUE(player->PlayerReady()) << "library in " << LibraryFolder();
        g = Double{};
        TPlayerLibrary &lib = player->Library();
        g.getInfo = lib.ChannelGetInfo;
        g.streamFree = lib.StreamFree;
        g.musicFree = lib.MusicFree;
        lib.ChannelGetInfo = &EightBitGetInfo;
        lib.StreamFree = &CountedStreamFree;
        lib.MusicFree = &CountedMusicFree;
    }
    void TearDown() override { player.reset(); }

    RecordingDialogs dialogs;
    std::unique_ptr<TAudioPlayer> player;
};

} // namespace

TEST_F(EightBitTest, AnEightBitChannelIsReleasedWithTheMessageAndOpenFails)
{
    EXPECT_FALSE(player->Open(Fixture("eight-bit.wav")));
    ASSERT_EQ(1u, dialogs.boxes.size());
    EXPECT_EQ("提示|Sound card does not support 16-bit sources.", dialogs.boxes[0]);

    // The refused channel went back through both release calls, and the
    // library no longer knows it.
    ASSERT_EQ(1u, g.streamFrees.size());
    ASSERT_EQ(1u, g.musicFrees.size());
    const DWORD refused = g.streamFrees[0];
    EXPECT_NE(0u, refused);
    EXPECT_EQ(refused, g.musicFrees[0]);
    BASS_CHANNELINFO info{};
    EXPECT_FALSE(g.getInfo(refused, &info));

    // The player holds no channel and calls nothing on the freed one.
    EXPECT_EQ(ckNone, player->ChannelKind());
    EXPECT_EQ(0u, player->Channel());
    EXPECT_EQ(0u, player->PlayLength());
    EXPECT_EQ(0u, player->Position());
    EXPECT_FALSE(player->Seekable());
    player->Play();
    EXPECT_EQ(psClosed, player->PlayerState());
    EXPECT_EQ("", player->CurrentFile());
    player->Close();
    EXPECT_EQ(1u, g.streamFrees.size()); // Close has nothing left to release
}

TEST_F(EightBitTest, TheRefusalReleasesThePlayingItemAndTheNextSixteenBitFileStillPlays)
{
    g.eightBit = false;
    ASSERT_TRUE(player->Open(Fixture("long-stereo.wav")));
    player->Play();
    ASSERT_EQ(psPlaying, player->PlayerState());
    const std::uint32_t playing = player->Channel();

    g.eightBit = true;
    EXPECT_FALSE(player->Open(Fixture("tone-mono.wav")));
    EXPECT_EQ(1u, dialogs.boxes.size());
    // The item before was released first (its sound stopped), then the
    // refused one; the state keeps its former value with no channel held.
    ASSERT_EQ(2u, g.streamFrees.size());
    EXPECT_EQ(playing, g.streamFrees[0]);
    EXPECT_EQ(0u, player->Library().ChannelIsActive(playing));
    EXPECT_EQ(ckNone, player->ChannelKind());
    EXPECT_EQ(psPlaying, player->PlayerState());

    g.eightBit = false;
    ASSERT_TRUE(player->Open(Fixture("tone-mono.wav")));
    EXPECT_EQ(psReady, player->PlayerState());
    player->Play();
    EXPECT_EQ(psPlaying, player->PlayerState());
    EXPECT_TRUE(PumpUntil([&] { return player->Position() > 0; }, 2000));
    EXPECT_EQ(1u, dialogs.boxes.size());
}
