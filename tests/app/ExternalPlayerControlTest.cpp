#include "app/ExternalPlayerControl.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "app/ExternalPlayerFakes.h"
#include "core/NullMediaControl.h"

using namespace quaverly;
using namespace quaverly::test;
namespace fs = std::filesystem;

namespace {

constexpr auto HKCU = RegistryRoot::HKEY_CURRENT_USER;

class ExternalPlayerControlTest : public ::testing::Test {
protected:
    ExternalPlayerControlTest()
    {
        form.State.ProgramFolder = folder_ + "/";
        form.State.FormActivated = true;
        form.sbNext3.Visible = false;
        media.knobs.length = 10.9;
    }
    ~ExternalPlayerControlTest() override { fs::remove_all(folder_); }

    // Members are built in declaration order: the folder must exist before
    // the registry that lives in it.
    static std::string MakeTemporaryFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "quaverly-xgp-XXXXXX").string();
        return mkdtemp(pattern.data());
    }

    std::string MakeFile(const std::string &name)
    {
        std::ofstream(folder_ + "/" + name) << "MThd";
        return folder_ + "/" + name;
    }
    void SetRow(const std::string &path)
    {
        TListItem row;
        row.Caption = "Song";
        row.SubItems = {path};
        form.MList.Items = {row};
        form.State.CurrentIndex = 0;
    }
    // The player's window as the spawned process shows it.
    void PlayerShowsWindow(XWindow w, pid_t pid, const std::string &title = "XGPlayer - a.mid")
    {
        windows.Add(w, {title, std::uint32_t(pid)});
    }
    pid_t StartRow(const std::string &name = "a.mid")
    {
        SetRow(MakeFile(name));
        control.PlayThroughExternalPlayer();
        return control.CurrentPlayer();
    }

    std::string folder_ = MakeTemporaryFolder();
    TFormModel form;
    FakeExternalPlayerHost host {form};
    FakeWindows windows;
    FakeProcesses processes;
    NullMediaControl media;
    FakeClock clock;
    Registry registry {folder_ + "/registry"};
    ExternalPlayerControl control {{form, host, windows, processes, media, clock, registry}};
};

}  // namespace

TEST_F(ExternalPlayerControlTest, StartsThePlayerWithTheNameAsOneArgumentAndPlacesItsOwnWindowBelowTheStrip)
{
    const std::string path = MakeFile("x\";rm -rf ~;\"$(id).mid");
    SetRow(path);
    windows.Add(40, {"XGPlayer - a.mid", 4242});  // another program's window, above ours
    control.PlayThroughExternalPlayer();
    ASSERT_EQ(1u, processes.spawned.size());
    EXPECT_EQ((std::vector<std::string> {folder_ + "/XGPlayer.exe", path}), processes.spawned[0]);
    EXPECT_EQ(10, form.State.ItemLength);  // truncated
    EXPECT_TRUE(form.StripView());
    EXPECT_TRUE(form.State.PlayerWasOpen);
    EXPECT_EQ(0, control.ExternalPlayerWindow());  // the window does not exist yet
    // Then the row start clears PlayerWasOpen, and the window manager gives
    // the new window the focus as it maps it.
    form.State.PlayerWasOpen = false;
    host.active = false;

    // The search goes on for about five seconds after the start.
    clock.ms += 2000;
    PlayerShowsWindow(50, control.CurrentPlayer());
    control.Poll();
    EXPECT_EQ(50u, control.ExternalPlayerWindow());
    ASSERT_EQ(1u, windows.placedBelow.size());
    EXPECT_EQ(std::make_pair(XWindow(50), FakeExternalPlayerHost::kMainWindow), windows.placedBelow[0]);
    EXPECT_EQ(std::vector<std::string>({"ShowStripView", "BringToFront"}), host.log);
}

TEST_F(ExternalPlayerControlTest, AWindowThatNeverShowsIsSoughtOnlyFiveSecondsAndItsPlayerIsTerminatedAtTheClose)
{
    pid_t pid = StartRow();
    clock.ms += 4900;
    control.Poll();
    int walks = windows.walks;
    clock.ms += 200;
    control.Poll();
    EXPECT_EQ(walks, windows.walks);
    control.CloseExternalPlayer();
    EXPECT_TRUE(windows.closeRequests.empty());
    EXPECT_EQ((std::vector<std::pair<pid_t, bool>> {{pid, false}}), processes.terminated);
    EXPECT_EQ(0, form.Form.Height);  // the strip vanishes until the next row
}

TEST_F(ExternalPlayerControlTest, RowsMeasuredAtZeroOrLessOrMissingAreRefusedWithTheMessage)
{
    for (double length : {0.0, 0.7, -1.0}) {
        media.knobs.length = length;
        host.log.clear();
        StartRow();
        EXPECT_TRUE(processes.spawned.empty()) << length;
        EXPECT_EQ(std::vector<std::string>({"ShowStoppedState", "BringToFront",
                                            "ShowMessage Song: 格式不明或者路径有误,不能播放!"}),
                  host.log);
        EXPECT_TRUE(form.State.Timer2Enabled);
    }
    SetRow(folder_ + "/missing.mid");
    form.State.StartMode = 2;
    media.knobs.length = 100;
    control.PlayThroughExternalPlayer();
    EXPECT_TRUE(processes.spawned.empty());
    EXPECT_EQ("CloseMainWindow", host.log.back());
    EXPECT_FALSE(form.State.Timer2Enabled);
}

TEST_F(ExternalPlayerControlTest, CloseRequestsReachOnlyTheSpawnedPlayersWindowEvenWhenItsIdIsReused)
{
    pid_t pid = StartRow();
    PlayerShowsWindow(50, pid);
    control.Poll();
    ASSERT_EQ(50u, control.ExternalPlayerWindow());
    // The player's window goes; another program gets the same id and title.
    windows.Remove(50);
    windows.Add(50, {"XGPlayer - a.mid", 4242});
    control.CloseExternalPlayer();
    EXPECT_TRUE(windows.closeRequests.empty());
    EXPECT_EQ(0u, control.ExternalPlayerWindow());  // a failed search clears the handle
    EXPECT_EQ((std::vector<std::pair<pid_t, bool>> {{pid, false}}), processes.terminated);
}

TEST_F(ExternalPlayerControlTest, AClosedPlayerHasThreeSecondsToExitThenIsTerminatedAndReaped)
{
    pid_t pid = StartRow();
    PlayerShowsWindow(50, pid);
    windows.windows[50].closesOnRequest = false;
    control.CloseExternalPlayer();
    EXPECT_EQ(std::vector<XWindow> {50}, windows.closeRequests);
    EXPECT_TRUE(processes.terminated.empty());
    clock.ms += 2900;
    control.Poll();
    EXPECT_TRUE(processes.terminated.empty());
    processes.dieOnTerm = false;
    clock.ms += 100;
    control.Poll();
    control.Poll();
    EXPECT_EQ((std::vector<std::pair<pid_t, bool>> {{pid, false}}), processes.terminated);
    // At exit what still runs is waited for, then killed: nothing is left.
    control.RestoreExternalPlayerSettings();
    EXPECT_TRUE(processes.alive.empty());
}

TEST_F(ExternalPlayerControlTest, SettingsAreRestoredOnlyAfterThePlayerHasSavedItsOwnAndExited)
{
    const char *key = ExternalPlayerSettings::kSettingsKey;
    ASSERT_TRUE(registry.WriteString(HKCU, key, "Volume", "user"));
    control.BackupExternalPlayerSettings();
    EXPECT_FALSE(registry.KeyExists(HKCU, key));
    pid_t pid = StartRow();
    PlayerShowsWindow(50, pid);
    windows.windows[50].closesOnRequest = false;  // it saves first, then goes
    processes.onWait = [&](pid_t p) {
        ASSERT_TRUE(registry.WriteString(HKCU, key, "Volume", "session"));
        processes.alive.erase(p);
    };
    control.RestoreExternalPlayerSettings();
    EXPECT_EQ(std::vector<XWindow> {50}, windows.closeRequests);
    EXPECT_EQ("user", registry.ReadString(HKCU, key, "Volume"));
    EXPECT_FALSE(registry.KeyExists(HKCU, ExternalPlayerSettings::kBackupKey));
    // A second backup while one exists never overwrites it.
    control.BackupExternalPlayerSettings();
    ASSERT_TRUE(registry.WriteString(HKCU, key, "Volume", "later"));
    control.BackupExternalPlayerSettings();
    EXPECT_EQ("user", registry.ReadString(HKCU, ExternalPlayerSettings::kBackupKey, "Volume"));
}

TEST_F(ExternalPlayerControlTest, TheSynthesizersMessageHandsTheRowToTheMediaControlOnceItHasGone)
{
    pid_t pid = StartRow();
    PlayerShowsWindow(50, pid);
    windows.Add(51, {"YAMAHA Softsynthesizer Player", std::uint32_t(pid)});
    windows.windows[51].closesOnRequest = false;
    form.Gauge1.MaxValue = 10;
    form.Gauge1.Progress = 0;
    EXPECT_FALSE(control.CountStripSecond());  // asked to close: not counted
    EXPECT_EQ(0, form.Gauge1.Progress);
    windows.Remove(51);
    clock.ms += 1000;
    EXPECT_FALSE(control.CountStripSecond());
    EXPECT_EQ(ekMidiFallback, form.State.EngineKind);
    EXPECT_EQ("PlayThroughMediaControl", host.log.back());
    EXPECT_EQ((std::vector<XWindow> {51, 50}), windows.closeRequests);

    // A message window that stays is left alone after a second: the row counts on.
    host.log.clear();
    form.sbNext3.Visible = true;
    pid = StartRow();
    windows.Add(52, {"YAMAHA Softsynthesizer Player", std::uint32_t(pid)});
    windows.windows[52].closesOnRequest = false;
    EXPECT_FALSE(control.CountStripSecond());
    clock.ms += 1000;
    EXPECT_TRUE(control.CountStripSecond());
    EXPECT_EQ(1, form.Gauge1.Progress);
    windows.Remove(52);  // going later by itself changes nothing
    clock.ms += 1000;
    EXPECT_TRUE(control.CountStripSecond());
    EXPECT_EQ(2, form.Gauge1.Progress);
    EXPECT_EQ(std::vector<XWindow> {52}, std::vector<XWindow>(windows.closeRequests.end() - 1, windows.closeRequests.end()));
    EXPECT_TRUE(host.log.empty() || host.log.back() != "PlayThroughMediaControl");
}

TEST_F(ExternalPlayerControlTest, StripSecondsAreCountedAndAFullScreenProgramClosesThePlayerThreeSecondsEarly)
{
    pid_t pid = StartRow();
    PlayerShowsWindow(50, pid);
    windows.Add(60, {"Game", 77, WindowRect {0, 0, 1024, 768}});
    windows.foreground = 60;
    form.Gauge1.MaxValue = 10;
    form.Gauge1.Progress = 0;
    for (int second = 1; second <= 7; ++second)
        EXPECT_TRUE(control.CountStripSecond());
    EXPECT_EQ(7, form.Gauge1.Progress);
    EXPECT_TRUE(windows.closeRequests.empty());
    EXPECT_TRUE(control.CountStripSecond());
    EXPECT_EQ(std::vector<XWindow> {50}, windows.closeRequests);
    EXPECT_EQ(8, form.Gauge1.Progress);
}

TEST_F(ExternalPlayerControlTest, ForegroundIsFreeForTheDesktopOurOwnWindowsAndSmallWindowsInMode2)
{
    pid_t pid = StartRow();
    PlayerShowsWindow(50, pid);
    control.Poll();
    windows.Add(60, {"Editor", 77, WindowRect {0, 0, 800, 600}});
    windows.Add(61, {"Game", 78, WindowRect {0, 0, 1024, 768}});
    windows.Add(62, {"", 79});
    windows.Add(63, {"Program Manager", 80});
    FakeWindows::Window desktop {"Desktop", 81};
    desktop.desktop = true;
    windows.Add(64, desktop);
    struct Case {
        XWindow fg;
        bool mode1, mode2;
    } cases[] = {{0, true, true},  {FakeExternalPlayerHost::kMainWindow, true, true}, {50, true, true},
                 {62, true, true}, {63, true, true}, {64, true, true},
                 {60, false, true}, {61, false, false}};
    for (const Case &c : cases) {
        windows.foreground = c.fg;
        EXPECT_EQ(c.mode1, control.ForegroundIsFree(1)) << c.fg;
        EXPECT_EQ(c.mode2, control.ForegroundIsFree(2)) << c.fg;
    }
    windows.foreground = 61;
    form.State.FormActivated = false;
    EXPECT_TRUE(control.ForegroundIsFree(1));
    form.State.FormActivated = true;
    form.sbNext3.Visible = false;
    form.Form.Minimized = true;
    windows.foreground = 0;
    EXPECT_FALSE(control.ForegroundIsFree(2));
}

TEST_F(ExternalPlayerControlTest, ImportTakesTheListUpToTheFirstGapAndDropsOnlyTrueDuplicates)
{
    const std::string lower = MakeFile("a.mid"), upper = MakeFile("A.MID");
    fs::create_hard_link(lower, folder_ + "/link.mid");
    const char *list = ExternalPlayerSettings::kListKey;
    const std::vector<std::string> values = {lower, upper, lower, folder_ + "/link.mid", "/gone/b.mid", ""};
    for (std::size_t i = 0; i < values.size(); ++i)
        ASSERT_TRUE(registry.WriteString(HKCU, list, ExternalPlayerSettings::ListValueName(int(i)), values[i]));
    ASSERT_TRUE(registry.WriteString(HKCU, list, "File Name  6", "/after/the/gap.mid"));
    EXPECT_EQ("File Name  0", ExternalPlayerSettings::ListValueName(0));
    EXPECT_EQ("File Name 42", ExternalPlayerSettings::ListValueName(42));

    control.ImportExternalPlayerList();
    EXPECT_EQ((std::vector<std::string> {lower, upper, "/gone/b.mid"}), host.rows);
    EXPECT_TRUE(form.ExternalMidiMode());
    EXPECT_FALSE(form.sbNormal.Visible);
    EXPECT_TRUE(registry.KeyExists(HKCU, ExternalPlayerSettings::kBackupKey));
    EXPECT_EQ("SortFitAndSavePlaylist", host.log.back());
}

TEST_F(ExternalPlayerControlTest, ActivationIsRememberedOnlyInTheStripUntilAStripButtonIsReleased)
{
    control.OnApplicationActivated();
    EXPECT_FALSE(control.StripActivated());
    StartRow();
    control.OnApplicationActivated();
    EXPECT_TRUE(control.StripActivated());
    control.sbNext3MouseUp();
    EXPECT_FALSE(control.StripActivated());
}

TEST_F(ExternalPlayerControlTest, MidiRowsGoToThePlayerWhileTheUserIsIdleToTheMediaControlOtherwiseAndBack)
{
    form.sbLevel.Enabled = form.sbLevel.Visible = true;
    form.State.EngineKind = ekMidi;
    windows.Add(60, {"Editor", 77});
    EXPECT_TRUE(control.TakesMidiRow());  // nothing in front
    StartRow();
    PlayerShowsWindow(50, control.CurrentPlayer());
    control.Poll();

    // The row ends while the user works in another program.
    windows.foreground = 60;
    control.CloseExternalPlayer();
    EXPECT_FALSE(form.State.UserWasIdle);
    EXPECT_FALSE(control.TakesMidiRow());  // the next MIDI row plays silently

    // A row later the user has left the editor: the player again.
    windows.foreground = 0;
    EXPECT_TRUE(control.TakesMidiRow());
    // Idle at the close counts even when someone is in front at the start.
    control.CloseExternalPlayer();
    EXPECT_TRUE(form.State.UserWasIdle);
    windows.foreground = 60;
    EXPECT_TRUE(control.TakesMidiRow());

    form.State.UserWasIdle = false;
    windows.foreground = 0;
    form.State.EngineKind = ekMediaControl;
    EXPECT_FALSE(control.TakesMidiRow());
    form.State.EngineKind = ekMidi;
    form.sbLevel.Visible = false;  // the mode is off
    EXPECT_FALSE(control.TakesMidiRow());
}
