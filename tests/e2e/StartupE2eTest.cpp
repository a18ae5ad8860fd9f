// The real program, started from a temporary program folder under a private
// X server, with and without a window manager, and observed from outside
// with the X tools.
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "e2e/E2eSupport.h"
#include "platform/TempFolder.h"
#include "core/FormModel.h"

using namespace quaverly;
using namespace quaverly::e2e;
using quaverly::test::TempFolder;

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr int kLeft = (kScreenWidth - 195) / 2;
constexpr int kTop = (kScreenHeight - 108) / 2;

struct Geometry {
    int x = -1, y = -1, width = -1, height = -1;
    bool viewable = false;
};

Geometry GeometryOf(const std::string &display, unsigned long window)
{
    const std::string info = RunTool(display, "xwininfo -id " + std::to_string(window));
    Geometry g;
    std::smatch m;
    auto number = [&](const char *label) {
        std::regex re(std::string(label) + R"(:\s+(-?\d+))");
        return std::regex_search(info, m, re) ? std::stoi(m[1]) : -1;
    };
    g.x = number("Absolute upper-left X");
    g.y = number("Absolute upper-left Y");
    g.width = number("Width");
    g.height = number("Height");
    g.viewable = info.find("IsViewable") != std::string::npos;
    return g;
}

std::string Property(const std::string &display, unsigned long window, const std::string &name)
{
    return RunTool(display, "xprop -id " + std::to_string(window) + " " + name);
}

// One program folder, lock folder, registry and home per test.
class ProgramFolder {
public:
    ProgramFolder()
    {
        std::filesystem::copy_file(QUAVERLY_BIN_DIR "/quaverly", folder.path() + "/quaverly");
        std::filesystem::create_directories(runtime());
        std::filesystem::permissions(runtime(), std::filesystem::perms::owner_all);
        std::filesystem::create_directories(registry());
        std::filesystem::create_directories(home());
    }
    std::string executable() const { return folder.path() + "/quaverly"; }
    std::string runtime() const { return state.path() + "/runtime"; }
    std::string registry() const { return state.path() + "/registry"; }
    std::string home() const { return state.path() + "/home"; }
    std::string errors() const { return state.path() + "/stderr.txt"; }

    // The caller's environment without anything that would lead the program
    // to another display, lock, registry or platform plug-in.
    std::vector<std::string> Environment(const std::string &display, bool withRuntime = true) const
    {
        std::vector<std::string> env = EnvironmentWithout({"DISPLAY=", "XDG_RUNTIME_DIR=", "QUAVERLY_REGISTRY_DIR=",
                                                           "QT_QPA_PLATFORM=", "HOME=", "XDG_CONFIG_HOME=",
                                                           "XAUTHORITY="});
        if (!display.empty())
            env.push_back("DISPLAY=" + display);
        if (withRuntime)
            env.push_back("XDG_RUNTIME_DIR=" + runtime());
        env.push_back("QUAVERLY_REGISTRY_DIR=" + registry());
        env.push_back("HOME=" + home());
        return env;
    }

    TempFolder folder;
    TempFolder state;
};

// Waits for the one main window to stand at its centred place.
unsigned long WaitForCentredWindow(const std::string &display)
{
    unsigned long window = 0;
    WaitUntil(
        [&] {
            auto windows = VisibleMainWindows(display);
            if (windows.size() != 1)
                return false;
            window = windows[0];
            Geometry g = GeometryOf(display, window);
            return g.x == kLeft && g.y == kTop;
        },
        10000);
    return window;
}

class StartupE2eTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        server = std::make_unique<XServer>(GetParam());
        ASSERT_TRUE(server->ok()) << server->error();
        display = server->display();
    }
    Child Start(std::vector<std::string> arguments = {})
    {
        std::vector<std::string> argv{program.executable()};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return Spawn(argv, program.Environment(display), program.errors());
    }
    void Click(int x, int y)
    {
        RunTool(display, "xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1");
    }

    std::unique_ptr<XServer> server;
    std::string display;
    ProgramFolder program;
};

TEST_P(StartupE2eTest, ShowsOneBorderlessCentredShapedWindowTitledQuaverlyWithItsButtons)
{
    Screenshot before;
    ASSERT_TRUE(before.Take(display, program.state.path()));
    Child quaverly = Start();
    const unsigned long window = WaitForCentredWindow(display);
    ASSERT_NE(0u, window) << "no single visible main window";
    ASSERT_EQ(1u, VisibleMainWindows(display).size());

    Geometry g = GeometryOf(display, window);
    EXPECT_EQ(kLeft, g.x);
    EXPECT_EQ(kTop, g.y);
    EXPECT_EQ(195, g.width);
    EXPECT_EQ(108, g.height);
    EXPECT_TRUE(g.viewable);
    EXPECT_NE(std::string::npos, Property(display, window, "_NET_WM_NAME").find("= \"Quaverly\""));
    EXPECT_NE(std::string::npos, Property(display, window, "WM_NAME").find("= \"Quaverly\""));
    if (GetParam()) {
        // The window manager draws no frame around it.
        EXPECT_NE(std::string::npos, Property(display, window, "_NET_FRAME_EXTENTS").find("= 0, 0, 0, 0"));
    }

    // Let the first paint settle before looking at the pixels.
    Screenshot after;
    ASSERT_TRUE(WaitUntil(
        [&] {
            return after.Take(display, program.state.path()) && after.Pixel(kLeft + 1, kTop) != before.Pixel(kLeft + 1, kTop);
        },
        5000));
    // The two top corner pixels are not part of the window: what was there
    // before still shows; their neighbours are the window's.
    const int right = kLeft + 194;
    EXPECT_EQ(before.Pixel(kLeft, kTop), after.Pixel(kLeft, kTop));
    EXPECT_EQ(before.Pixel(right, kTop), after.Pixel(right, kTop));
    const unsigned panel = after.Pixel(kLeft + 1, kTop + 1);
    EXPECT_EQ(panel, after.Pixel(kLeft + 1, kTop));
    EXPECT_EQ(panel, after.Pixel(kLeft, kTop + 1));
    EXPECT_EQ(panel, after.Pixel(right - 1, kTop));
    EXPECT_EQ(panel, after.Pixel(right, kTop + 1));

    // Every button of the row draws its glyph in its own square of the
    // table (play or credit at 3, stop 30, meter 57, order 84, open 111,
    // minimise 138, power 165; all 27 x 27 at top 3).
    for (int left : {3, 30, 57, 84, 111, 138, 165}) {
        int marked = 0;
        for (int y = 3; y < 30; ++y)
            for (int x = left; x < left + 27; ++x)
                marked += after.Pixel(kLeft + x, kTop + y) != panel ? 1 : 0;
        EXPECT_GT(marked, 20) << "no glyph in the button at " << left;
    }
    EXPECT_TRUE(quaverly.Running());
}

TEST_P(StartupE2eTest, SecondStartEndsAtOnceWithStatusZeroAndNoWindow)
{
    Child first = Start();
    ASSERT_NE(0u, WaitForCentredWindow(display));
    const size_t windowsBefore = AllMainWindows(display).size();

    Child second = Start({"/music/other.mp3"});
    EXPECT_EQ(0, second.Wait(5000));
    EXPECT_EQ(windowsBefore, AllMainWindows(display).size());
    EXPECT_EQ(1u, VisibleMainWindows(display).size());
    EXPECT_TRUE(first.Running());
}

TEST_P(StartupE2eTest, PowerButtonEndsTheProgramWithStatusZero)
{
    Child quaverly = Start();
    ASSERT_NE(0u, WaitForCentredWindow(display));
    Click(kLeft + 165 + 13, kTop + 3 + 13);
    EXPECT_EQ(0, quaverly.Wait(10000));
    EXPECT_TRUE(VisibleMainWindows(display).empty());
}

TEST_P(StartupE2eTest, StartsWithBrokenRegistryAndWithoutLockFolder)
{
    test::WriteFile(program.registry() + "/HKEY_CURRENT_USER.reg", std::string("\xff\xfe garbage [[\n\0\1", 16));
    std::filesystem::remove_all(program.runtime());   // XDG_RUNTIME_DIR names a folder that is not there
    Child quaverly = Start();
    EXPECT_NE(0u, WaitForCentredWindow(display));
    EXPECT_TRUE(quaverly.Running());
}

TEST_P(StartupE2eTest, WithoutRuntimeFolderTheLockGoesToAPrivateTemporaryFolder)
{
    const std::string tmp = program.state / "tmp";
    std::filesystem::create_directories(tmp);
    auto env = program.Environment(display, false);
    std::erase_if(env, [](const std::string &e) { return e.rfind("TMPDIR=", 0) == 0; });
    env.push_back("TMPDIR=" + tmp);
    Child quaverly = Spawn({program.executable()}, env, program.errors());
    EXPECT_NE(0u, WaitForCentredWindow(display));
    const std::string lock = tmp + "/quaverly-" + std::to_string(getuid()) + "/Quaverly 2008.lock";
    EXPECT_TRUE(std::filesystem::exists(lock)) << lock;

    // The fallback lock still keeps a second start out.
    Child second = Spawn({program.executable()}, env, program.errors());
    EXPECT_EQ(0, second.Wait(5000));
    EXPECT_TRUE(quaverly.Running());
}

TEST_P(StartupE2eTest, UnattendedStartWithoutScheduleEndsWithoutWindow)
{
    Child quaverly = Start({"/auto"});
    EXPECT_EQ(0, quaverly.Wait(10000));
    EXPECT_TRUE(AllMainWindows(display).empty());
}

INSTANTIATE_TEST_SUITE_P(WindowManager, StartupE2eTest, ::testing::Values(true, false),
                         [](const auto &info) { return info.param ? "openbox" : "bare"; });

TEST(StartupE2eWithWindowManagerTest, MinimiseButtonIconifiesTheWindow)
{
    XServer server(true);
    ASSERT_TRUE(server.ok()) << server.error();
    ProgramFolder program;
    Child quaverly = Spawn({program.executable()}, program.Environment(server.display()), program.errors());
    const unsigned long window = WaitForCentredWindow(server.display());
    ASSERT_NE(0u, window);
    RunTool(server.display(), "xdotool mousemove " + std::to_string(kLeft + 138 + 13) + " " +
                                  std::to_string(kTop + 16) + " click 1");
    EXPECT_TRUE(WaitUntil(
        [&] { return Property(server.display(), window, "WM_STATE").find("Iconic") != std::string::npos; }, 5000))
        << Property(server.display(), window, "WM_STATE");
    EXPECT_TRUE(quaverly.Running());
}

// The width of the tool tip that shows while the mouse rests at (x, y), 0
// when none shows. The mouse first leaves the window so that any earlier tip
// is gone.
int ToolTipWidthOnceAt(const std::string &display, pid_t pid, int x, int y)
{
    auto visibleTip = [&]() -> unsigned long {
        std::istringstream ids(RunTool(display, "xdotool search --onlyvisible --pid " + std::to_string(pid)));
        unsigned long id;
        while (ids >> id)
            if (Property(display, id, "_NET_WM_WINDOW_TYPE").find("_NET_WM_WINDOW_TYPE_TOOLTIP") != std::string::npos)
                return id;
        return 0;
    };
    RunTool(display, "xdotool mousemove 5 5");
    if (!WaitUntil([&] { return visibleTip() == 0; }, 5000))
        return -1;
    RunTool(display, "xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " sleep 0.1 mousemove " +
                         std::to_string(x + 1) + " " + std::to_string(y + 1));
    unsigned long tip = 0;
    if (!WaitUntil([&] { return (tip = visibleTip()) != 0; }, 5000))
        return 0;
    return GeometryOf(display, tip).width;
}

// Qt drops a tip whose timer was running when the pointer moved again, so a
// missed tip is tried once more.
int ToolTipWidthAt(const std::string &display, pid_t pid, int x, int y)
{
    const int width = ToolTipWidthOnceAt(display, pid, x, y);
    return width > 0 ? width : ToolTipWidthOnceAt(display, pid, x, y);
}

TEST(StartupE2eWithWindowManagerTest, ButtonsShowTheirHintsAsToolTips)
{
    XServer server(true);
    ASSERT_TRUE(server.ok()) << server.error();
    ProgramFolder program;
    Child quaverly = Spawn({program.executable()}, program.Environment(server.display()), program.errors());
    ASSERT_NE(0u, WaitForCentredWindow(server.display()));
    // "电源" (power) and "打开" (open) are two characters, "最小化" (minimise)
    // three: the tips at the power, open and minimise squares tell them apart.
    const int power = ToolTipWidthAt(server.display(), quaverly.pid(), kLeft + 165 + 13, kTop + 16);
    const int open = ToolTipWidthAt(server.display(), quaverly.pid(), kLeft + 111 + 13, kTop + 16);
    const int minimise = ToolTipWidthAt(server.display(), quaverly.pid(), kLeft + 138 + 13, kTop + 16);
    EXPECT_GT(power, 0);
    EXPECT_EQ(power, open);
    EXPECT_GT(minimise, power + 5);
}

TEST(StartupE2eWithWindowManagerTest, OpenButtonShowsTheOpenDialogAndCancelKeepsTheProgram)
{
    XServer server(true);
    ASSERT_TRUE(server.ok()) << server.error();
    ProgramFolder program;
    Child quaverly = Spawn({program.executable()}, program.Environment(server.display()), program.errors());
    const unsigned long window = WaitForCentredWindow(server.display());
    ASSERT_NE(0u, window);
    auto dialogs = [&] {
        std::vector<unsigned long> others;
        std::istringstream ids(RunTool(server.display(), "xdotool search --onlyvisible --pid " +
                                                             std::to_string(quaverly.pid())));
        unsigned long id;
        while (ids >> id)
            if (id != window && Property(server.display(), id, "_NET_WM_WINDOW_TYPE").find("TOOLTIP") ==
                                    std::string::npos)
                others.push_back(id);
        return others;
    };
    RunTool(server.display(), "xdotool mousemove " + std::to_string(kLeft + 111 + 13) + " " +
                                  std::to_string(kTop + 16) + " click 1");
    std::vector<unsigned long> shown;
    ASSERT_TRUE(WaitUntil([&] { return (shown = dialogs()).size() == 1; }, 10000));
    RunTool(server.display(), "xdotool windowactivate --sync " + std::to_string(shown[0]) + " key Escape");
    // xdotool's walk of the window tree can come back empty while the dialog is being destroyed,
    // so both conditions are asked together until they hold.
    EXPECT_TRUE(WaitUntil(
        [&] { return dialogs().empty() && VisibleMainWindows(server.display()).size() == 1; }, 10000));
    EXPECT_TRUE(quaverly.Running());
}

// With the audio library beside the program, an audio output that cannot be
// opened is reported in a message box, and the program then ends through the
// normal close path.
TEST(StartupE2eWithAudioLibraryTest, UnusableAudioOutputIsReportedThenTheProgramEnds)
{
    if (!std::filesystem::exists(QUAVERLY_BIN_DIR "/libbass.so"))
        GTEST_SKIP() << "this build has no audio library";
    XServer server(true);
    ASSERT_TRUE(server.ok()) << server.error();
    ProgramFolder program;
    std::filesystem::copy_file(QUAVERLY_BIN_DIR "/libbass.so", program.folder / "libbass.so");
    auto env = program.Environment(server.display());
    std::erase_if(env, [](const std::string &e) { return e.rfind("SDL_AUDIODRIVER=", 0) == 0; });

    env.push_back("SDL_AUDIODRIVER=dummy");
    {
        Child quaverly = Spawn({program.executable()}, env, program.errors());
        EXPECT_NE(0u, WaitForCentredWindow(server.display())) << "with a usable output the window shows";
        EXPECT_TRUE(quaverly.Running());
    }

    env.back() = "SDL_AUDIODRIVER=no-such-driver";
    Child quaverly = Spawn({program.executable()}, env, program.errors());
    std::string box;
    ASSERT_TRUE(WaitUntil(
        [&] {
            box = RunTool(server.display(), "xdotool search --onlyvisible --name '^提示$'");
            return !box.empty();
        },
        10000));
    const std::string id = box.substr(0, box.find('\n'));
    RunTool(server.display(), "xdotool windowactivate --sync " + id + " key Return");
    EXPECT_EQ(0, quaverly.Wait(10000));
    EXPECT_TRUE(VisibleMainWindows(server.display()).empty());
}

TEST(StartupE2eWithoutDisplayTest, SaysSoOnStandardErrorAndEndsWithStatusOne)
{
    ProgramFolder program;
    for (const std::string display : {"", ":9973"}) {
        Child quaverly = Spawn({program.executable()}, program.Environment(display), program.errors());
        EXPECT_EQ(1, quaverly.Wait(10000)) << "DISPLAY=" << display;
        EXPECT_NE(std::string::npos, test::ReadFile(program.errors()).find("cannot open the X display"))
            << test::ReadFile(program.errors());
    }
}

}  // namespace
