// MIDI rows of a "VisMIDI" playlist played by the real program through the
// stand-in player, copied beside it as "XGPlayer.exe", under a private X
// server with a window manager. The windows, the processes and the registry
// files are checked from outside.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <regex>
#include <signal.h>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/E2eSupport.h"
#include "platform/Registry.h"
#include "platform/TempFolder.h"

using namespace quaverly;
using namespace quaverly::e2e;
using quaverly::test::TempFolder;
namespace fs = std::filesystem;

namespace {

constexpr auto HKCU = RegistryRoot::HKEY_CURRENT_USER;
constexpr const char *kSettingsKey = "Software\\YAMAHA\\XGPlayer";

// A format-0 Standard MIDI File: one note held for `seconds` at 120 beats a
// minute (96 ticks a beat, so 192 ticks a second).
void WriteMidi(const std::string &path, int seconds)
{
    auto be32 = [](std::uint32_t v) {
        return std::string {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    };
    auto vlq = [](std::uint32_t v) {
        std::string out(1, char(v & 0x7f));
        while (v >>= 7)
            out.insert(out.begin(), char((v & 0x7f) | 0x80));
        return out;
    };
    std::string track;
    track += vlq(0) + "\xff\x51\x03" + be32(500000).substr(1);  // tempo
    track += vlq(0) + std::string("\xc0\x00", 2);                // piano
    track += vlq(0) + "\x90\x3c\x64";                           // note on
    track += vlq(192u * unsigned(seconds)) + std::string("\x80\x3c\x00", 3);
    track += vlq(0) + std::string("\xff\x2f\x00", 3);            // end of track
    std::ofstream out(path, std::ios::binary);
    out << "MThd" << be32(6) << std::string("\x00\x00\x00\x01\x00\x60", 6) << "MTrk" << be32(track.size()) << track;
}

struct ProcessInfo {
    pid_t pid;
    char state;
};

// The children of pid as /proc lists them, zombies included.
std::vector<ProcessInfo> ChildrenOf(pid_t parent)
{
    std::vector<ProcessInfo> children;
    for (const auto &entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream in(entry.path() / "stat");
        const std::string stat((std::istreambuf_iterator<char>(in)), {});
        const auto close = stat.rfind(')');  // the command name may hold anything
        if (close == std::string::npos)
            continue;
        std::istringstream rest(stat.substr(close + 1));
        char state = 0;
        pid_t ppid = 0;
        if (rest >> state >> ppid && ppid == parent)
            children.push_back({pid_t(std::stol(name)), state});
    }
    return children;
}

bool Gone(pid_t pid) { return !fs::exists("/proc/" + std::to_string(pid)); }

// Managed windows, bottom first, as the window manager stacks them.
std::vector<unsigned long> Stacking(const std::string &display)
{
    std::vector<unsigned long> ids;
    const std::string text = RunTool(display, "xprop -root _NET_CLIENT_LIST_STACKING");
    static const std::regex hex("0x[0-9a-fA-F]+");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), hex); it != std::sregex_iterator(); ++it)
        ids.push_back(std::stoul(it->str(), nullptr, 16));
    return ids;
}

std::string Name(const std::string &display, unsigned long window)
{
    std::string name = RunTool(display, "xdotool getwindowname " + std::to_string(window));
    if (!name.empty() && name.back() == '\n')
        name.pop_back();
    return name;
}

pid_t WindowPid(const std::string &display, unsigned long window)
{
    const std::string text = RunTool(display, "xprop -id " + std::to_string(window) + " _NET_WM_PID");
    const auto eq = text.find("= ");
    return eq == std::string::npos ? 0 : pid_t(std::atol(text.c_str() + eq + 2));
}

std::string Size(const std::string &display, unsigned long window)
{
    const std::string text = RunTool(display, "xdotool getwindowgeometry " + std::to_string(window));
    std::smatch m;
    return std::regex_search(text, m, std::regex(R"(Geometry: (\d+x\d+))")) ? m[1].str() : "";
}

std::string ReadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

class ExternalPlayerE2eTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.ok()) << server.error();
        for (const char *file : {"quaverly", "libbass.so", "libbasswma.so"})
            fs::copy_file(std::string(QUAVERLY_BIN_DIR) + "/" + file, folder.path() + "/" + file);
        fs::copy_file(QUAVERLY_STANDIN_PLAYER, folder.path() + "/XGPlayer.exe");
        for (const char *dir : {"/runtime", "/registry", "/home"})
            fs::create_directories(state.path() + dir);
        fs::permissions(state.path() + "/runtime", fs::perms::owner_all);
        // What the user's player left from earlier sessions.
        ASSERT_TRUE(registry.WriteString(HKCU, kSettingsKey, "Volume", "the user's"));
    }

    // A "VisMIDI" playlist of one MIDI row, started with "/PLAY".
    Child Start(const std::string &midiName, const std::string &standInOptions)
    {
        midi = folder.path() + "/" + midiName;
        WriteMidi(midi, 2);
        std::ofstream(folder.path() + "/songs.m3u") << "#EXTM3U VisMIDI\n" << midi << "\n";
        std::vector<std::string> env = EnvironmentWithout(
            {"DISPLAY=", "XDG_RUNTIME_DIR=", "QUAVERLY_", "QT_QPA_PLATFORM=", "HOME=", "XDG_CONFIG_HOME=",
             "XAUTHORITY=", "SDL_", "XGPLAYER_"});
        env.push_back("DISPLAY=" + server.display());
        env.push_back("XDG_RUNTIME_DIR=" + state.path() + "/runtime");
        env.push_back("QUAVERLY_REGISTRY_DIR=" + state.path() + "/registry");
        env.push_back("HOME=" + state.path() + "/home");
        env.push_back("SDL_AUDIODRIVER=disk");
        env.push_back("SDL_DISKAUDIOFILE=" + state.path() + "/engine.raw");
        // What the media control plays lands in this file.
        env.push_back("QUAVERLY_VLC_ARGS=--aout=afile --audiofile-file=" + mediaControlOutput());
        // No sound device here: the stand-in plays nothing.
        env.push_back("XGPLAYER_STANDIN_OPTIONS=--silent " + standInOptions);
        return Spawn({folder.path() + "/quaverly", "/PLAY"}, env, state.path() + "/stderr.txt");
    }

    std::string mediaControlOutput() const { return state.path() + "/media-control.wav"; }
    std::string errors() const { return ReadFile(state.path() + "/stderr.txt"); }

    unsigned long MainWindow()
    {
        unsigned long window = 0;
        WaitUntil(
            [&] {
                const auto windows = VisibleMainWindows(server.display());
                window = windows.size() == 1 ? windows[0] : 0;
                return window != 0;
            },
            15000);
        return window;
    }

    // A window titled "XGPlayer - <name>" of a child of quaverly other than
    // `except`.
    unsigned long PlayerWindow(pid_t quaverly, const std::string &name, pid_t except = 0)
    {
        unsigned long found = 0;
        WaitUntil(
            [&] {
                for (unsigned long w : Stacking(server.display())) {
                    const pid_t owner = WindowPid(server.display(), w);
                    for (const ProcessInfo &child : ChildrenOf(quaverly))
                        if (child.pid == owner && owner != except && Name(server.display(), w) == "XGPlayer - " + name)
                            found = w;
                }
                return found != 0;
            },
            10000);
        return found;
    }

    XServer server {true};
    TempFolder folder;
    TempFolder state;
    Registry registry {state.path() + "/registry"};
    std::string midi;
};

TEST_F(ExternalPlayerE2eTest, AMidiRowPlaysAsANameInThePlayerBelowTheStripEndsByItsSecondsAndTheUsersSettingsComeBack)
{
    // Quotes and a command substitution: only a name, as no shell is involved.
    const std::string name = "it's \"x\";$(touch pwned).mid";
    Child quaverly = Start(name, "");
    ASSERT_TRUE(quaverly.started());

    const unsigned long main = MainWindow();
    ASSERT_NE(0u, main) << errors();
    EXPECT_TRUE(WaitUntil([&] { return Size(server.display(), main) == "400x6"; }, 5000))
        << "the strip: " << Size(server.display(), main);

    const unsigned long player = PlayerWindow(quaverly.pid(), name);
    ASSERT_NE(0u, player) << errors();
    const pid_t first = WindowPid(server.display(), player);
    // While it is in use the user's settings are out of the player's way.
    EXPECT_FALSE(registry.ValueExists(HKCU, kSettingsKey, "Volume"));
    EXPECT_TRUE(WaitUntil(
        [&] {
            const auto stack = Stacking(server.display());
            const auto at = std::find(stack.begin(), stack.end(), main);
            return at != stack.end() && at != stack.begin() && *(at - 1) == player;
        },
        5000))
        << "the player's window is not just below the strip";

    // The row ends by its count: the player is asked to close, saves its
    // settings as it goes, and is reaped (no zombie is left behind).
    EXPECT_TRUE(WaitUntil(
        [&] {
            const auto children = ChildrenOf(quaverly.pid());
            return Gone(first) && std::none_of(children.begin(), children.end(),
                                               [](const ProcessInfo &c) { return c.state == 'Z'; });
        },
        10000))
        << "the first row's player " << first << " is still there";
    EXPECT_EQ(midi, registry.ReadString(HKCU, kSettingsKey, "Last File"));
    // Nothing of it went to the media control.
    EXPECT_FALSE(fs::exists(mediaControlOutput()));

    // The list goes on with the row again, in a new player. The exit work
    // closes that one, waits for it to save its settings and exit, and only
    // then puts the user's settings back.
    const unsigned long next = PlayerWindow(quaverly.pid(), name, first);
    ASSERT_NE(0u, next) << "no player for the next row";
    const pid_t second = WindowPid(server.display(), next);
    kill(quaverly.pid(), SIGTERM);
    EXPECT_EQ(0, quaverly.Wait(10000));
    EXPECT_TRUE(Gone(second)) << "left running: " << second;
    EXPECT_EQ("the user's", registry.ReadString(HKCU, kSettingsKey, "Volume"));
    EXPECT_FALSE(registry.ValueExists(HKCU, kSettingsKey, "Last File"));
    EXPECT_FALSE(registry.KeyExists(HKCU, std::string(kSettingsKey) + "~"));
    EXPECT_FALSE(fs::exists(folder.path() + "/pwned"));
    EXPECT_FALSE(fs::exists(state.path() + "/home/pwned"));
    EXPECT_FALSE(fs::exists("pwned"));
}

TEST_F(ExternalPlayerE2eTest, TheSynthesizersMessageHandsTheRowToTheMediaControl)
{
    Child quaverly = Start("song.mid", "--synth-message");
    ASSERT_TRUE(quaverly.started());
    const unsigned long player = PlayerWindow(quaverly.pid(), "song.mid");
    ASSERT_NE(0u, player) << errors();
    const pid_t pid = WindowPid(server.display(), player);

    // The player goes, and the media control plays the row.
    EXPECT_TRUE(WaitUntil([&] { return Gone(pid); }, 10000)) << "the player stays";
    EXPECT_TRUE(WaitUntil(
        [&] {
            std::error_code ec;
            return fs::file_size(mediaControlOutput(), ec) > 44100 && !ec;
        },
        10000))
        << "the media control played nothing; the program said: " << errors();
    kill(quaverly.pid(), SIGTERM);
    EXPECT_EQ(0, quaverly.Wait(10000));
}

}  // namespace
