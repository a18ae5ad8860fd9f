#include <gtest/gtest.h>

#include <filesystem>

#include "e2e/E2eSupport.h"
#include "PlaylistFixture.h"

extern char **environ;

namespace quaverly::test {
namespace {

using namespace quaverly::e2e;

// The program started from a temporary program folder that holds one
// playlist (picked at start-up) with missing files, doubled entries and broken
// comment lines; closed through the window manager, it rewrites that file
// without them.
TEST(PlaylistE2eTest, ClosingRewritesARepairedPlaylistByteForByte)
{
    XServer server(true);
    ASSERT_TRUE(server.ok()) << server.error();
    PlaylistTempFolder program, state;
    std::filesystem::copy_file(QUAVERLY_BIN_DIR "/quaverly", program / "quaverly");
    for (const char *sub : {"runtime", "registry", "home"})
        std::filesystem::create_directories(state / sub);
    std::filesystem::permissions(state / "runtime", std::filesystem::perms::owner_all);
    const std::string a = program / "a.mp3", b = program / "b.mid";
    WriteBytes(a, "x");
    WriteBytes(b, "x");
    const std::string list = program / "list.m3u";
    const std::string original = "#EXTM3U Random\r\n#EXTINF:5,Alpha\r\n" + a + "\r\n" + program / "missing.mp3" +
                                 "\r\n#bogus comment\r\n#EXTINF:7,Beta\r\n" + b +
                                 "\r\nhttp://radio.invalid/live\r\n#EXTINF:8,Alpha again\r\n" + a +
                                 "\r\n#EXTINF:-1,Radio again\r\nHTTP://radio.invalid/live\r\n#EXTINF:3,Dangling\r\n";
    WriteBytes(list, original);

    std::vector<std::string> env;
    for (char **e = environ; *e; ++e) {
        const std::string entry = *e;
        bool drop = false;
        for (const char *d : {"DISPLAY=", "XDG_RUNTIME_DIR=", "QUAVERLY_REGISTRY_DIR=", "QT_QPA_PLATFORM=", "HOME=",
                              "XDG_CONFIG_HOME=", "XAUTHORITY="})
            drop = drop || entry.rfind(d, 0) == 0;
        if (!drop)
            env.push_back(entry);
    }
    env.push_back("DISPLAY=" + server.display());
    env.push_back("XDG_RUNTIME_DIR=" + state / "runtime");
    env.push_back("QUAVERLY_REGISTRY_DIR=" + state / "registry");
    env.push_back("HOME=" + state / "home");
    Child quaverly = Spawn({program / "quaverly"}, env, state / "stderr.txt");
    ASSERT_TRUE(quaverly.started());

    unsigned long window = 0;
    ASSERT_TRUE(WaitUntil(
        [&] {
            const auto windows = VisibleMainWindows(server.display());
            window = windows.size() == 1 ? windows[0] : 0;
            return window != 0;
        },
        10000))
        << ReadBytes(state / "stderr.txt");
    // The list is loaded (the window shows after that) and nothing is
    // written before the close.
    EXPECT_EQ(original, ReadBytes(list));
    RunTool(server.display(), "xdotool windowactivate --sync " + std::to_string(window) + " key alt+F4");
    EXPECT_EQ(0, quaverly.Wait(10000)) << ReadBytes(state / "stderr.txt");

    EXPECT_EQ("#EXTM3U Random\r\n#EXTINF:5,Alpha\r\n" + a + "\r\n#EXTINF:7,Beta\r\n" + b +
                  "\r\nhttp://radio.invalid/live\r\n",
              ReadBytes(list));
}

}  // namespace
}  // namespace quaverly::test
