#include "app/Main.h"

#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include "app/RegistrySteps.h"
#include "core/NullMediaControl.h"
#include "app/ShellFakes.h"
#include "platform/Registry.h"
#include "platform/SystemColours.h"
#include "platform/TempFolder.h"

using namespace quaverly;
using namespace quaverly::test;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// A main window in its normal, stopped state, as the form resource leaves
// it, with a program folder and a registry store of its own.
class MainFormTest : public ::testing::Test {
protected:
    MainFormTest()
    {
        form.sbStop.Enabled = false;
        form.VisBox.Visible = false;
        form.sbAbout.Visible = false;
        form.sbLevel.Visible = false;
        form.sbNormal.Visible = true;
        for (TControl *c : {&form.sbNext2, &form.sbStop2, &form.sbPower2, &form.sbNext3, &form.sbStop3, &form.sbPower3})
            c->Visible = false;
        form.Gauge1.Top = 21;
        form.MList.Columns = {{126, 126, 143}, {42, 42, 42}};
        executable = programFolder.path() + "/quaverly";
    }

    TMainForm &Start(std::vector<std::string> arguments = {})
    {
        TStartup startup{executable, programFolder.path() + "/", TCommandLine(std::move(arguments))};
        TShellServices services{settings, controller, external, playlist, spectrum, audio, engines,
                                screen,   clock,      random,   registry, platform};
        mainForm = std::make_unique<TMainForm>(form, services, startup);
        return *mainForm;
    }
    TMainForm &CreateAndShow(std::vector<std::string> arguments = {})
    {
        TMainForm &f = Start(std::move(arguments));
        f.FormCreate();
        f.FormShow();
        return f;
    }
    void PutFile(const std::string &name) { WriteFile(programFolder / name, "x"); }

    TempFolder programFolder;
    TempFolder registryFolder;
    std::string executable;
    CallLog log;
    TFormModel form;
    RecordingSettings settings{log};
    RecordingController controller{log};
    RecordingExternalPlayer external{log};
    RecordingPlaylist playlist{log, form};
    RecordingSpectrum spectrum{log};
    RecordingAudioPlayerFactory audio{log};
    NullMediaControl media;
    TEngines engines{media};
    FixedScreen screen;
    FixedClock clock;
    ScriptedRandom random;
    Registry registry{registryFolder.path()};
    RecordingPlatform platform{log};
    std::unique_ptr<TMainForm> mainForm;
};

TEST_F(MainFormTest, NoArgumentPicksRandomPlaylistCentresAndPlaysNothing)
{
    playlist.rowsOnLoad = 3;
    playlist.selectedOnLoad = 1;
    CreateAndShow();

    EXPECT_THAT(log, ElementsAre("LoadSettings", "PickRandomPlaylist"));
    EXPECT_EQ(0, form.State.StartMode);
    EXPECT_EQ((1024 - 195) / 2, form.Form.Left);
    EXPECT_EQ((768 - 108) / 2, form.Form.Top);
    EXPECT_EQ(1, form.MList.ScrollRequest);
    EXPECT_FALSE(form.State.SchedulePass);
    EXPECT_EQ(-1, form.State.CurrentIndex);
    EXPECT_EQ(form.State.DisplayModeSetting, form.State.SavedDisplayModeSetting);
    EXPECT_EQ(crHandLink, form.VdoPanel.Cursor);
    EXPECT_EQ(crHandLink, form.VisPanel.Cursor);
}

TEST_F(MainFormTest, CentresOnWholeScreenNotWorkAreaAndKeepsAGivenPosition)
{
    screen.whole = {0, 0, 1025, 769};
    screen.work = {0, 30, 1000, 700};
    CreateAndShow();
    EXPECT_EQ(415, form.Form.Left);   // (1025 - 195) div 2
    EXPECT_EQ(330, form.Form.Top);    // (769 - 108) div 2

    form = TFormModel{};
    log.clear();
    form.Form.Left = 7;
    form.Form.Top = 9;
    TMainForm &f = Start();
    f.FormCreate();
    form.State.WindowCentred = false;   // as a settings file with a usable position leaves it
    f.FormShow();
    EXPECT_EQ(7, form.Form.Left);
    EXPECT_EQ(9, form.Form.Top);
}

TEST_F(MainFormTest, EmptyListShowsCreditAndExternalListIsImportedWhenPlayerPresent)
{
    PutFile("XGPlayer.exe");
    CreateAndShow();
    EXPECT_THAT(log, ElementsAre("LoadSettings", "PickRandomPlaylist", "ImportExternalPlayerList", "ShowCredit"));
}

TEST_F(MainFormTest, PlaylistArgumentLoadsThatFileAndPlays)
{
    PutFile("XGPlayer.exe");
    playlist.rowsOnLoad = 2;
    CreateAndShow({"D:\\music\\list.m3u", "ignored.mp3"});

    EXPECT_THAT(log, ElementsAre("LoadSettings", "ScheduleCheck 3", "LoadPlaylist D:\\music\\list.m3u",
                                 "PlayCurrentItem"));
    EXPECT_EQ(0, form.State.StartMode);
    EXPECT_TRUE(form.State.SchedulePass);

    form.sbStop.Enabled = true;   // playing
    mainForm->FormActivate();
    EXPECT_FALSE(form.Form.Minimized);
}

TEST_F(MainFormTest, PlaySwitchPlaysRandomPlaylistAndMinimisesAtFirstActivation)
{
    playlist.rowsOnLoad = 2;
    settings.allowArgument = false;
    CreateAndShow({"/play"});
    EXPECT_THAT(log, ElementsAre("LoadSettings", "ScheduleCheck 3", "PickRandomPlaylist", "PlayCurrentItem"));
    EXPECT_EQ(1, form.State.StartMode);
    EXPECT_FALSE(form.State.SchedulePass);
    EXPECT_FALSE(form.State.Timer2Enabled);

    form.sbStop.Enabled = true;
    mainForm->FormActivate();
    EXPECT_TRUE(form.Form.Minimized);
    EXPECT_EQ(0, form.State.StartMode);
    EXPECT_TRUE(form.State.FormActivated);
    EXPECT_TRUE(form.State.Timer2Enabled);

    // Only the first activation minimises.
    form.Form.Minimized = false;
    mainForm->FormActivate();
    EXPECT_FALSE(form.Form.Minimized);
}

TEST_F(MainFormTest, FirstActivationDoesNotMinimiseInAPlayingViewOrWhenStopped)
{
    playlist.rowsOnLoad = 1;
    CreateAndShow({"/PLAY"});
    form.sbStop.Enabled = true;
    form.Gauge1.Top = 0;   // audio-engine, video or strip view
    mainForm->FormActivate();
    EXPECT_FALSE(form.Form.Minimized);
    EXPECT_EQ(0, form.State.StartMode);

    form = TFormModel{};
    form.sbStop.Enabled = false;
    form.sbNext3.Visible = false;
    form.Gauge1.Top = 21;
    TMainForm &f = Start({"/PLAY"});
    f.FormCreate();
    f.FormShow();
    f.FormActivate();
    EXPECT_FALSE(form.Form.Minimized);
}

TEST_F(MainFormTest, AutoSwitchInLowerCaseOutsideScheduleEndsWithoutWindowOrRegistryWrite)
{
    ASSERT_TRUE(registry.WriteString(RegistryRoot::HKEY_CURRENT_USER, kMediaPlayerSettingsKey, "Volume", "-2000"));
    ASSERT_TRUE(registry.CreateKey(RegistryRoot::HKEY_CLASSES_ROOT, OpenCommandKey(executable)));
    settings.allowAuto = false;
    TMainForm &f = Start({"/auto"});
    f.FormCreate();

    EXPECT_THAT(log, ElementsAre("LoadSettings", "ScheduleCheck 0"));
    EXPECT_FALSE(form.Form.ShowMainForm);
    EXPECT_TRUE(form.Form.TerminateRequested);
    EXPECT_FALSE(f.HandlersInstalled());
    Registry reread(registryFolder.path());
    EXPECT_EQ("-2000", reread.ReadString(RegistryRoot::HKEY_CURRENT_USER, kMediaPlayerSettingsKey, "Volume"));
    EXPECT_FALSE(reread.ValueExists(RegistryRoot::HKEY_CLASSES_ROOT, OpenCommandKey(executable), ""));
}

TEST_F(MainFormTest, AutoSwitchAllowedSetsSchedulePassFromTheMinute)
{
    playlist.rowsOnLoad = 1;
    clock.SetTime(14, 30);
    CreateAndShow({"/AUTO"});
    EXPECT_THAT(log, ElementsAre("LoadSettings", "ScheduleCheck 0", "PickRandomPlaylist", "PlayCurrentItem"));
    EXPECT_EQ(1, form.State.StartMode);
    EXPECT_TRUE(form.State.SchedulePass);
    EXPECT_TRUE(form.Form.ShowMainForm);

    form = TFormModel{};
    form.sbNext3.Visible = false;
    clock.SetTime(14, 29);
    TMainForm &f = Start({"/AUTO"});
    f.FormCreate();
    f.FormShow();
    EXPECT_FALSE(form.State.SchedulePass);
}

TEST_F(MainFormTest, SingleFileGivesOneRowAndPlaysItWithoutPlaylistFile)
{
    form.Form.Height = 300;
    form.MListPanel.Height = 264;
    controller.engine = ekAudioEngine;
    CreateAndShow({"/music/a song.mp3"});

    EXPECT_THAT(log, ElementsAre("LoadSettings", "ScheduleCheck 3", "ChooseEngine /music/a song.mp3",
                                 "PlayCurrentItem"));
    EXPECT_EQ(2, form.State.StartMode);
    ASSERT_EQ(1, form.MList.Count());
    EXPECT_EQ("name of /music/a song.mp3", form.MList.Items[0].Caption);
    EXPECT_THAT(form.MList.Items[0].SubItems, ElementsAre("/music/a song.mp3"));
    EXPECT_EQ(0, form.State.CurrentIndex);
    EXPECT_EQ(ekAudioEngine, form.State.EngineKind);
    EXPECT_EQ(108, form.Form.Height);
    EXPECT_EQ(72, form.MListPanel.Height);
    EXPECT_FALSE(form.sbLevel.Visible);
    EXPECT_TRUE(form.sbNormal.Visible);
    EXPECT_FALSE(form.sbNormal.Enabled);
}

TEST_F(MainFormTest, SingleMidiFileGoesToExternalPlayerWhenPresent)
{
    PutFile("XGPlayer.exe");
    controller.engine = ekMidi;
    CreateAndShow({"/music/tune.mid"});
    EXPECT_THAT(log, ElementsAre("LoadSettings", "ScheduleCheck 3", "ChooseEngine /music/tune.mid",
                                 "BackupExternalPlayerSettings", "PlayCurrentItem"));
    EXPECT_TRUE(form.sbLevel.Visible);
    EXPECT_TRUE(form.sbLevel.Enabled);
    EXPECT_FALSE(form.sbNormal.Visible);
    EXPECT_TRUE(form.sbNormal.Enabled);
}

TEST_F(MainFormTest, AudioLibraryBesideProgramCreatesPlayerAndSpectrum)
{
    PutFile("libbass.so");
    form.State.DisplayModeSetting = 3;
    playlist.rowsOnLoad = 1;
    TMainForm &f = Start();
    f.FormCreate();
    f.FormShow();
    EXPECT_THAT(log, ElementsAre("LoadSettings", "CreateAudioPlayer", "SetOnNewFFTData", "InitSpectrumBitmaps",
                                 "PickRandomPlaylist"));
    EXPECT_TRUE(form.VisBox.Visible);
    // FormCreate resets the setting to 9 (no settings file): a random mode 1 to 6.
    EXPECT_THAT(random.ranges, ElementsAre(6));
    EXPECT_EQ(1, form.State.DisplayMode);

    TBandOut bands{};
    bands[0] = 77;
    audio.last->OnBands(bands);
    EXPECT_EQ("DrawSpectrumFrame 77", log.back());
}

TEST_F(MainFormTest, DisplayModeSettingBelowSevenIsTakenAsIs)
{
    PutFile("libbass.so");
    TMainForm &f = Start();
    f.FormCreate();
    form.State.DisplayModeSetting = 4;   // as the settings file gives it
    f.FormShow();
    EXPECT_EQ(4, form.State.DisplayMode);
    EXPECT_THAT(random.ranges, IsEmpty());
}

TEST_F(MainFormTest, PlayerThatCannotOpenOutputClosesTheWindowBeforeAnythingElse)
{
    PutFile("libbass.so");
    audio.ready = false;
    CreateAndShow({"/PLAY"});
    EXPECT_THAT(log, ElementsAre("LoadSettings", "CreateAudioPlayer"));
    EXPECT_TRUE(form.Form.CloseRequested);
    EXPECT_FALSE(form.VisBox.Visible);
}

TEST_F(MainFormTest, NoAudioLibraryMeansNoPlayer)
{
    CreateAndShow();
    EXPECT_EQ(nullptr, mainForm->AudioPlayer());
    EXPECT_FALSE(form.VisBox.Visible);
    EXPECT_EQ(0u, std::count(log.begin(), log.end(), "CreateAudioPlayer"));
}

TEST_F(MainFormTest, WideScrollBarNarrowsTitleColumnMinimum)
{
    platform.scrollBarWidth = 20;
    CreateAndShow();
    EXPECT_EQ(123, form.MList.Columns[0].MinWidth);

    form.MList.Columns[0].MinWidth = 126;
    platform.scrollBarWidth = 17;
    form = TFormModel{};
    form.MList.Columns = {{126, 126, 143}};
    TMainForm &f = Start();
    f.FormCreate();
    f.FormShow();
    EXPECT_EQ(126, form.MList.Columns[0].MinWidth);
}

TEST_F(MainFormTest, CloseRequestDoesExitWorkInOrder)
{
    CreateAndShow();
    mainForm->FormActivate();
    form.State.Timer1Enabled = true;
    form.State.GeometryDirty = true;
    log.clear();

    EXPECT_TRUE(mainForm->FormCloseQuery());
    EXPECT_THAT(log, ElementsAre("StopPlayback", "RestoreExternalPlayerSettings", "SaveSettings",
                                 "SavePlaylistIfChanged"));
    EXPECT_FALSE(form.State.Timer1Enabled);
    EXPECT_FALSE(form.State.Timer2Enabled);
}

TEST_F(MainFormTest, SettingsFileIsWrittenOnlyWhenSomethingChanged)
{
    CreateAndShow();
    log.clear();
    EXPECT_TRUE(mainForm->FormCloseQuery());
    EXPECT_THAT(log, ElementsAre("StopPlayback", "RestoreExternalPlayerSettings", "SavePlaylistIfChanged"));

    log.clear();
    form.State.DisplayModeSetting = 2;
    EXPECT_TRUE(mainForm->FormCloseQuery());
    EXPECT_THAT(log, ElementsAre("StopPlayback", "RestoreExternalPlayerSettings", "SaveSettings",
                                 "SavePlaylistIfChanged"));
}

TEST_F(MainFormTest, CloseFreesSpectrumThenPlayer)
{
    PutFile("libbass.so");
    CreateAndShow();
    form.sbNext3.Visible = true;   // the strip view of the external player
    log.clear();
    EXPECT_TRUE(mainForm->FormCloseQuery());
    log.clear();
    EXPECT_TRUE(mainForm->FormClose());
    // No frame reaches the display once its pictures are gone.
    EXPECT_THAT(log, ElementsAre("CloseExternalPlayer", "ClearOnNewFFTData", "FreeSpectrumBitmaps", "FreeAudioPlayer"));
    EXPECT_EQ(nullptr, mainForm->AudioPlayer());
}

TEST_F(MainFormTest, CloseWhileConnectingBeforeActivationIsRefused)
{
    PutFile("libbass.so");
    CreateAndShow();
    form.State.Connecting = true;
    form.State.Timer2Enabled = true;
    log.clear();

    EXPECT_TRUE(mainForm->FormCloseQuery());
    EXPECT_FALSE(mainForm->FormClose());
    EXPECT_THAT(log, IsEmpty());
    EXPECT_TRUE(form.State.Timer2Enabled);
    EXPECT_NE(nullptr, mainForm->AudioPlayer());
}

TEST_F(MainFormTest, CloseWhileConnectingAfterActivationEndsProcessAfterTheSavesWithoutFreeingThePlayer)
{
    PutFile("libbass.so");
    CreateAndShow();
    mainForm->FormActivate();
    form.State.Connecting = true;
    log.clear();

    EXPECT_TRUE(mainForm->FormCloseQuery());
    EXPECT_TRUE(mainForm->FormClose());
    // An open may still run inside the audio library: nothing is freed.
    EXPECT_THAT(log, ElementsAre("StopPlayback", "RestoreExternalPlayerSettings", "SavePlaylistIfChanged",
                                 "EndProcessNow"));
    EXPECT_NE(nullptr, mainForm->AudioPlayer());
}

TEST_F(MainFormTest, ActivationInStripViewPlacesStripInWorkArea)
{
    screen.work = {10, 20, 1000, 700};
    CreateAndShow();
    form.sbNext3.Visible = true;
    mainForm->FormActivate();
    EXPECT_EQ(20 + 350 + 43, form.Form.Top);
    EXPECT_EQ(10 + 500 - 200, form.Form.Left);
    EXPECT_EQ(400, form.Form.Width);
}

TEST_F(MainFormTest, ApplicationHandlersWorkOnlyAfterFormCreate)
{
    TMainForm &f = Start();
    int stripActivations = 0;
    f.SetStripActivationHandler([&] { ++stripActivations; });
    f.ApplicationSettingChange(42);
    f.ApplicationActivate();
    EXPECT_THAT(log, IsEmpty());
    EXPECT_EQ(0, stripActivations);

    f.FormCreate();
    f.ApplicationSettingChange(42);
    f.ApplicationActivate();
    EXPECT_EQ("OnSettingChange 42", log.back());
    EXPECT_EQ(1, stripActivations);
}

// The registry steps of FormCreate against a real store.
TEST_F(MainFormTest, VolumeBelowFloorIsRaisedOthersLeftAlone)
{
    const auto hkcu = RegistryRoot::HKEY_CURRENT_USER;
    ASSERT_TRUE(registry.WriteString(hkcu, kMediaPlayerSettingsKey, "Volume", "-2000"));
    Start().FormCreate();
    Registry reread(registryFolder.path());
    EXPECT_EQ("-600", reread.ReadString(hkcu, kMediaPlayerSettingsKey, "Volume"));

    for (const char *kept : {"-300", "-600", "loud", ""}) {
        ASSERT_TRUE(registry.WriteString(hkcu, kMediaPlayerSettingsKey, "Volume", kept));
        EXPECT_FALSE(RaiseMediaPlayerVolume(registry)) << kept;
        EXPECT_EQ(kept, Registry(registryFolder.path()).ReadString(hkcu, kMediaPlayerSettingsKey, "Volume"));
    }
}

TEST_F(MainFormTest, MissingVolumeKeyOrValueIsNotCreated)
{
    Start().FormCreate();
    EXPECT_FALSE(Registry(registryFolder.path()).KeyExists(RegistryRoot::HKEY_CURRENT_USER, kMediaPlayerSettingsKey));

    ASSERT_TRUE(registry.CreateKey(RegistryRoot::HKEY_CURRENT_USER, kMediaPlayerSettingsKey));
    EXPECT_FALSE(RaiseMediaPlayerVolume(registry));
    EXPECT_FALSE(registry.ValueExists(RegistryRoot::HKEY_CURRENT_USER, kMediaPlayerSettingsKey, "Volume"));
}

TEST_F(MainFormTest, NtFamilyRefreshesExistingOpenCommandOnly)
{
    const auto hkcr = RegistryRoot::HKEY_CLASSES_ROOT;
    Start().FormCreate();
    EXPECT_TRUE(form.State.IsNtFamily);
    EXPECT_FALSE(Registry(registryFolder.path()).KeyExists(hkcr, OpenCommandKey(executable)));

    ASSERT_TRUE(registry.CreateKey(hkcr, "Applications\\QUAVERLY\\shell\\open\\command"));
    Start().FormCreate();
    EXPECT_EQ("\"" + executable + "\" \"%1\"",
              Registry(registryFolder.path()).ReadString(hkcr, OpenCommandKey(executable), ""));
}

TEST_F(MainFormTest, OlderFamilyLeavesAssociationAndTakesButtonFaceColours)
{
    const auto hkcr = RegistryRoot::HKEY_CLASSES_ROOT;
    ASSERT_TRUE(registry.WriteString(RegistryRoot::HKEY_LOCAL_MACHINE, kWindowsVersionKey, "VersionNumber", "4.10"));
    ASSERT_TRUE(registry.WriteString(hkcr, OpenCommandKey(executable), "", "old"));
    Start().FormCreate();

    EXPECT_FALSE(form.State.IsNtFamily);
    EXPECT_EQ("old", Registry(registryFolder.path()).ReadString(hkcr, OpenCommandKey(executable), ""));
    const TColor face = SystemColour(COLOR_BTNFACE);
    EXPECT_EQ(face, form.Form.Color);
    EXPECT_EQ(face, form.BtnPanel.Color);
    EXPECT_EQ(face, form.lbResize.Color);
    EXPECT_EQ(face, form.Gauge1.ForeColor);
    EXPECT_EQ(face, form.Gauge2.BackColor);
}

TEST_F(MainFormTest, CorruptRegistryFileDoesNotStopTheStart)
{
    WriteFile(registryFolder / "HKEY_CURRENT_USER.reg", "\x01\x02 not a registry file [[[\n");
    Registry fresh(registryFolder.path());
    TStartup startup{executable, programFolder.path() + "/", TCommandLine()};
    TShellServices services{settings, controller, external, playlist, spectrum, audio, engines,
                            screen,   clock,      random,   fresh,    platform};
    TMainForm f(form, services, startup);
    f.FormCreate();
    f.FormShow();
    EXPECT_TRUE(form.Form.ShowMainForm);
    EXPECT_TRUE(f.HandlersInstalled());
}

}  // namespace
