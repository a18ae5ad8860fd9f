// The external player control on the real desktop: the stand-in player as
// "XGPlayer.exe" in a program folder, real child processes, the X display
// with its window manager and the registry files. The main window and the
// media control are stand-ins (a bare X window, the null media control).
#include "app/ExternalPlayerControl.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <thread>
#include <xcb/xcb.h>

#include "app/ExternalPlayerFakes.h"
#include "app/ExternalPlayerHooks.h"
#include "core/NullMediaControl.h"

using namespace quaverly;
using namespace quaverly::test;
namespace fs = std::filesystem;

namespace {

constexpr auto HKCU = RegistryRoot::HKEY_CURRENT_USER;

bool WaitFor(const std::function<bool()> &cond, int timeoutMs = 8000)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!cond()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

bool ProcessGone(pid_t pid)
{
    return !fs::exists("/proc/" + std::to_string(pid));  // not even a zombie
}

// The main window's stand-in: a mapped top-level window of its own client.
class MainWindowStandIn {
public:
    MainWindowStandIn()
    {
        c_ = xcb_connect(nullptr, nullptr);
        xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
        id_ = xcb_generate_id(c_);
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, id_, screen->root, 300, 300, 400, 6, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, id_, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 8, "Quaverly");
        xcb_map_window(c_, id_);
        std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
    }
    ~MainWindowStandIn()
    {
        xcb_destroy_window(c_, id_);
        xcb_disconnect(c_);
    }
    XWindow id() const { return id_; }

private:
    xcb_connection_t *c_ = nullptr;
    XWindow id_ = 0;
};

// The real children, remembered so that a failing test leaves none behind.
class TrackedChildren final : public IChildProcesses {
public:
    ~TrackedChildren() override
    {
        for (pid_t pid : started) {
            real.Terminate(pid, true);
            real.WaitForEnd(pid, 2000);
        }
    }
    pid_t Spawn(const std::vector<std::string> &argv) override
    {
        pid_t pid = real.Spawn(argv);
        started.push_back(pid);
        return pid;
    }
    bool HasEnded(pid_t pid) override { return real.HasEnded(pid); }
    bool WaitForEnd(pid_t pid, int timeoutMs) override { return real.WaitForEnd(pid, timeoutMs); }
    void Terminate(pid_t pid, bool hard) override { real.Terminate(pid, hard); }

    ChildProcesses real;
    std::vector<pid_t> started;
};

class ExternalPlayerX11Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY") || !*std::getenv("DISPLAY") || !x_.connected())
            GTEST_SKIP() << "no X display";
        fs::copy_file(QUAVERLY_STANDIN_PLAYER, folder_ + "/XGPlayer.exe");
        // What the spawned player inherits: a real X client, silent, our registry.
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        setenv("XGPLAYER_STANDIN_OPTIONS", "--silent", 1);
        setenv("QUAVERLY_REGISTRY_DIR", (folder_ + "/registry").c_str(), 1);
        form.State.ProgramFolder = folder_ + "/";
        form.State.FormActivated = true;
        media.knobs.length = 30;
        main_ = std::make_unique<MainWindowStandIn>();
        host_ = std::make_unique<TExternalPlayerHooks>();
        host_->MainWindow = [this] { return main_->id(); };
        host_->Active = host_->Visible = [] { return true; };
        host_->StripView = [this] { form.sbNext3.Visible = true; };
        host_->MediaControl = [this] { log.push_back("PlayThroughMediaControl"); };
        control_ = std::make_unique<ExternalPlayerControl>(
            ExternalPlayerServices {form, *host_, windows_, processes_, media, clock_, registry_});
    }
    void TearDown() override
    {
        control_.reset();
        unsetenv("XGPLAYER_STANDIN_OPTIONS");
        fs::remove_all(folder_);
    }
    pid_t StartRow(const std::string &name)
    {
        std::ofstream(folder_ + "/" + name) << "MThd";
        TListItem row;
        row.Caption = name;
        row.SubItems = {folder_ + "/" + name};
        form.MList.Items = {row};
        form.State.CurrentIndex = 0;
        control_->PlayThroughExternalPlayer();
        return control_->CurrentPlayer();
    }
    bool WindowFound()
    {
        return WaitFor([&] {
            control_->Poll();
            return control_->ExternalPlayerWindow() != 0;
        });
    }

    static std::string MakeFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "quaverly-xgp-XXXXXX").string();
        return mkdtemp(pattern.data());
    }

    X11WindowSystem x_;
    X11ExternalWindows windows_ {x_};
    TrackedChildren processes_;
    SystemClock clock_;
    std::string folder_ = MakeFolder();
    Registry registry_ {folder_ + "/registry"};
    TFormModel form;
    NullMediaControl media;
    std::unique_ptr<MainWindowStandIn> main_;
    std::unique_ptr<TExternalPlayerHooks> host_;
    std::vector<std::string> log;
    std::unique_ptr<ExternalPlayerControl> control_;
};

}  // namespace

TEST_F(ExternalPlayerX11Test, AStrangeFileNamePlaysAsANameBelowTheMainWindowAndTheUsersSettingsComeBack)
{
    const char *key = ExternalPlayerSettings::kSettingsKey;
    ASSERT_TRUE(registry_.WriteString(HKCU, key, "Last File", "the user's"));
    control_->BackupExternalPlayerSettings();

    const std::string name = "x\";rm -rf ~;\"$(touch pwned).mid";
    pid_t pid = StartRow(name);
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(WindowFound());
    XWindow player = control_->ExternalPlayerWindow();
    EXPECT_EQ("XGPlayer - " + name, x_.Title(player));
    EXPECT_EQ(std::uint32_t(pid), x_.ProcessId(player));
    // Stacked below the main window: just below it unless another program's
    // window holds the focus between them, which the window manager keeps
    // above a window of a program without the focus. (The end-to-end test
    // checks "just below" through the real program.)
    EXPECT_TRUE(WaitFor([&] {
        control_->Poll();
        auto stack = x_.TopLevelWindowsTopFirst();
        auto at = std::find(stack.begin(), stack.end(), main_->id());
        return at != stack.end() && std::find(at + 1, stack.end(), player) != stack.end();
    })) << [&] {
        std::string order = "the stacking, top first:";
        for (XWindow w : x_.TopLevelWindowsTopFirst())
            order += " " + std::to_string(w) + " \"" + x_.Title(w) + "\"";
        return order + "; main " + std::to_string(main_->id()) + ", player " + std::to_string(player);
    }();

    // The end of the row: the player is asked to close, saves and exits.
    control_->CloseExternalPlayer();
    EXPECT_TRUE(WaitFor([&] {
        control_->Poll();
        return ProcessGone(pid);
    }));
    EXPECT_EQ(folder_ + "/" + name, registry_.ReadString(HKCU, key, "Last File"));
    control_->RestoreExternalPlayerSettings();
    EXPECT_EQ("the user's", registry_.ReadString(HKCU, key, "Last File"));
    EXPECT_FALSE(fs::exists(folder_ + "/pwned"));
    EXPECT_FALSE(fs::exists("pwned"));
}

TEST_F(ExternalPlayerX11Test, TheSynthesizersMessageHandsTheRowToTheMediaControl)
{
    setenv("XGPLAYER_STANDIN_OPTIONS", "--silent --synth-message", 1);
    pid_t pid = StartRow("a.mid");
    ASSERT_TRUE(WaitFor([&] {
        for (XWindow w : x_.TopLevelWindowsTopFirst())
            if (x_.Title(w) == "YAMAHA Softsynthesizer Player")
                return true;
        return false;
    }));
    form.Gauge1.MaxValue = 30;
    form.Gauge1.Progress = 0;
    ASSERT_TRUE(WaitFor([&] {
        return !control_->CountStripSecond() && !log.empty();
    }, 3000));
    EXPECT_EQ("PlayThroughMediaControl", log.back());
    EXPECT_EQ(ekMidiFallback, form.State.EngineKind);
    EXPECT_TRUE(WaitFor([&] {
        control_->Poll();
        return ProcessGone(pid);
    }));
}

TEST_F(ExternalPlayerX11Test, TwentyRowsLeaveNoPlayerRunningAndNoZombie)
{
    std::vector<pid_t> pids;
    form.sbNext3.Visible = true;
    for (int row = 0; row < 20; ++row) {
        pids.push_back(StartRow("row" + std::to_string(row) + ".mid"));
        // Half are closed before their window shows, half after.
        if (row % 2)
            ASSERT_TRUE(WindowFound()) << row;
        control_->CloseExternalPlayer();
    }
    control_->RestoreExternalPlayerSettings();  // the exit: bounded wait, then terminate
    for (pid_t pid : pids)
        EXPECT_TRUE(ProcessGone(pid)) << pid;
}
