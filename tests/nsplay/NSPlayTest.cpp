// The media control on the real libVLC, with its sound written to a WAV file
// and its picture sent to the dummy output, against media made by
// make-fixtures.sh.
#include "MediaFixture.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>

using namespace quaverly;
using namespace quaverly::nsplay;
using namespace quaverly::test;

namespace {

class NSPlayTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(MediaFolder().empty()) << "the media could not be made"; }
    std::string Out(const char *name) const { return MediaFolder() + "/" + name; }

    // Plays until the item stops by itself (bounded), then releases it so
    // that the WAV file is complete.
    static void PlayToTheEnd(TNSPlay &control)
    {
        EXPECT_TRUE(WaitFor([&] { return control.PlayState() == kMediaStopped; }, 15000));
    }
};

TEST_F(NSPlayTest, MidiIsMeasuredWithoutAStartAndPlaysAudiblyForItsLength)
{
    TNSPlay control(FileOutput(Out("midi.wav")));
    control.SetFileName(Media("tune.mid"));
    EXPECT_NEAR(3.0, control.Length(), 0.05);  // read before any start
    control.SetFileName("");
    EXPECT_EQ("", control.FileName());
    EXPECT_EQ(0.0, control.Length());

    control.SetFileName(Media("tune.mid"));
    control.SetCurrentPosition(-1.0);
    const MediaStartResult started = control.Play();
    ASSERT_TRUE(started.ok) << started.reason;
    EXPECT_EQ(kMediaPlaying, control.PlayState());
    EXPECT_EQ(0, control.PictureWidth());
    PlayToTheEnd(control);
    // Ended on its own: the whole length has played.
    EXPECT_DOUBLE_EQ(control.Length(), control.CurrentPosition());
    control.SetFileName("");

    const WavSound sound = ReadWav(Out("midi.wav"));
    EXPECT_NEAR(3.0, sound.seconds, 0.3);
    ASSERT_GE(sound.rmsPerSecond.size(), 2u);
    for (const double rms : sound.rmsPerSecond)
        EXPECT_GT(rms, 0.005);
}

TEST_F(NSPlayTest, MidiWithoutASoundfontFailsToStartInsteadOfPlayingSilence)
{
    const std::string empty = Out("no-soundfonts");
    std::filesystem::create_directories(empty);
    std::ofstream(empty + "/broken.sf2");  // empty: no soundfont either
    NSPlayOptions options = FileOutput(Out("silent.wav"));
    options.soundfontFolder = empty;
    TNSPlay control(options);
    control.SetFileName(Media("tune.mid"));
    const MediaStartResult started = control.Play();
    EXPECT_FALSE(started.ok);
    EXPECT_NE(std::string::npos, started.reason.find("soundfont")) << started.reason;
    EXPECT_EQ(kMediaStopped, control.PlayState());
}

TEST_F(NSPlayTest, VideosKnowPictureSizeLengthAndSeekPermissionWhenTheStartReturns)
{
    struct Case {
        const char *name;
        double length;
    };
    // The .mpg tells neither length nor size before it plays.
    for (const Case c : {Case{"clip.avi", 3.0}, Case{"clip.wmv", 3.05}, Case{"clip.mpg", 2.98}}) {
        SCOPED_TRACE(c.name);
        TNSPlay control(FileOutput(Out("video.wav")));
        control.SetFileName(Media(c.name));
        control.SetCurrentPosition(-1.0);
        const MediaStartResult started = control.Play();
        ASSERT_TRUE(started.ok) << started.reason;
        EXPECT_EQ(320, control.PictureWidth());
        EXPECT_EQ(240, control.PictureHeight());
        EXPECT_NEAR(c.length, control.Length(), 0.05);
        EXPECT_TRUE(control.CanSeek());
        if (c.name == std::string("clip.wmv"))
            continue;  // it ends as the .avi does
        PlayToTheEnd(control);
        EXPECT_DOUBLE_EQ(control.Length(), control.CurrentPosition());
        EXPECT_EQ(kMediaStopped, control.PlayState());
    }
}

TEST_F(NSPlayTest, AStartBeginsAtThePositionSetBeforeItAndASeekMovesBothWays)
{
    TNSPlay control(FileOutput(Out("seek.wav")));
    control.SetFileName(Media("clip.wmv"));
    control.SetCurrentPosition(2.0);
    const MediaStartResult started = control.Play();
    ASSERT_TRUE(started.ok) << started.reason;
    // From the start the picture would take well over a second to get there.
    EXPECT_TRUE(WaitFor([&] { return control.CurrentPosition() >= 1.9; }, 800));
    EXPECT_LT(control.CurrentPosition(), control.Length());
    // The player's seek: the target second, then the start method again.
    control.SetCurrentPosition(0.5);
    ASSERT_TRUE(control.Play().ok);
    EXPECT_TRUE(WaitFor([&] { return control.CurrentPosition() < 1.5; }, 800));
    EXPECT_EQ(kMediaPlaying, control.PlayState());
}

TEST_F(NSPlayTest, ARedirectorListPlaysItsEntriesInOrderAsOneItem)
{
    TNSPlay control(FileOutput(Out("list.wav")));
    control.SetFileName(Media("two.asx"));
    const MediaStartResult started = control.Play();
    ASSERT_TRUE(started.ok) << started.reason;
    EXPECT_NEAR(3.0, control.Length(), 0.05);  // 1 s and 2 s
    double last = 0;
    bool backwards = false, inSecond = false;
    EXPECT_TRUE(WaitFor(
        [&] {
            const double now = control.CurrentPosition();
            backwards = backwards || now + 0.3 < last;
            inSecond = inSecond || (now > 1.0 && now < 3.0);
            last = now;
            return control.PlayState() == kMediaStopped;
        },
        15000));
    EXPECT_TRUE(inSecond);
    EXPECT_FALSE(backwards) << "the position went back at the second entry";
    EXPECT_NEAR(3.0, control.CurrentPosition(), 0.05);
    control.SetFileName("");
    // The control did not stop between the entries: the file output, which
    // starts anew with each entry, holds the whole second one (two seconds;
    // the first lasts one).
    EXPECT_NEAR(2.0, ReadWav(Out("list.wav")).seconds, 0.2);
}

TEST_F(NSPlayTest, BadInputFailsToStartWithAReasonAndLeavesNothingPlaying)
{
    TNSPlay control(FileOutput(Out("bad.wav")));
    EXPECT_FALSE(control.Play().ok) << "with no name";
    for (const std::string &name : {Media("missing.avi"), Media("noise.mid"), Media("noise.avi"),
                                   Media("noise.wmv"), Media("gone.asx"), MediaFolder()}) {
        SCOPED_TRACE(name);
        const auto t0 = std::chrono::steady_clock::now();
        control.SetFileName(name);
        EXPECT_EQ(0.0, control.Length());
        control.SetCurrentPosition(-1.0);
        const MediaStartResult started = control.Play();
        EXPECT_FALSE(started.ok);
        EXPECT_FALSE(started.reason.empty());
        EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(6));
        EXPECT_EQ(kMediaStopped, control.PlayState());
        EXPECT_EQ(0.0, control.CurrentPosition());
        EXPECT_EQ(0, control.PictureWidth());
        EXPECT_EQ(name, control.FileName());
    }
    // The control is still good for a playable item afterwards.
    control.SetFileName(Media("clip.avi"));
    EXPECT_TRUE(control.Play().ok);
}

TEST_F(NSPlayTest, AServerThatNeverAnswersFailsTheStartWithinItsBound)
{
    // Accepts connections (the kernel does, from the backlog) and never
    // sends a byte.
    const int server = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(0, bind(server, reinterpret_cast<sockaddr *>(&address), sizeof address));
    ASSERT_EQ(0, listen(server, 8));
    socklen_t size = sizeof address;
    getsockname(server, reinterpret_cast<sockaddr *>(&address), &size);
    const std::string host = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));

    NSPlayOptions options = FileOutput(Out("url.wav"));
    options.urlStartMs = 1500;
    TNSPlay control(options);
    for (const std::string &url : {"http://" + host + "/radio", "mms://" + host + "/radio"}) {
        SCOPED_TRACE(url);
        const auto t0 = std::chrono::steady_clock::now();
        control.SetFileName(url);
        const MediaStartResult started = control.Play();
        EXPECT_FALSE(started.ok);
        EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
        EXPECT_EQ(kMediaStopped, control.PlayState());
        control.SetFileName("");
    }
    close(server);
}

TEST(NSPlayLoading, LibVlcIsLoadedOnlyWhenTheFirstItemNeedsIt)
{
    ASSERT_FALSE(MediaFolder().empty());
    const auto vlcMapped = [] {
        std::ifstream maps("/proc/self/maps");
        for (std::string line; std::getline(maps, line);)
            if (line.find("libvlc.so") != std::string::npos)
                return true;
        return false;
    };
    // In a child of its own: other tests of this binary have loaded it.
    EXPECT_EXIT(
        {
            TNSPlay control(FileOutput(MediaFolder() + "/lazy.wav"));
            control.SetDisplaySize(2);
            control.SetEnabled(false);
            control.SetVideoWindow(0);
            const bool idle = control.PlayState() == kMediaStopped && control.Length() == 0 &&
                              control.PictureWidth() == 0 && !control.CanSeek() && !control.VlcLoaded();
            if (!idle || vlcMapped())
                std::_Exit(1);
            control.SetFileName(Media("tune.mid"));
            std::_Exit(control.VlcLoaded() && vlcMapped() ? 0 : 2);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
