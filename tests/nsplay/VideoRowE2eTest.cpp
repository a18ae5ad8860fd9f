// A video row played by the real program under a private X server: the
// window takes the video view's size and its video panel shows the picture.
#include "MediaFixture.h"
#include "e2e/E2eSupport.h"
#include "platform/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

extern char **environ;

using namespace quaverly;
using namespace quaverly::e2e;
using namespace quaverly::test;

namespace {

struct Geometry {
    int x = -1, y = -1, width = -1, height = -1;
};

Geometry GeometryOf(const std::string &display, unsigned long window)
{
    const std::string info = RunTool(display, "xwininfo -id " + std::to_string(window));
    Geometry g;
    const auto number = [&](const char *label) {
        std::smatch m;
        return std::regex_search(info, m, std::regex(std::string(label) + R"(:\s+(-?\d+))")) ? std::stoi(m[1]) : -1;
    };
    g.x = number("Absolute upper-left X");
    g.y = number("Absolute upper-left Y");
    g.width = number("Width");
    g.height = number("Height");
    return g;
}

} // namespace

TEST(VideoRowE2e, AVideoFileOnTheCommandLinePlaysInTheVideoPanelAtTheVideoViewsSize)
{
    ASSERT_FALSE(MediaFolder().empty());
    XServer server(false);
    ASSERT_TRUE(server.ok()) << server.error();
    TempFolder program, state;
    std::filesystem::copy_file(QUAVERLY_BIN_DIR "/quaverly", program.path() + "/quaverly");
    const std::string runtime = state.path() + "/runtime";
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    std::vector<std::string> env;
    for (char **e = environ; *e; ++e) {
        const std::string entry = *e;
        bool drop = false;
        for (const char *d : {"DISPLAY=", "XDG_RUNTIME_DIR=", "QUAVERLY_REGISTRY_DIR=", "QT_QPA_PLATFORM=", "HOME=",
                              "XDG_CONFIG_HOME=", "XAUTHORITY=", "QUAVERLY_VLC_ARGS="})
            drop = drop || entry.rfind(d, 0) == 0;
        if (!drop)
            env.push_back(entry);
    }
    env.insert(env.end(), {"DISPLAY=" + server.display(), "XDG_RUNTIME_DIR=" + runtime,
                           "QUAVERLY_REGISTRY_DIR=" + state.path(), "HOME=" + state.path(),
                           "QUAVERLY_VLC_ARGS=--aout=afile --audiofile-file=" + state.path() + "/out.wav"});
    Child player = Spawn({program.path() + "/quaverly", Media("clip.avi")}, env, state.path() + "/stderr.txt");
    ASSERT_TRUE(player.started());

    // 320 x 240 at double size (the first picture of the run): the picture
    // is 300 high and the window 540 x 300.
    unsigned long window = 0;
    Geometry g;
    EXPECT_TRUE(WaitUntil(
        [&] {
            const auto windows = VisibleMainWindows(server.display());
            if (windows.size() != 1)
                return false;
            window = windows[0];
            g = GeometryOf(server.display(), window);
            return g.width == 540 && g.height == 300;
        },
        8000))
        << "window " << g.width << " x " << g.height;

    // The panel fills the window below the 3-pixel line, 4 pixels in from
    // each side; the picture is scaled into it with its aspect kept.
    Screenshot shot;
    const int midY = g.y + 3 + (g.height - 3) / 2;
    const auto panelColours = [&] {
        std::set<unsigned> colours;
        for (int x = g.x + 4; x < g.x + g.width - 4; ++x)
            colours.insert(shot.Pixel(x, midY));
        return colours.size();
    };
    EXPECT_TRUE(WaitUntil([&] { return shot.Take(server.display(), state.path()) && panelColours() >= 6; }, 5000))
        << "no picture in the video panel";
    // Outside the panel: the window's own border, not the picture.
    EXPECT_EQ(shot.Pixel(g.x + 1, midY), shot.Pixel(g.x + 1, midY + 20));
    player.Stop();
}
