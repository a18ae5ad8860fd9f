// The daily schedule against a fake clock and random source: the rules of
// each hour, the once-an-hour trigger, the day draw, and what play and pause
// hours do to the player.
#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>

#include "app/Schedule.h"
#include "app/ScheduleRules.h"
#include "app/ScheduleFakes.h"
#include "platform/TempFolder.h"

using namespace quaverly;
using namespace quaverly::test;

namespace {

constexpr std::int64_t kDay = 46000;   // 2025-12-09

class ScheduleTest : public testing::Test {
protected:
    ScheduleTest()
    {
        InitFormResource(form);
        schedule = std::make_unique<TSchedule>(form, clock, random, actions, &log);
    }

    void UseSchedule(const std::string &text)
    {
        ASSERT_TRUE(schedule->ValidateSchedule(text)) << text;
        schedule->SetScheduleText(text);
    }

    // The answers of one kind at the given minute of every hour, '1' for yes.
    std::string AnswersOverTheDay(int kind, int minute)
    {
        std::string answers;
        for (int hour = 0; hour < 24; ++hour) {
            clock.Set(kDay, hour, minute, 0);
            form.State.SchedulePass = false;
            answers += schedule->ScheduleCheck(kind) ? '1' : '0';
        }
        return answers;
    }

    void TickAt(std::int64_t day, int hour, int minute, int second)
    {
        clock.Set(day, hour, minute, second);
        schedule->Timer2Timer();
    }

    int LinesOfKind(int kind) const
    {
        int n = 0;
        for (const std::string &line : log.lines)
            n += line.find("kind " + std::to_string(kind) + ":") != std::string::npos;
        return n;
    }

    void StartPlaying(int row)
    {
        form.MList.Items = actions.playlist;
        form.State.NextIndex = row;
        actions.PlayCurrentItem();
        actions.calls.clear();
    }

    TFormModel form;
    FakeClock clock;
    ScriptedRandom random;
    FakeScheduleActions actions{form};
    RecordingScheduleLog log;
    std::unique_ptr<TSchedule> schedule;
};

TEST(ScheduleRulesTest, TextsAreAcceptedOnlyWhenDigitsAndHoursAreConsistent)
{
    const std::map<std::string, int> accepted = {
        {"1213152208", 8}, {"1112152409", 9}, {"1310101508", 8}, {"1105050905", 5}, {"1105060605", -1},
        {"9900000000", -1}};
    for (const auto &[text, startHour] : accepted) {
        const auto rules = ParseScheduleText(text);
        ASSERT_TRUE(rules) << text;
        EXPECT_EQ(startHour, rules->StartHour()) << text;
    }
    for (const char *refused : {"2409132018", "0213152208", "3213152208", "1213152508", "12131522a8", "121315220",
                                "12131522080", " 213152208", "1213-52208"})
        EXPECT_FALSE(ParseScheduleText(refused)) << refused;
}

TEST_F(ScheduleTest, ValidateScheduleSetsTheStartHourOnlyForAUsableText)
{
    EXPECT_FALSE(schedule->ValidateSchedule("2409132018"));
    EXPECT_EQ(8, form.State.ScheduleStartHour);
    EXPECT_TRUE(schedule->ValidateSchedule("1112152409"));
    EXPECT_EQ(9, form.State.ScheduleStartHour);
    EXPECT_TRUE(schedule->ScheduleText().empty()) << "validating alone adopts nothing";
}

TEST_F(ScheduleTest, DefaultScheduleAnswersEveryHourByPeriodsAndLastHours)
{
    random.fallback = 0;   // every draw within a period says yes
    EXPECT_EQ("000000001111100111111100", AnswersOverTheDay(0, 10));
    EXPECT_EQ("000000001111000111111000", AnswersOverTheDay(0, 40));
    EXPECT_EQ("000000001111000111111000", AnswersOverTheDay(3, 10));
    EXPECT_EQ("111111111111111111111111", AnswersOverTheDay(3, 40));
    random.fallback = 1;   // every draw says no: only the start hour plays
    EXPECT_EQ("000000001000000000000000", AnswersOverTheDay(2, 10));
}

TEST_F(ScheduleTest, PeriodEndingAtMidnightHasItsLastHourAtTwentyThree)
{
    UseSchedule("1112152409");
    random.fallback = 0;
    EXPECT_EQ("000000000111000111111111", AnswersOverTheDay(0, 10));
    EXPECT_EQ("000000000110000111111110", AnswersOverTheDay(0, 40));
    EXPECT_EQ("000000000110000111111110", AnswersOverTheDay(3, 10));
    EXPECT_EQ("000000000111000111111111", AnswersOverTheDay(2, 10)) << "a chance of 1 in 1 always plays";
}

TEST_F(ScheduleTest, AdjoiningPeriodsHaveNoLastHourBetweenThem)
{
    UseSchedule("1310101508");
    random.fallback = 0;
    EXPECT_EQ("000000001111111000000000", AnswersOverTheDay(0, 10));
    EXPECT_EQ("000000001111110000000000", AnswersOverTheDay(0, 40));
    EXPECT_EQ("000000001111110000000000", AnswersOverTheDay(3, 10));
    random.fallback = 2;
    EXPECT_EQ("000000001000000000000000", AnswersOverTheDay(2, 10));
}

TEST_F(ScheduleTest, PassIsConsumedByAnyCheckAndTheEndHourClosesTheDay)
{
    clock.Set(kDay, 14, 10, 0);
    form.State.SchedulePass = true;
    EXPECT_FALSE(schedule->ScheduleCheck(0));
    EXPECT_FALSE(form.State.SchedulePass);
    form.State.SchedulePass = true;
    EXPECT_TRUE(schedule->ScheduleCheck(2));
    EXPECT_FALSE(form.State.SchedulePass);

    EXPECT_TRUE(form.State.TodayActive);
    clock.Set(kDay, 21, 59, 59);
    schedule->ScheduleCheck(2);
    EXPECT_TRUE(form.State.TodayActive);
    clock.Set(kDay, 22, 0, 0);
    schedule->ScheduleCheck(2);
    EXPECT_FALSE(form.State.TodayActive);
}

TEST_F(ScheduleTest, HourIsDecidedOnceOnSecondZeroOrOnSecondOneWhenZeroWasMissed)
{
    // Second 0 missed: second 1 decides, once.
    TickAt(kDay, 13, 59, 59);
    TickAt(kDay, 14, 0, 1);
    TickAt(kDay, 14, 0, 2);
    ASSERT_EQ(1, LinesOfKind(2));
    EXPECT_NE(std::string::npos, log.lines.back().find("14:00:01"));

    // Second 0 seen: second 1 does nothing; a second tick in second 0 (a
    // timer firing early, the clock stepped back) does nothing either.
    clock.Set(kDay, 15, 0, 0);
    clock.now += 0.6 / 86400;
    schedule->Timer2Timer();
    clock.now -= 0.4 / 86400;
    schedule->Timer2Timer();
    TickAt(kDay, 15, 0, 1);
    EXPECT_EQ(2, LinesOfKind(2));
    const int drawsAfter15 = random.draws;

    // Both seconds missed: the hour is skipped.
    TickAt(kDay, 15, 59, 58);
    TickAt(kDay, 16, 0, 2);
    EXPECT_EQ(2, LinesOfKind(2));
    EXPECT_EQ(drawsAfter15, random.draws);
}

TEST_F(ScheduleTest, ModalBoxOrConnectingHoldsTheHourBack)
{
    actions.modal = true;
    TickAt(kDay, 14, 0, 0);
    EXPECT_EQ(0, LinesOfKind(2));
    actions.modal = false;
    TickAt(kDay, 14, 0, 1);
    EXPECT_EQ(1, LinesOfKind(2)) << "the box closed within the second after the hour";

    form.State.Connecting = true;
    TickAt(kDay, 15, 0, 0);
    TickAt(kDay, 15, 0, 1);
    EXPECT_EQ(1, LinesOfKind(2));
}

TEST_F(ScheduleTest, DayIsDrawnAtTheStartHourAfterItsEndAndAfterANightSleptThrough)
{
    // The day the player starts counts as drawn: 08:00 plays without a draw.
    TickAt(kDay, 8, 0, 0);
    EXPECT_EQ(0, LinesOfKind(1));
    EXPECT_TRUE(form.Playing());

    // 22:00 ends the day; the next morning draws "no".
    TickAt(kDay, 22, 0, 0);
    EXPECT_FALSE(form.State.TodayActive);
    EXPECT_FALSE(form.Playing());
    random.script = {1};
    TickAt(kDay + 1, 8, 0, 0);
    EXPECT_EQ(1, LinesOfKind(1));
    EXPECT_FALSE(form.State.TodayActive);
    EXPECT_EQ("今日停播", form.ApplicationTitle);
    TickAt(kDay + 1, 9, 0, 0);
    EXPECT_FALSE(form.Playing()) << "a no-play day plays no hour";

    // A play day, and the machine sleeps from 21:30 to the next morning:
    // 22:00 is never seen and the day flag stays set, yet the next start
    // hour draws.
    random.script = {0};
    TickAt(kDay + 2, 8, 0, 0);
    EXPECT_TRUE(form.State.TodayActive);
    TickAt(kDay + 2, 21, 0, 0);
    random.script = {1};
    TickAt(kDay + 3, 8, 0, 1);
    EXPECT_EQ(3, LinesOfKind(1));
    EXPECT_FALSE(form.State.TodayActive);
}

TEST_F(ScheduleTest, PeriodEndingAtMidnightStillGetsADrawEachMorning)
{
    UseSchedule("1112152409");
    for (std::int64_t day = kDay + 1; day <= kDay + 3; ++day) {
        TickAt(day - 1, 23, 0, 0);
        TickAt(day, 9, 0, 0);
        TickAt(day, 9, 0, 0);
    }
    EXPECT_EQ(3, LinesOfKind(1));
}

TEST_F(ScheduleTest, PlayHourContinuesOrStartsTheSelectedRowOrARandomPlaylist)
{
    // Something plays: it goes on.
    StartPlaying(0);
    form.State.SchedulePass = true;
    TickAt(kDay, 10, 0, 0);
    EXPECT_TRUE(actions.calls.empty());

    // Stopped, with a row selected other than the last played: that row.
    actions.StopPlayback();
    form.MList.Items.Select(2);
    actions.calls.clear();
    form.State.SchedulePass = true;
    TickAt(kDay, 11, 0, 0);
    EXPECT_EQ((std::vector<std::string>{"PlayCurrentItem 2"}), actions.calls);

    // Stopped on the last played row: a random playlist and the next row.
    actions.StopPlayback();
    actions.calls.clear();
    form.State.SchedulePass = true;
    TickAt(kDay, 12, 0, 0);
    EXPECT_EQ((std::vector<std::string>{"PickRandomPlaylist", "ChooseNextIndex", "PlayCurrentItem 0"}), actions.calls);
}

TEST_F(ScheduleTest, PlayHourLeavesTheCreditViewAndASingleFileStartAlone)
{
    // The last row was deleted and no playlist lies in the folder: the credit
    // view's rows are not played.
    form.MList.Items = {{"credit", {"credit"}, false}};
    form.sbAbout.Visible = true;
    actions.playlist.clear();
    form.State.PlaylistPath = "/m/list.m3u";
    form.State.SchedulePass = true;
    TickAt(kDay, 10, 0, 0);
    EXPECT_EQ((std::vector<std::string>{"PickRandomPlaylist"}), actions.calls);

    // A single file the user stopped is not replaced by a random playlist.
    actions.calls.clear();
    form.sbAbout.Visible = false;
    form.State.StartMode = 2;
    form.State.SchedulePass = true;
    TickAt(kDay, 11, 0, 0);
    EXPECT_TRUE(actions.calls.empty());
}

TEST_F(ScheduleTest, PauseHourStopsAndMinimisesButSparesNetworkSingleFileAndLongVideo)
{
    form.VisBox.Visible = true;   // the audio engine is there
    form.State.DisplayModeSetting = 8;
    StartPlaying(0);
    TickAt(kDay, 14, 0, 0);
    EXPECT_EQ((std::vector<std::string>{"StopPlayback", "ShowStoppedState by schedule", "PickRandomDisplayMode"}),
              actions.calls);
    EXPECT_FALSE(form.State.Timer1Enabled);

    struct Spared {
        const char *what;
        bool url;
        int startMode;
        int videoTop;
        int length;
    };
    const Spared spared[] = {{"network item", true, 0, -105, 200},
                             {"single file", false, 2, -105, 200},
                             {"video of unknown length", false, 0, 3, 0},
                             {"video of ten minutes", false, 0, 3, 600}};
    int hour = 2;
    for (const Spared &s : spared) {
        StartPlaying(0);
        form.State.IsUrl = s.url;
        form.State.StartMode = s.startMode;
        form.VdoPanel.Top = s.videoTop;
        form.State.ItemLength = s.length;
        TickAt(kDay + 1, hour++, 0, 0);   // outside the periods
        EXPECT_TRUE(actions.calls.empty()) << s.what;
        EXPECT_TRUE(form.Playing()) << s.what;
        EXPECT_NE(std::string::npos, log.lines.back().find("plays on")) << s.what;
    }

    // A shorter video is paused like any other row; mode 1 to 6 stays.
    form.State.DisplayModeSetting = 4;
    form.State.StartMode = 0;
    form.State.ItemLength = 599;
    TickAt(kDay + 1, hour, 0, 0);
    EXPECT_EQ((std::vector<std::string>{"StopPlayback", "ShowStoppedState by schedule"}), actions.calls);
}

TEST_F(ScheduleTest, DecisionsAreAppendedToTheLogFileOneLineEach)
{
    TempFolder folder;
    TFileScheduleLog file(folder / "schedule.log");
    TSchedule logged(form, clock, random, actions, &file);
    random.script = {1};
    clock.Set(kDay, 10, 0, 0);
    logged.Timer2Timer();
    clock.Set(kDay, 14, 0, 0);
    logged.Timer2Timer();
    EXPECT_EQ("2025-12-09 10:00:00 kind 2: in a period, drew 1 for a chance of 1 in 2 -> pause\n"
              "2025-12-09 14:00:00 kind 2: outside the periods -> pause\n",
              ReadFile(folder / "schedule.log"));

    testing::internal::CaptureStderr();
    TFileScheduleLog broken(folder / "missing/schedule.log");
    broken.Write("a");
    broken.Write("b");
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(1, std::count(said.begin(), said.end(), '\n')) << said;
}

}  // namespace
