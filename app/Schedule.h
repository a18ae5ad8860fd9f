#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/ClockTime.h"
#include "app/ScheduleActions.h"
#include "app/ScheduleLog.h"
#include "app/ScheduleRules.h"
#include "platform/Clock.h"
#include "platform/Random.h"
#include "core/FormModel.h"

namespace quaverly {

// The daily schedule: at every full hour it decides whether the player plays
// or pauses, and once a day, at the start hour, whether the day plays at all.
// Timer2Timer is the handler of the one-second schedule timer; ScheduleCheck
// answers the start-up's questions too. The day flag (TodayActive), the
// one-shot pass (SchedulePass), the start hour and the stop marker
// (ScheduleStopped) live in the form model, where the start-up and the
// playback controller read and write them as well.
class TSchedule {
public:
    // The log may be null: nothing is written then.
    TSchedule(TFormModel &form, IClock &clock, IRandom &random, IScheduleActions &actions,
              IScheduleLog *log = nullptr);

    // True when a ten-character text is a usable schedule; then the start
    // hour of the form model follows it. Does not adopt the text.
    bool ValidateSchedule(std::string_view text);
    // Adopts a text that ValidateSchedule accepted; empty: the built-in one.
    void SetScheduleText(std::string_view text);
    // The adopted text; empty while the built-in schedule is used.
    const std::string &ScheduleText() const { return text_; }

    // Kinds: 0 may an unattended start run now; 1 is today a play day;
    // 2 play during the coming hour; 3 the new pass after a start by hand.
    bool ScheduleCheck(int kind);
    void Timer2Timer();

private:
    bool Check(int kind, const TClockTime &now);
    void PlayHour();
    void PauseHour(const TClockTime &now);
    bool VideoViewShown() const { return form_.VdoPanel.Top == 3; }
    void Log(const TClockTime &now, const std::string &what);

    TFormModel &form_;
    TMainState &state_;
    IClock &clock_;
    IRandom &random_;
    IScheduleActions &actions_;
    IScheduleLog *log_;
    std::string text_;
    TScheduleRules rules_;
    bool busy_ = false;
    // The hour decided last: a second tick in the same second 0 (a timer
    // firing early, a clock stepped back) or in second 1 does not decide it
    // again, however long ago the tick before was.
    std::int64_t decidedDay_ = -1;
    int decidedHour_ = -1;
    // The day of the last draw; the day the player started counts as drawn.
    std::int64_t drawDay_ = 0;
};

}  // namespace quaverly
