// The real program plays a steady tone followed by silence in the spectrum's
// solid-bar mode, under a private X server; screenshots of its window show
// the bars where the tone's bands are, then the peak markers falling.
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <string>
#include <vector>

#include "e2e/E2eSupport.h"
#include "platform/TempFolder.h"

using namespace quaverly::e2e;
using quaverly::test::TempFolder;

namespace {

constexpr unsigned kBarGreen = 0x00B020;   // RGB(0, 176, 32)
constexpr unsigned kMarkerBlue = 0x0000FF;
// VisBox inside the window: VisPanel at (4, 3), VisBox at (8, 12) inside it.
constexpr int kBoxLeft = 12, kBoxTop = 15;

// A stereo 16-bit WAV file: a 1 kHz sine for toneSeconds, then silence.
void WriteToneFile(const std::string &path, double toneSeconds, double silenceSeconds)
{
    constexpr int rate = 44100;
    const int toneFrames = int(rate * toneSeconds), frames = toneFrames + int(rate * silenceSeconds);
    std::vector<std::int16_t> samples;
    samples.reserve(std::size_t(frames) * 2);
    for (int n = 0; n < frames; ++n) {
        const auto s = std::int16_t(n < toneFrames ? std::lround(20000 * std::sin(2 * M_PI * 1000.0 * n / rate)) : 0);
        samples.push_back(s);
        samples.push_back(s);
    }
    const std::uint32_t data = std::uint32_t(samples.size() * 2);
    std::ofstream out(path, std::ios::binary);
    const auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char *>(&v), 4); };
    const auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char *>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + data);
    out.write("WAVEfmt ", 8);
    u32(16), u16(1), u16(2), u32(rate), u32(rate * 4), u16(4), u16(16);
    out.write("data", 4);
    u32(data);
    out.write(reinterpret_cast<const char *>(samples.data()), data);
}

// The window's own pixels (import of that window only), 0xRRGGBB.
struct WindowShot {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    bool Take(const std::string &display, unsigned long window, const std::string &folder)
    {
        const std::string path = folder + "/window.rgb";
        std::filesystem::remove(path);
        RunTool(display, "import -window " + std::to_string(window) + " -depth 8 RGB:" + path);
        std::ifstream in(path, std::ios::binary);
        rgb.assign(std::istreambuf_iterator<char>(in), {});
        width = 195;
        height = 108;
        return rgb.size() == std::size_t(width * height * 3);
    }
    // A pixel of the spectrum box.
    unsigned Box(int x, int y) const
    {
        const std::size_t i = (std::size_t(kBoxTop + y) * width + std::size_t(kBoxLeft + x)) * 3;
        return (unsigned(rgb[i]) << 16) | (unsigned(rgb[i + 1]) << 8) | unsigned(rgb[i + 2]);
    }
    // How many rows from the top of band b's bar columns hold the colour.
    int Rows(int band, unsigned colour) const
    {
        int n = 0;
        for (int y = 0; y < 92; ++y)
            n += Box((band - 1) * 9, y) == colour;
        return n;
    }
    int FirstRow(int band, unsigned colour) const
    {
        for (int y = 0; y < 92; ++y)
            if (Box((band - 1) * 9 + 3, y) == colour)
                return y;
        return -1;
    }
};

// The bands the library computes for the tone, from the command-line player
// that shares it: one steady frame in the middle of the tone.
std::vector<int> ToneBands(const std::string &file, const std::string &folder)
{
    const std::string out = folder + "/bands.txt";
    const std::string command = "SDL_AUDIODRIVER=dummy timeout 20 " QUAVERLY_BIN_DIR "/quaverly-play --bands "
                                "--max-seconds 1 " + file + " > " + out;
    if (std::system(command.c_str()) != 0)
        return {};
    std::ifstream in(out);
    std::vector<std::string> frames;
    for (std::string line; std::getline(in, line);)
        if (line.find("\"bands\"") != std::string::npos)
            frames.push_back(line);
    if (frames.size() < 20)
        return {};
    std::vector<int> bands;
    const std::string &steady = frames[frames.size() / 2];
    const std::regex number(R"(\d+)");
    const std::string list = steady.substr(steady.find('['));
    for (auto it = std::sregex_iterator(list.begin(), list.end(), number); it != std::sregex_iterator(); ++it)
        bands.push_back(std::stoi(it->str()));
    return bands.size() == 19 ? bands : std::vector<int>{};
}

TEST(SpectrumE2eTest, ToneDrawsSolidBarsInItsBandsThenTheMarkersFall)
{
    XServer server(false);
    ASSERT_TRUE(server.ok()) << server.error();
    TempFolder folder, state;
    const std::string dir = folder.path();
    for (const char *file : {"quaverly", "libbass.so"})
        std::filesystem::copy_file(std::string(QUAVERLY_BIN_DIR) + "/" + file, dir + "/" + file);
    {
        std::ofstream ini(dir + "/quaverly.ini", std::ios::binary);
        ini << "\r\n1213152208\r\n3\r\n";   // solid bars, when the settings file is read
    }
    const std::string tone = dir + "/tone.wav";
    WriteToneFile(tone, 3.0, 5.0);
    const std::vector<int> bands = ToneBands(tone, state.path());
    ASSERT_EQ(19u, bands.size()) << "no band frames from quaverly-play";

    std::vector<std::string> env = EnvironmentWithout(
        {"DISPLAY=", "XDG_RUNTIME_DIR=", "QT_QPA_PLATFORM=", "HOME=", "QUAVERLY_REGISTRY_DIR=", "SDL_AUDIODRIVER="});
    for (const char *sub : {"/runtime", "/registry", "/home"})
        std::filesystem::create_directories(state.path() + sub);
    std::filesystem::permissions(state.path() + "/runtime", std::filesystem::perms::owner_all);
    env.push_back("DISPLAY=" + server.display());
    env.push_back("XDG_RUNTIME_DIR=" + state.path() + "/runtime");
    env.push_back("QUAVERLY_REGISTRY_DIR=" + state.path() + "/registry");
    env.push_back("HOME=" + state.path() + "/home");
    env.push_back("SDL_AUDIODRIVER=dummy");
    Child quaverly = Spawn({dir + "/quaverly", tone}, env, state.path() + "/stderr.txt");

    unsigned long window = 0;
    ASSERT_TRUE(WaitUntil(
        [&] {
            const auto windows = VisibleMainWindows(server.display());
            window = windows.size() == 1 ? windows[0] : 0;
            return window != 0;
        },
        10000));

    // While the tone plays: full solid bars where its bands reach the top,
    // nothing where they are silent. The view is clicked until it shows the
    // solid bars (each click steps to the next mode; at most five are needed).
    WindowShot shot;
    const auto full = [&](int band) { return shot.Rows(band, kBarGreen) == 92; };
    int loud = 0;
    for (int b = 1; b <= 19; ++b)
        loud = bands[b - 1] >= 92 && !loud ? b : loud;
    ASSERT_NE(0, loud) << "the tone reaches the top in no band";
    int clicks = 0;
    ASSERT_TRUE(WaitUntil(
        [&] {
            if (!shot.Take(server.display(), window, state.path()))
                return false;
            if (full(loud))
                return true;
            // The tone's bar in another mode (the LED segments light two rows
            // in three) beside a dark silent band: the audio-engine view.
            int lit = 0;
            for (int y = 0; y < 92; ++y)
                lit += shot.Box((loud - 1) * 9 + 3, y) != 0;
            if (lit >= 60 && shot.Box(18 * 9 + 3, 46) == 0 && clicks < 6) {
                ++clicks;
                RunTool(server.display(), "xdotool mousemove --window " + std::to_string(window) + " " +
                                              std::to_string(kBoxLeft + 85) + " " + std::to_string(kBoxTop + 46) +
                                              " click 1");
            }
            return false;
        },
        10000))
        << "no full solid bar in band " << loud << " after " << clicks << " clicks";
    for (int b = 1; b <= 19; ++b) {
        if (bands[b - 1] >= 92)
            EXPECT_EQ(92, shot.Rows(b, kBarGreen)) << "band " << b;
        else if (bands[b - 1] == 0)
            EXPECT_EQ(0, shot.Rows(b, kBarGreen) + shot.Rows(b, kMarkerBlue)) << "band " << b;
    }

    // After the tone: the loud band's marker stands above a lower bar, and a
    // later picture shows it lower still.
    int markerRow = -1;
    ASSERT_TRUE(WaitUntil(
        [&] {
            if (!shot.Take(server.display(), window, state.path()))
                return false;
            markerRow = shot.FirstRow(loud, kMarkerBlue);
            return markerRow >= 0 && shot.FirstRow(loud, kBarGreen) > markerRow + 1;
        },
        8000))
        << "no marker over a falling bar";
    int laterRow = -1;
    EXPECT_TRUE(WaitUntil(
        [&] {
            if (!shot.Take(server.display(), window, state.path()))
                return false;
            laterRow = shot.FirstRow(loud, kMarkerBlue);
            return laterRow > markerRow;
        },
        5000))
        << "marker at row " << markerRow << " did not fall";
    quaverly.Stop();
}

}  // namespace
