// The real program with its settings file and the daily schedule, started
// from a temporary program folder under a private X server, its wall clock
// moved by faketime (the monotonic clock stays real, so the real one-second
// timer runs as it always does). Local time is UTC.
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <string>
#include <vector>

#include "e2e/E2eSupport.h"
#include "platform/TempFolder.h"

using namespace quaverly::e2e;
using quaverly::test::ReadFile;
using quaverly::test::TempFolder;

namespace {

constexpr const char *kLibFaketime = QUAVERLY_LIBFAKETIME;

void WriteText(const std::string &path, const std::string &text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// Seconds to add to the real clock so that it reads the given UTC time of
// 2026-12-08 now.
long long OffsetTo(int hour, int minute, int second)
{
    std::tm target{};
    target.tm_year = 2026 - 1900;
    target.tm_mon = 11;
    target.tm_mday = 8;
    target.tm_hour = hour;
    target.tm_min = minute;
    target.tm_sec = second;
    return static_cast<long long>(timegm(&target)) - static_cast<long long>(std::time(nullptr));
}

// A WAV file of a quiet 440 Hz tone, 8 kHz mono 16-bit.
std::string ToneWav(int seconds)
{
    const std::uint32_t samples = std::uint32_t(seconds) * 8000u;
    std::string bytes;
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(char(v >> (8 * i)));
    };
    auto u16 = [&](std::uint16_t v) {
        bytes.push_back(char(v));
        bytes.push_back(char(v >> 8));
    };
    bytes += "RIFF";
    u32(36 + samples * 2);
    bytes += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(1);
    u32(8000);
    u32(16000);
    u16(2);
    u16(16);
    bytes += "data";
    u32(samples * 2);
    for (std::uint32_t i = 0; i < samples; ++i)
        u16(std::uint16_t(std::int16_t(2000.0 * std::sin(2.0 * M_PI * 440.0 * i / 8000.0))));
    return bytes;
}

// A text as xprop shows it: as it is in a UTF-8 locale, with every byte
// above 127 as an octal escape in others.
bool ShowsText(const std::string &xprop, const std::string &text)
{
    std::string escaped;
    for (unsigned char c : text) {
        if (c < 128) {
            escaped.push_back(char(c));
        } else {
            char octal[8];
            std::snprintf(octal, sizeof octal, "\\%03o", c);
            escaped += octal;
        }
    }
    return xprop.find(text) != std::string::npos || xprop.find(escaped) != std::string::npos;
}

struct WindowGeometry {
    int x = -1, y = -1, width = -1, height = -1;
};

WindowGeometry GeometryOf(const std::string &display, unsigned long window)
{
    const std::string info = RunTool(display, "xwininfo -id " + std::to_string(window));
    auto number = [&](const char *label) {
        std::smatch m;
        return std::regex_search(info, m, std::regex(std::string(label) + R"(:\s+(-?\d+))")) ? std::stoi(m[1]) : -1;
    };
    return {number("Absolute upper-left X"), number("Absolute upper-left Y"), number("Width"), number("Height")};
}

class ScheduleE2eTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(std::filesystem::exists(kLibFaketime)) << "faketime is not installed (deps/debian-packages.txt)";
        server = std::make_unique<XServer>(withWindowManager);
        ASSERT_TRUE(server->ok()) << server->error();
        std::filesystem::copy_file(QUAVERLY_BIN_DIR "/quaverly", folder / "quaverly");
        for (const char *sub : {"runtime", "registry", "home"})
            std::filesystem::create_directories(state / sub);
        std::filesystem::permissions(state / "runtime", std::filesystem::perms::owner_all);
    }

    std::string Settings() const { return folder / "quaverly.ini"; }

    // Moves the running program's clock to the given time of the day.
    void SetClock(int hour, int minute, int second)
    {
        const long long offset = OffsetTo(hour, minute, second);
        WriteText(state / "faketime", (offset < 0 ? "" : "+") + std::to_string(offset) + "s\n");
    }
    std::string Log() const { return state / "schedule.log"; }

    // Starts the program with its clock at the given time of the day.
    Child Start(int hour, int minute, int second, std::vector<std::string> arguments = {})
    {
        SetClock(hour, minute, second);
        std::vector<std::string> env = EnvironmentWithout({"DISPLAY=", "XDG_RUNTIME_DIR=", "QUAVERLY_",
                                                           "QT_QPA_PLATFORM=", "HOME=", "XDG_CONFIG_HOME=",
                                                           "XAUTHORITY=", "TZ=", "LD_PRELOAD=", "FAKETIME"});
        for (const std::string &entry :
             {"DISPLAY=" + server->display(), "XDG_RUNTIME_DIR=" + (state / "runtime"),
              "QUAVERLY_REGISTRY_DIR=" + (state / "registry"), "HOME=" + (state / "home"), std::string("TZ=UTC"),
              "QUAVERLY_SCHEDULE_LOG=" + Log(), std::string("SDL_AUDIODRIVER=dummy"),
              std::string("LD_PRELOAD=") + kLibFaketime, "FAKETIME_TIMESTAMP_FILE=" + (state / "faketime"),
              std::string("FAKETIME_NO_CACHE=1"), std::string("FAKETIME_DONT_FAKE_MONOTONIC=1")})
            env.push_back(entry);
        std::vector<std::string> argv{folder / "quaverly"};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return Spawn(argv, env, state / "stderr.txt");
    }

    unsigned long WaitForWindow()
    {
        unsigned long window = 0;
        WaitUntil(
            [&] {
                const auto windows = VisibleMainWindows(server->display());
                window = windows.size() == 1 ? windows[0] : 0;
                return window != 0;
            },
            10000);
        return window;
    }

    std::string Title(unsigned long window) const
    {
        return RunTool(server->display(), "xprop -id " + std::to_string(window) + " _NET_WM_NAME");
    }
    bool Minimised(unsigned long window) const
    {
        return RunTool(server->display(), "xprop -id " + std::to_string(window) + " WM_STATE").find("Iconic") !=
               std::string::npos;
    }

    bool withWindowManager = false;
    std::unique_ptr<XServer> server;
    TempFolder folder;
    TempFolder state;
};

TEST_F(ScheduleE2eTest, AutoStartOutsideThePeriodsEndsWithoutAWindowAndInsideThemRuns)
{
    Child late = Start(23, 30, 0, {"/AUTO"});
    EXPECT_EQ(0, late.Wait(10000)) << ReadFile(state / "stderr.txt");
    EXPECT_TRUE(AllMainWindows(server->display()).empty());
    EXPECT_NE(std::string::npos, ReadFile(Log()).find("2026-12-08 23:30:0")) << ReadFile(Log());

    // A chance of 1 in 1 from 09:00 to 12:00: at 10:30 the start goes on.
    WriteText(Settings(), "\r\n1112152409\r\n9\r\n");
    Child morning = Start(10, 30, 0, {"/auto"});
    EXPECT_NE(0u, WaitForWindow()) << ReadFile(state / "stderr.txt");
    morning.Stop();
}

TEST_F(ScheduleE2eTest, BadScheduleIsRewrittenAtOnceAndTheWindowComesBackAtItsPlace)
{
    // A playlist of more rows than 300 pixels show: the list shrinks to
    // fewer rows, and an empty one shows the credit view at 108.
    std::string list = "#EXTM3U\r\n";
    for (int i = 0; i < 30; ++i) {
        const std::string tone = folder / ("tone" + std::to_string(i) + ".wav");
        WriteText(tone, ToneWav(1));
        list += "#EXTINF:1,tone " + std::to_string(i) + "\r\n" + tone + "\r\n";
    }
    WriteText(folder / "list.m3u", list);
    WriteText(Settings(), "/music\r\n2409132018\r\n9\r\n100,200,300\r\nfifth\r\n");
    Child quaverly = Start(10, 0, 0);
    const unsigned long window = WaitForWindow();
    ASSERT_NE(0u, window) << ReadFile(state / "stderr.txt");
    EXPECT_TRUE(WaitUntil([&] { return ReadFile(Settings()).find("1213152208") != std::string::npos; }, 5000));
    EXPECT_EQ("/music\r\n1213152208\r\n9\r\n100,200,300\r\nfifth\r\n", ReadFile(Settings()));
    ASSERT_TRUE(WaitUntil([&] { return GeometryOf(server->display(), window).y == 200; }, 5000));
    const WindowGeometry g = GeometryOf(server->display(), window);
    EXPECT_EQ(100, g.x);
    EXPECT_EQ(200, g.y);
    EXPECT_EQ(195, g.width);
    EXPECT_EQ(300, g.height);
    quaverly.Stop();
}

TEST_F(ScheduleE2eTest, RealTimerDecidesTheHourOnceWhenTheClockCrossesIt)
{
    Child quaverly = Start(13, 59, 57);
    ASSERT_NE(0u, WaitForWindow()) << ReadFile(state / "stderr.txt");
    ASSERT_TRUE(WaitUntil([&] { return ReadFile(Log()).find("14:00:0") != std::string::npos; }, 8000))
        << ReadFile(Log());
    // A few more ticks of the same hour decide nothing more.
    const std::string decided = ReadFile(Log());
    EXPECT_TRUE(std::regex_search(decided, std::regex(R"(2026-12-08 14:00:0[01] kind 2: outside the periods -> pause)")))
        << decided;
    EXPECT_FALSE(WaitUntil([&] { return ReadFile(Log()) != decided; }, 2500)) << ReadFile(Log());
    quaverly.Stop();
}

// With a window manager, the audio library beside the program and a
// playlist of one long tone given as the argument.
class ScheduledPlaybackE2eTest : public ScheduleE2eTest {
protected:
    void SetUp() override
    {
        withWindowManager = true;
        ScheduleE2eTest::SetUp();
        for (const char *library : {"libbass.so", "libbasswma.so"})
            std::filesystem::copy_file(std::string(QUAVERLY_BIN_DIR) + "/" + library, folder / library);
        WriteText(folder / "tone.wav", ToneWav(40));
        WriteText(folder / "list.m3u", "#EXTM3U\r\n#EXTINF:40,tone\r\n" + (folder / "tone.wav") + "\r\n");
    }

    // Starts the list at the given time and waits for the row to play.
    unsigned long StartPlayingAt(int hour, int minute)
    {
        quaverly = Start(hour, minute, 0, {folder / "list.m3u"});
        const unsigned long window = WaitForWindow();
        EXPECT_TRUE(WaitUntil([&] { return Title(window).find("tone") != std::string::npos; }, 10000))
            << Title(window) << ReadFile(state / "stderr.txt");
        return window;
    }

    Child quaverly;
};

TEST_F(ScheduledPlaybackE2eTest, RowStartedInTheFirstHalfOfAPauseHourIsPausedAtTheFullHour)
{
    const unsigned long window = StartPlayingAt(13, 10);
    ASSERT_NE(0u, window);
    SetClock(13, 59, 58);
    EXPECT_TRUE(WaitUntil([&] { return ShowsText(Title(window), "暂停@智能模式"); }, 8000))
        << Title(window) << ReadFile(Log());
    EXPECT_TRUE(WaitUntil([&] { return Minimised(window); }, 5000));
    quaverly.Stop();
}

TEST_F(ScheduledPlaybackE2eTest, RowStartedInTheSecondHalfPlaysOnPastTheFullHour)
{
    const unsigned long window = StartPlayingAt(13, 40);
    ASSERT_NE(0u, window);
    SetClock(13, 59, 58);
    ASSERT_TRUE(WaitUntil([&] { return ReadFile(Log()).find(" 14:00:0") != std::string::npos; }, 8000))
        << ReadFile(Log());
    EXPECT_NE(std::string::npos, ReadFile(Log()).find("kind 2: started by hand or by argument -> play"))
        << ReadFile(Log());
    EXPECT_NE(std::string::npos, Title(window).find("tone")) << Title(window);
    EXPECT_FALSE(Minimised(window));
    quaverly.Stop();
}

}  // namespace
