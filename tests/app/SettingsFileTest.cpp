// The settings file on disk, with the real window layout placing the window:
// what a file of each shape makes of the form, how a bad file is repaired,
// and what a save writes.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "app/Schedule.h"
#include "app/ScheduleFakes.h"
#include "app/SettingsFile.h"
#include "platform/TempFolder.h"
#include "ui/LayoutFakes.h"
#include "ui/LayoutWindowPlacement.h"

using namespace quaverly;
using namespace quaverly::test;

namespace {

void WriteBytes(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// One start of the player as far as the settings file goes: a fresh form,
// the window layout, the schedule and the file at one path.
struct Start {
    explicit Start(const std::string &path)
    {
        InitFormResource(form);
        screen.Work = TScreenRect{0, 0, 1024, 740};
        settings = std::make_unique<TSettingsFile>(path, form, schedule, placement);
    }
    TFormModel form;
    FakeScreen screen;
    FakeVideo video;
    TWindowLayout layout{form, screen, video};
    TLayoutWindowPlacement placement{form, layout, screen};
    FakeClock clock;
    ScriptedRandom random;
    FakeScheduleActions actions{form};
    TSchedule schedule{form, clock, random, actions};
    std::unique_ptr<TSettingsFile> settings;
};

class SettingsFileTest : public testing::Test {
protected:
    // Loads a file holding `bytes` and returns what the file holds afterwards.
    std::string LoadFrom(const std::string &bytes)
    {
        WriteBytes(path, bytes);
        start = std::make_unique<Start>(path);
        start->settings->LoadSettings();
        return ReadFile(path);
    }

    TempFolder folder;
    std::string path = folder / "quaverly.ini";
    std::unique_ptr<Start> start;
};

TEST_F(SettingsFileTest, MissingFileKeepsTheBuiltInValuesAndWritesNothing)
{
    Start s(path);
    s.settings->LoadSettings();
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(9, s.form.State.DisplayModeSetting);
    EXPECT_EQ(8, s.form.State.ScheduleStartHour);
    EXPECT_TRUE(s.form.State.WindowCentred);
    EXPECT_EQ(108, s.form.Form.Height);
}

TEST_F(SettingsFileTest, GoodFileIsAppliedAndLeftUntouched)
{
    const std::string file = "/home/u/music \r\n1112152409\r\n 5 \r\n100,200,300\r\nkept\r\n";
    EXPECT_EQ(file, LoadFrom(file));
    const TFormModel &form = start->form;
    EXPECT_EQ("/home/u/music", form.State.OpenDialogInitialDir);
    EXPECT_EQ("1112152409", start->schedule.ScheduleText());
    EXPECT_EQ(9, form.State.ScheduleStartHour);
    EXPECT_EQ(5, form.State.DisplayModeSetting);
    EXPECT_EQ(100, form.Form.Left);
    EXPECT_EQ(200, form.Form.Top);
    EXPECT_EQ(300, form.Form.Height);
    EXPECT_EQ(264, form.MListPanel.Height) << "the list follows the window's height";
    EXPECT_FALSE(form.State.WindowCentred);
    EXPECT_FALSE(form.State.GeometryDirty);

    EXPECT_EQ("d\r\n1213152208\r\n", LoadFrom("d\r\n1213152208\r\n"));
    EXPECT_TRUE(start->schedule.ScheduleText().empty()) << "the default is the built-in schedule";
}

TEST_F(SettingsFileTest, BadLinesAreRepairedAtOnceAndTheRepairIsStable)
{
    struct Case {
        const char *line2, *line3, *line4;
        const char *written2, *written3, *written4;
    };
    const Case cases[] = {
        {"2409132018", "5", "100,200", "1213152208", "5", "100,200"},
        {"0213152208", "7", "", "1213152208", "9", ""},
        {"12131522", "0", "100,200,300", "1213152208", "9", "100,200,300"},
        {"1213152208", "55", "100", "1213152208", "9", ""},
        {"1213152208", "9", "-5000,-5000", "1213152208", "9", ""},
        {"1213152208", "9", "99999999999,5", "1213152208", "9", ""},
        {"1213152208", "9", "x,y", "1213152208", "9", ""},
        {"1213152208", "9", "x,y,400", "1213152208", "9", "400"},
        {"1213152208", "9", "5000,5000", "1213152208", "9", "829,632"},
        {"1213152208", "9", "100,200,9000", "1213152208", "9", "100,0,740"},
        {"1213152208", "9", "100,-50", "1213152208", "9", "100,0"},
    };
    for (const Case &c : cases) {
        const std::string file = std::string("/m\r\n") + c.line2 + "\r\n" + c.line3 + "\r\n" + c.line4 + "\r\nfifth\n";
        const std::string expected =
            std::string("/m\r\n") + c.written2 + "\r\n" + c.written3 + "\r\n" + c.written4 + "\r\nfifth\n";
        const std::string repaired = LoadFrom(file);
        EXPECT_EQ(expected, repaired) << file;
        EXPECT_FALSE(start->form.State.GeometryDirty) << file;
        EXPECT_EQ(repaired, LoadFrom(repaired)) << "a repaired file needs no second repair: " << file;
    }
}

TEST_F(SettingsFileTest, AnyLineEndingsBomEmptyBinaryAndHugeFilesAreRead)
{
    EXPECT_EQ("/music\r\n1213152208\r\n9\r\n100,200\r\ntail1\rtail2\n",
              LoadFrom("\xEF\xBB\xBF/music\rbad\n7\r\n100,200\r\ntail1\rtail2\n"));
    EXPECT_EQ("/music", start->form.State.OpenDialogInitialDir);
    EXPECT_EQ(100, start->form.Form.Left);

    EXPECT_EQ("", LoadFrom(""));
    EXPECT_EQ("\r\n1213152208\r\n9\r\n", LoadFrom("\r\n\r\n")) << "an empty line 2 has the wrong length";

    std::string binary;
    for (int i = 0; i < 3000; ++i)
        binary.push_back(char((i * 37) % 256));
    const std::string repaired = LoadFrom(binary);
    EXPECT_EQ(9, start->form.State.DisplayModeSetting);
    EXPECT_EQ(repaired, LoadFrom(repaired));

    // The fourth line ends exactly where the reader's first 8192-byte chunk
    // does; line 1 keeps its first 4096 bytes.
    const std::string longFolder(8173, 'a');
    EXPECT_EQ(longFolder.substr(0, 4096) + "\r\n1213152208\r\n9\r\n\r\nfifth\r\n",
              LoadFrom(longFolder + "\r\n1213152208\r\n7\r\n\r\nfifth\r\n"));

    // Four short lines and a long rest: read in bounded memory, the rest
    // copied unchanged when the file is rewritten.
    const std::string rest(8 << 20, 'r');
    const std::string big = LoadFrom("/m\r\n1213152208\r\n7\r\n\r\n" + rest);
    EXPECT_EQ("/m\r\n1213152208\r\n9\r\n\r\n" + rest, big);
}

TEST_F(SettingsFileTest, SaveWritesTheNormalViewsPlaceAndHeight)
{
    Start s(path);
    TFormModel &form = s.form;
    form.State.OpenDialogInitialDir = "/home/u/music";
    form.State.DisplayModeSetting = 3;
    form.State.FormActivated = true;
    form.State.WindowCentred = false;
    form.State.GeometryDirty = true;
    // The video view, 270 x 150, stands at (300, 100); the list below would be
    // 200 + 36 high.
    form.Form.Left = 300;
    form.Form.Top = 100;
    form.Form.Width = 270;
    form.Form.Height = 150;
    form.MListPanel.Height = 200;
    s.settings->SaveSettings();
    EXPECT_EQ("/home/u/music\r\n1213152208\r\n3\r\n337,57,236\r\n", ReadFile(path));
    EXPECT_FALSE(form.State.GeometryDirty);

    // Read back, the normal view stands where the video view was centred.
    Start again(path);
    again.settings->LoadSettings();
    EXPECT_EQ(337, again.form.Form.Left);
    EXPECT_EQ(57, again.form.Form.Top);
    EXPECT_EQ(236, again.form.Form.Height);
    EXPECT_EQ(3, again.form.State.DisplayModeSetting);

    // Without dirty geometry line 4 stays as it is.
    WriteBytes(path, "/a\r\n1112152409\r\n4\r\n1,2\r\n");
    Start third(path);
    third.settings->LoadSettings();
    third.form.State.DisplayModeSetting = 8;
    third.settings->SaveSettings();
    EXPECT_EQ("/a\r\n1112152409\r\n8\r\n1,2\r\n", ReadFile(path));
}

TEST_F(SettingsFileTest, FolderThatWouldBreakTheLinesIsNotStored)
{
    WriteBytes(path, "/old\r\n1213152208\r\n9\r\n");
    for (const char *folderName : {"/new\nfolder", " /lead", "/trail ", "/cr\rx"}) {
        Start s(path);
        s.settings->LoadSettings();
        s.form.State.OpenDialogInitialDir = folderName;
        s.form.State.DisplayModeSetting = 5;
        s.settings->SaveSettings();
        EXPECT_EQ("/old\r\n1213152208\r\n5\r\n", ReadFile(path)) << folderName;
    }
    std::filesystem::remove(path);
    Start fresh(path);
    fresh.form.State.OpenDialogInitialDir = "/x\ny";
    fresh.settings->SaveSettings();
    EXPECT_EQ("\r\n1213152208\r\n9\r\n", ReadFile(path));
}

TEST_F(SettingsFileTest, UnwritableFolderIsReportedOnceAndKeepsTheGeometryDirty)
{
    Start s(folder / "no-such-folder/quaverly.ini");
    s.form.State.GeometryDirty = true;
    s.form.State.WindowCentred = false;
    testing::internal::CaptureStderr();
    s.settings->SaveSettings();
    s.settings->SaveSettings();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(s.form.State.GeometryDirty);
    EXPECT_EQ(1, std::count(said.begin(), said.end(), '\n')) << said;
    EXPECT_NE(std::string::npos, said.find("no-such-folder/quaverly.ini")) << said;

    // A write that fails at the rename (a folder stands where the file
    // should) leaves no temporary file behind.
    const std::string blocked = folder / "blocked.ini";
    std::filesystem::create_directory(blocked);
    Start t(blocked);
    t.form.State.GeometryDirty = true;
    testing::internal::CaptureStderr();
    t.settings->SaveSettings();
    EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
    EXPECT_TRUE(t.form.State.GeometryDirty);
    EXPECT_TRUE(std::filesystem::is_directory(blocked));
    for (const auto &entry : std::filesystem::directory_iterator(folder.path()))
        EXPECT_EQ(std::string::npos, entry.path().filename().string().find(".tmp")) << entry.path();
}

}  // namespace
