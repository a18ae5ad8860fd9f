// The real program plays a playlist of three tones from a temporary program
// folder under a private X server, with SDL's disk output: what it played,
// the window's titles and the playlist file it leaves are checked from
// outside; a click on the progress line jumps the output ahead.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <string>
#include <vector>

#include "e2e/E2eSupport.h"
#include "platform/TempFolder.h"

using namespace quaverly::e2e;
using quaverly::test::TempFolder;
namespace fs = std::filesystem;

namespace {

constexpr int kRate = 44100;

struct Segment {
    double seconds = 0;
    double frequency = 0;
};

// A stereo 16-bit WAV file holding sines, one part after the other.
void WriteTones(const std::string &path, const std::vector<Segment> &parts)
{
    std::uint32_t frames = 0;
    for (const Segment &part : parts)
        frames += std::uint32_t(part.seconds * kRate);
    const std::uint32_t dataBytes = frames * 4;
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char *>(&v), 4); };
    auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char *>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + dataBytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(2);
    u32(kRate);
    u32(kRate * 4);
    u16(4);
    u16(16);
    out.write("data", 4);
    u32(dataBytes);
    for (const Segment &part : parts) {
        for (std::uint32_t i = 0; i < std::uint32_t(part.seconds * kRate); ++i) {
            const auto s = std::int16_t(12000 * std::sin(2 * M_PI * part.frequency * i / kRate));
            u16(std::uint16_t(s));
            u16(std::uint16_t(s));
        }
    }
}

std::vector<std::int16_t> ReadSamples(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    std::vector<std::int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

// Seconds of the disk output that sound within 5 % of the frequency,
// judged in 50 ms windows by their zero crossings.
double SecondsNear(const std::string &path, double frequency)
{
    const std::vector<std::int16_t> samples = ReadSamples(path);
    const std::size_t window = kRate / 20;
    int windows = 0;
    for (std::size_t start = 0; start + window <= samples.size() / 2; start += window) {
        std::size_t crossings = 0, loud = 0;
        for (std::size_t i = start; i < start + window; ++i) {
            loud += std::abs(samples[2 * i]) >= 500;
            if (i > start && (samples[2 * (i - 1)] < 0) != (samples[2 * i] < 0))
                ++crossings;
        }
        const double found = crossings / 2.0 * 20;
        windows += loud > window / 2 && std::abs(found - frequency) < frequency * 0.05;
    }
    return windows / 20.0;
}

// The sounding stretches of the disk output (interleaved stereo 16-bit at
// 44.1 kHz), split where it stays silent for 50 ms or more.
std::vector<Segment> SoundingSegments(const std::string &path)
{
    const std::vector<std::int16_t> samples = ReadSamples(path);
    std::vector<Segment> segments;
    const std::size_t frames = samples.size() / 2;
    std::size_t i = 0;
    const std::size_t gap = kRate / 20;
    while (i < frames) {
        while (i < frames && std::abs(samples[2 * i]) < 500)
            ++i;
        if (i >= frames)
            break;
        const std::size_t start = i;
        std::size_t quiet = 0, last = i, crossings = 0;
        for (; i < frames && quiet < gap; ++i) {
            if (std::abs(samples[2 * i]) >= 500) {
                quiet = 0;
                last = i;
            } else {
                ++quiet;
            }
            if (i > start && (samples[2 * (i - 1)] < 0) != (samples[2 * i] < 0))
                ++crossings;
        }
        const double seconds = double(last - start + 1) / kRate;
        if (seconds > 0.1)
            segments.push_back({seconds, crossings / 2.0 / seconds});
    }
    return segments;
}

class PlaybackE2eTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char *file : {"quaverly", "libbass.so", "libbasswma.so"})
            fs::copy_file(std::string(QUAVERLY_BIN_DIR) + "/" + file, folder.path() + "/" + file);
        for (const char *dir : {"/runtime", "/registry", "/home"})
            fs::create_directories(state.path() + dir);
        fs::permissions(state.path() + "/runtime", fs::perms::owner_all);
    }

    std::vector<std::string> Environment(const std::string &display) const
    {
        std::vector<std::string> env = EnvironmentWithout({"DISPLAY=", "XDG_RUNTIME_DIR=", "QUAVERLY_REGISTRY_DIR=",
                                                           "QT_QPA_PLATFORM=", "HOME=", "XDG_CONFIG_HOME=",
                                                           "XAUTHORITY=", "SDL_"});
        env.push_back("DISPLAY=" + display);
        env.push_back("XDG_RUNTIME_DIR=" + state.path() + "/runtime");
        env.push_back("QUAVERLY_REGISTRY_DIR=" + state.path() + "/registry");
        env.push_back("HOME=" + state.path() + "/home");
        env.push_back("SDL_AUDIODRIVER=disk");
        env.push_back("SDL_DISKAUDIOFILE=" + output());
        return env;
    }
    std::string output() const { return state.path() + "/out.raw"; }
    std::string errors() const { return state.path() + "/stderr.txt"; }

    // The program's main window, once it exists, or once it shows when it
    // must be visible (0 after 30 s without one).
    unsigned long MainWindow(const XServer &server, bool visible = true) const
    {
        unsigned long window = 0;
        WaitUntil(
            [&] {
                const auto windows = visible ? VisibleMainWindows(server.display()) : AllMainWindows(server.display());
                window = windows.empty() ? 0 : windows[0];
                return window != 0;
            },
            30000);
        return window;
    }
    std::string ErrorsWritten() const
    {
        std::ifstream in(errors());
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }
    std::string playlist() const { return folder.path() + "/tones.m3u"; }

    TempFolder folder;
    TempFolder state;
};

TEST_F(PlaybackE2eTest, PlaySwitchPlaysTheListInOrderWithItsTitlesAndAKillKeepsTheMeasuredLengths)
{
    XServer server(true);
    ASSERT_TRUE(server.ok()) << server.error();
    // Named so that the title order the list keeps is the order written.
    const std::vector<std::pair<std::string, double>> tones = {{"a-low", 440}, {"b-middle", 660}, {"c-high", 990}};
    {
        std::ofstream list(playlist());
        list << "#EXTM3U\n";
        for (const auto &[name, frequency] : tones) {
            const std::string path = folder.path() + "/" + name + ".wav";
            WriteTones(path, {{1.2, frequency}});
            list << path << "\n";
        }
    }

    Child quaverly = Spawn({folder.path() + "/quaverly", "/PLAY"}, Environment(server.display()), errors());
    ASSERT_TRUE(quaverly.started());

    // The title follows the rows. The start row is drawn at random; from it
    // the rows follow in list order, the first after the last. The window is
    // found once; then only its title is read. It may be minimised at its
    // first activation before a search for visible windows sees it.
    const unsigned long window = MainWindow(server, false);
    ASSERT_NE(0u, window) << "no visible main window; the program said: " << ErrorsWritten();
    std::vector<std::string> rows;
    const bool three = WaitUntil(
        [&] {
            std::string title = RunTool(server.display(), "xprop -id " + std::to_string(window) + " WM_NAME");
            const auto quote = title.find('"');
            title = quote == std::string::npos ? "" : title.substr(quote + 1, title.rfind('"') - quote - 1);
            if (!title.empty() && title != "Quaverly" && (rows.empty() || rows.back() != title))
                rows.push_back(title);
            return rows.size() >= 3;
        },
        30000);
    ASSERT_TRUE(three) << "titles seen: " << ::testing::PrintToString(rows);
    auto indexOf = [&](const std::string &title) {
        for (std::size_t i = 0; i < tones.size(); ++i)
            if (tones[i].first == title)
                return int(i);
        return -1;
    };
    const int first = indexOf(rows[0]);
    ASSERT_GE(first, 0) << rows[0];
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(tones[(first + i) % 3].first, rows[i]);

    // Wait for the third tone to have been played whole, then end the
    // program the way a shutdown does.
    WaitUntil(
        [&] {
            const auto segments = SoundingSegments(output());
            return segments.size() >= 3 && segments[2].seconds > 1.15;
        },
        5000);
    kill(quaverly.pid(), SIGTERM);
    EXPECT_EQ(0, quaverly.Wait(10000));

    const auto segments = SoundingSegments(output());
    ASSERT_GE(segments.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const double expected = tones[(first + i) % 3].second;
        EXPECT_NEAR(expected, segments[i].frequency, expected * 0.03) << "tone " << i;
        EXPECT_NEAR(1.2, segments[i].seconds, 0.03) << "tone " << i;
    }

    // The exit work wrote the measured lengths into the playlist file.
    std::ifstream list(playlist());
    const std::string text((std::istreambuf_iterator<char>(list)), {});
    for (const auto &[name, frequency] : tones) {
        const std::size_t info = text.find("#EXTINF:1," + name);
        ASSERT_NE(std::string::npos, info) << text;
        EXPECT_EQ(text.find_first_not_of("\r\n", text.find_first_of("\r\n", info)),
                  text.find(folder.path() + "/" + name + ".wav"))
            << text;
    }
}

TEST_F(PlaybackE2eTest, AClickThreeQuartersAlongTheProgressLineJumpsThePlayedFileThere)
{
    XServer server(true);
    ASSERT_TRUE(server.ok()) << server.error();
    // Four seconds low, then four high: a click at three quarters leaves the
    // last two seconds of the high part to be heard.
    const std::string file = folder.path() + "/steps.wav";
    WriteTones(file, {{4.0, 440}, {4.0, 880}});
    Child quaverly = Spawn({folder.path() + "/quaverly", file}, Environment(server.display()), errors());
    ASSERT_TRUE(quaverly.started());
    const unsigned long window = MainWindow(server);
    ASSERT_NE(0u, window) << "no visible main window; the program said: " << ErrorsWritten();
    ASSERT_TRUE(WaitUntil([&] { return SecondsNear(output(), 440) >= 0.3; }, 10000)) << "the file does not play";

    // The progress line is the top row of the playing view, as wide as the window.
    const std::string info = RunTool(server.display(), "xwininfo -id " + std::to_string(window));
    const std::size_t at = info.find("Width: ");
    ASSERT_NE(std::string::npos, at) << info;
    const int width = std::stoi(info.substr(at + 7));
    RunTool(server.display(), "xdotool mousemove --window " + std::to_string(window) + " " +
                                  std::to_string(width * 3 / 4) + " 1 click 1");

    // A file given alone closes the window at its end.
    EXPECT_EQ(0, quaverly.Wait(15000)) << ErrorsWritten();
    EXPECT_LT(SecondsNear(output(), 440), 3.0) << "the low part played on past the click";
    EXPECT_NEAR(2.0, SecondsNear(output(), 880), 0.3) << "the high part was not entered at 6 s";
}

}  // namespace
