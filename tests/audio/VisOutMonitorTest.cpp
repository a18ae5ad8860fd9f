// The visualisation feed seen from outside: quaverly-play plays a file,
// visout-monitor (a separate process with its own "VisOut" window) connects,
// takes the frames from the shared block and prints them.
#include "PlayerFixture.h"
#include "audio/VisFrame.h"
#include "platform/X11WindowSystem.h"

#include <algorithm>
#include <csignal>
#include <fstream>
#include <sstream>
#include <thread>

using namespace quaverly;
using namespace quaverly::test;

namespace {

std::string Bin(const char *name) { return std::string(QUAVERLY_BIN_DIR) + "/" + name; }

std::string Field(const std::string &line, const std::string &key)
{
    const std::string k = "\"" + key + "\": ";
    const std::size_t at = line.find(k);
    if (at == std::string::npos)
        return {};
    std::size_t b = at + k.size(), e;
    if (line[b] == '"')
        e = line.find('"', ++b);
    else
        e = line.find_first_of(",}", b);
    return line.substr(b, e - b);
}

std::vector<std::string> Lines(const std::string &file)
{
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);)
        if (!l.empty())
            lines.push_back(l);
    return lines;
}

class VisOutMonitorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X display";
        ASSERT_FALSE(FixtureFolder().empty());
    }
    void TearDown() override
    {
        if (player > 0) {
            kill(player, SIGTERM);
            if (WaitForExit(player, 5000) == -2) {
                ADD_FAILURE() << "quaverly-play did not end on SIGTERM";
                kill(player, SIGKILL);
                WaitForExit(player, 5000);
            }
        }
    }

    void StartPlayer(const char *file)
    {
        const std::string out = FixtureFolder() + "/player-" + std::to_string(++runs) + ".txt";
        player = SpawnProcess({"/bin/sh", "-c", "exec \"$0\" \"$1\" >\"$2\" 2>/dev/null", Bin("quaverly-play"),
                               Fixture(file), out});
        ASSERT_GT(player, 0);
        X11WindowSystem x;
        ASSERT_TRUE(x.connected());
        // Playing: the window exists and the length line follows the play call.
        const auto playing = [&] {
            if (x.FindByTitle(audio::visframe::PlayerWindowTitle) == 0)
                return false;
            const auto lines = Lines(out);
            return std::any_of(lines.begin(), lines.end(),
                               [](const std::string &l) { return l.starts_with("{\"event\": \"length\""); });
        };
        for (int i = 0; i < 500 && !playing(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ASSERT_TRUE(playing());
    }

    std::vector<std::string> Monitor(std::vector<std::string> args)
    {
        const std::string out = FixtureFolder() + "/monitor-" + std::to_string(++runs) + ".txt";
        std::vector<std::string> argv = {"/bin/sh", "-c", "out=$1; shift; exec \"$@\" >\"$out\" 2>/dev/null", "sh", out,
                                         Bin("visout-monitor")};
        argv.insert(argv.end(), args.begin(), args.end());
        const pid_t pid = SpawnProcess(argv);
        EXPECT_GT(pid, 0);
        EXPECT_EQ(0, WaitForExit(pid, 20000));
        return Lines(out);
    }

    pid_t player = -1;
    int runs = 0;
};

} // namespace

TEST_F(VisOutMonitorTest, MonoFramesArriveWithIdenticalRows)
{
    StartPlayer("long-mono.wav");
    const auto frames = Monitor({"--frames", "5", "--seconds", "5"});
    ASSERT_EQ(5u, frames.size());
    for (const auto &f : frames) {
        EXPECT_EQ("1", Field(f, "Flag"));
        EXPECT_EQ("44100", Field(f, "SampleRate"));
        EXPECT_EQ("1", Field(f, "Channels"));
        EXPECT_EQ(1152u, Field(f, "Spectrum1").size());
        EXPECT_EQ(Field(f, "Spectrum1"), Field(f, "Spectrum2"));
        EXPECT_EQ(Field(f, "Wave1"), Field(f, "Wave2"));
        EXPECT_NE(std::string(1152, '0'), Field(f, "Wave1")); // a tone, not silence
    }
}

TEST_F(VisOutMonitorTest, StereoRowsTakeEachChannel)
{
    StartPlayer("long-stereo.wav");
    const auto frames = Monitor({"--frames", "3", "--seconds", "5"});
    ASSERT_EQ(3u, frames.size());
    EXPECT_EQ("2", Field(frames[0], "Channels"));
    EXPECT_NE(Field(frames[0], "Wave1"), Field(frames[0], "Wave2"));
}

TEST_F(VisOutMonitorTest, UntakenFramesComeOnlyEveryTenthTickAndCommand70StopsThem)
{
    StartPlayer("long-mono.wav");
    // 20 ms ticks: taken frames come about every tick, untaken ones about
    // every tenth.
    const auto taken = Monitor({"--interval", "20", "--seconds", "1.5", "--quiet-rows"});
    const auto untaken = Monitor({"--interval", "20", "--no-clear", "--seconds", "1.5", "--quiet-rows"});
    EXPECT_GE(taken.size(), 25u);
    EXPECT_GE(untaken.size(), 3u);
    EXPECT_LE(untaken.size(), 10u);
    EXPECT_GT(taken.size(), 3 * untaken.size());

    const auto stopped = Monitor({"--stop-after", "3", "--seconds", "1.5", "--quiet-rows"});
    EXPECT_GE(stopped.size(), 3u);
    EXPECT_LE(stopped.size(), 4u); // at most one was on its way
}

TEST_F(VisOutMonitorTest, WithNoPlayerRunningItSaysSoAndFailsAndHelpPrintsTheUsage)
{
    const auto run = [&](const std::string &arg, std::vector<std::string> &out, std::vector<std::string> &err) {
        const std::string o = FixtureFolder() + "/alone-out.txt", e = FixtureFolder() + "/alone-err.txt";
        const pid_t pid = SpawnProcess({"/bin/sh", "-c", "exec \"$0\" \"$1\" >\"$2\" 2>\"$3\"", Bin("visout-monitor"),
                                        arg, o, e});
        EXPECT_GT(pid, 0);
        const int status = WaitForExit(pid, 20000);
        out = Lines(o);
        err = Lines(e);
        return status;
    };
    std::vector<std::string> out, err;
    EXPECT_EQ(1, run("--quiet-rows", out, err));
    EXPECT_TRUE(out.empty());
    ASSERT_EQ(1u, err.size());
    EXPECT_TRUE(err[0].starts_with("visout-monitor: no audio player window")) << err[0];
    for (const std::string flag : {"--help", "-h"}) {
        EXPECT_EQ(0, run(flag, out, err)) << flag;
        ASSERT_EQ(1u, out.size()) << flag;
        EXPECT_TRUE(out[0].starts_with("usage: visout-monitor ")) << flag;
    }
}
