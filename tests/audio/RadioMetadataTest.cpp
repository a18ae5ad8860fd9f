// A radio stream's ICY metadata from the test http server, through the real
// audio library to the player's title: a block without "StreamTitle=" is one
// string, and reading it never goes past its end (the sanitizer build
// catches a walk into the heap).
#include "PlayerFixture.h"
#include "support/HttpFileServer.h"

using namespace quaverly;
using namespace quaverly::audio;
using namespace quaverly::test;

TEST(RadioMetadata, ABlockWithoutAStreamTitleGivesAnEmptyTitleAndTheEventStillFires)
{
    ASSERT_FALSE(FixtureFolder().empty());
    RecordingDialogs dialogs;
    TAudioPlayer player(&dialogs, LibraryFolder());
    ASSERT_TRUE(player.PlayerReady());
    HttpFileServer server;
    // Without a length: a live stream, paced at four times its rate, with a
    // block every eighth of a second. The texts alternate, so that a notice
    // comes after the player set its procedure.
    const auto radio = [](std::vector<std::string> texts) {
        return HttpFileServer::Options{.withLength = false, .bytesPerSecond = 16000, .icyInterval = 2000,
                                       .icyTexts = std::move(texts)};
    };
    server.Serve("/ad", Fixture("radio.mp3"), radio({"StreamUrl='http://ad.example/';", "StreamUrl='http://ad.example/2';"}));
    server.Serve("/song", Fixture("radio.mp3"), radio({"StreamTitle='Song; it's';", "StreamTitle='Song; it's';StreamUrl='';"}));
    ASSERT_TRUE(server.Start());

    std::vector<std::string> titles;
    player.OnGetMeta = [&](TAudioPlayer &, const std::string &t) { titles.push_back(t); };
    ASSERT_TRUE(player.Open(server.Url("/song")));
    EXPECT_TRUE(player.RadioStream());
    player.Play();
    ASSERT_TRUE(PumpUntil([&] { return !titles.empty(); }, 10000));
    EXPECT_EQ("Song; it's", titles.back());

    titles.clear();
    ASSERT_TRUE(player.Open(server.Url("/ad")));
    player.Play();
    ASSERT_TRUE(PumpUntil([&] { return !titles.empty(); }, 10000));
    EXPECT_EQ("", titles.back());
    EXPECT_EQ("", player.CurrentStreamInfo().Title);
    player.Close();
}
