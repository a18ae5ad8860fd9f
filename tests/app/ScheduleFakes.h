#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "app/ClockTime.h"
#include "app/ScheduleActions.h"
#include "app/ScheduleLog.h"
#include "platform/Clock.h"
#include "platform/Random.h"
#include "core/FormModel.h"

namespace quaverly::test {

// A wall clock the test sets; day 46000 is 2025-12-09.
class FakeClock final : public IClock {
public:
    std::uint64_t TickCountMs() override { return 0; }
    double Now() override { return now; }
    void Set(std::int64_t day, int hour, int minute, int second) { now = DayCountOf(day, hour, minute, second); }
    double now = DayCountOf(46000, 7, 0, 0);
};

// Answers from a script, then `fallback`; counts the draws.
class ScriptedRandom final : public IRandom {
public:
    int Next(int range) override
    {
        ++draws;
        int value = fallback;
        if (!script.empty()) {
            value = script.front();
            script.pop_front();
        }
        return value < range ? value : range - 1;
    }
    std::deque<int> script;
    int fallback = 0;
    int draws = 0;
};

// The player as far as the schedule sees it: playing turns the stop button
// on, stopping turns it off, a random playlist fills the list.
class FakeScheduleActions final : public IScheduleActions {
public:
    explicit FakeScheduleActions(TFormModel &form) : form_(form) {}
    bool ModalOpen() const override { return modal; }
    void PickRandomPlaylist() override
    {
        calls.push_back("PickRandomPlaylist");
        if (!playlist.empty()) {
            form_.MList.Items = playlist;
            form_.sbAbout.Visible = false;
        }
    }
    void ChooseNextIndex() override
    {
        calls.push_back("ChooseNextIndex");
        const int rows = form_.MList.Count();
        form_.State.NextIndex = rows > 0 ? (form_.State.CurrentIndex + 1) % rows : 0;
    }
    void PlayCurrentItem() override
    {
        calls.push_back("PlayCurrentItem " + std::to_string(form_.State.NextIndex));
        form_.State.CurrentIndex = form_.State.NextIndex;
        form_.State.IsUrl = form_.MList.Items[std::size_t(form_.State.CurrentIndex)].SubItems[0].find("://") !=
                            std::string::npos;
        form_.sbStop.Enabled = true;
        form_.State.Timer1Enabled = true;
    }
    void StopPlayback() override
    {
        calls.push_back("StopPlayback");
        form_.sbStop.Enabled = false;
    }
    void ShowStoppedState() override
    {
        calls.push_back(form_.State.ScheduleStopped ? "ShowStoppedState by schedule" : "ShowStoppedState");
        form_.State.ScheduleStopped = false;
    }
    void PickRandomDisplayMode() override { calls.push_back("PickRandomDisplayMode"); }

    bool modal = false;
    // What a random playlist of the program folder holds; empty: there is none.
    std::vector<TListItem> playlist{{"a", {"/m/a.mp3"}, false}, {"b", {"/m/b.ogg"}, false}, {"c", {"/m/c.wav"}, false}};
    std::vector<std::string> calls;

private:
    TFormModel &form_;
};

class RecordingScheduleLog final : public IScheduleLog {
public:
    void Write(const std::string &line) override { lines.push_back(line); }
    std::vector<std::string> lines;
};

}  // namespace quaverly::test
