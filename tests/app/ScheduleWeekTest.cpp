// A week of the default schedule, one timer tick per second, with a fixed
// random seed: each day drawn once, play and pause hours by the rules, a
// network row never paused, nothing growing.
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>

#include "app/Schedule.h"
#include "app/ScheduleFakes.h"

using namespace quaverly;
using namespace quaverly::test;

namespace {

constexpr std::int64_t kFirstDay = 46000;
constexpr int kDays = 7;

bool PauseHourByDefault(int hour)
{
    return hour == 13 || hour == 14 || hour >= 22 || hour < 8;
}

TEST(ScheduleWeekTest, SevenDaysFollowTheRulesHourByHour)
{
    TFormModel form;
    InitFormResource(form);
    FakeClock clock;
    SystemRandom random(20251209);
    FakeScheduleActions actions(form);
    actions.playlist[1].SubItems[0] = "http://127.0.0.1:8000/radio";
    form.MList.Items = actions.playlist;
    RecordingScheduleLog log;
    clock.Set(kFirstDay, 0, 0, 5);
    TSchedule schedule(form, clock, random, actions, &log);

    std::map<std::int64_t, int> drawsPerDay;
    std::set<std::int64_t> playDays;
    int networkHoursKept = 0, pauses = 0, plays = 0;

    for (std::int64_t tick = 5; tick < std::int64_t(kDays) * 86400; ++tick) {
        const std::int64_t day = kFirstDay + tick / 86400;
        const int secondOfDay = int(tick % 86400);
        const int hour = secondOfDay / 3600;
        clock.Set(day, hour, secondOfDay / 60 % 60, secondOfDay % 60);

        // Every evening at 23:30 the user stops whatever still plays (a
        // network row is not stopped by the schedule).
        if (secondOfDay == 23 * 3600 + 1800 && form.Playing()) {
            actions.StopPlayback();
            actions.ShowStoppedState();
        }

        const bool wasPlaying = form.Playing();
        const bool wasNetwork = form.State.IsUrl;
        const std::size_t callsBefore = actions.calls.size();
        const std::size_t linesBefore = log.lines.size();
        schedule.Timer2Timer();

        if (secondOfDay % 3600 != 0) {
            ASSERT_EQ(callsBefore, actions.calls.size()) << "only the full hour acts, day " << day << " " << secondOfDay;
            ASSERT_EQ(linesBefore, log.lines.size());
            continue;
        }
        ASSERT_LE(log.lines.size() - linesBefore, 2u) << "at most a draw and a decision per hour";
        for (std::size_t i = linesBefore; i < log.lines.size(); ++i)
            if (log.lines[i].find("kind 1:") != std::string::npos)
                ++drawsPerDay[day];
        if (hour == 8 && form.State.TodayActive)
            playDays.insert(day);

        const bool started = actions.calls.size() > callsBefore &&
                             actions.calls.back().rfind("PlayCurrentItem", 0) == 0;
        plays += started;
        if (PauseHourByDefault(hour) || !form.State.TodayActive) {
            ASSERT_FALSE(started) << "a pause hour started a row, day " << day << " hour " << hour;
            if (wasPlaying && wasNetwork) {
                ASSERT_TRUE(form.Playing()) << "a network row was paused";
                ++networkHoursKept;
            } else if (wasPlaying) {
                ASSERT_FALSE(form.Playing());
                ++pauses;
            }
        }
        if (hour == 8 && form.State.TodayActive) {
            ASSERT_TRUE(form.Playing()) << "the start hour of a play day plays";
        }
        ASSERT_EQ(3, form.MList.Count());
    }

    EXPECT_EQ(0, drawsPerDay.count(kFirstDay)) << "the first day counts as drawn at start";
    for (std::int64_t day = kFirstDay + 1; day < kFirstDay + kDays; ++day)
        EXPECT_EQ(1, drawsPerDay[day]) << "day " << day;
    // With this seed the week has play days and no-play days, network hours
    // and pauses, so every rule above was exercised.
    EXPECT_GE(int(playDays.size()), 2);
    EXPECT_LE(int(playDays.size()), kDays - 1);
    EXPECT_GT(networkHoursKept, 0);
    EXPECT_GT(pauses, 0);
    EXPECT_GT(plays, 0);
}

}  // namespace
