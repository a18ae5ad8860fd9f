#include "app/Schedule.h"

#include <utility>

namespace quaverly {

namespace {

constexpr const char *kNoPlayDayTitle = "今日停播";
// A video without a known length, or one this long, is not cut by a pause hour.
constexpr int kLongVideoSeconds = 600;

}  // namespace

TSchedule::TSchedule(TFormModel &form, IClock &clock, IRandom &random, IScheduleActions &actions,
                     IScheduleLog *log)
    : form_(form), state_(form.State), clock_(clock), random_(random), actions_(actions), log_(log)
{
    drawDay_ = ClockTimeOf(clock_.Now()).Day;
}

bool TSchedule::ValidateSchedule(std::string_view text)
{
    const auto rules = ParseScheduleText(text);
    if (!rules)
        return false;
    state_.ScheduleStartHour = rules->StartHour();
    return true;
}

void TSchedule::SetScheduleText(std::string_view text)
{
    const auto rules = ParseScheduleText(text);
    text_ = rules ? std::string(text) : std::string();
    rules_ = rules ? *rules : TScheduleRules{};
}

bool TSchedule::ScheduleCheck(int kind)
{
    return Check(kind, ClockTimeOf(clock_.Now()));
}

bool TSchedule::Check(int kind, const TClockTime &now)
{
    const int hour = now.Hour;
    const bool passWanted = state_.SchedulePass;
    state_.SchedulePass = false;
    const std::string head = "kind " + std::to_string(kind) + ": ";
    const char *yes = kind == 1 ? "draw: yes" : "play";
    const char *no = kind == 1 ? "draw: no" : "pause";
    auto answer = [&](bool result, const std::string &rule) {
        Log(now, head + rule + " -> " + (result ? yes : no));
        return result;
    };

    if (kind == 2 && (passWanted || hour == state_.ScheduleStartHour))
        return answer(true, passWanted ? "started by hand or by argument" : "start hour of the day");

    const bool lastHour = rules_.IsLastHour(hour);
    if (lastHour && (kind == 0 || kind == 3) && now.Minute >= 30)
        return answer(kind == 3, "second half of a last hour");

    if (rules_.InPeriod(hour)) {
        if (kind == 3)
            return answer(!lastHour, lastHour ? "first half of a last hour" : "in a period");
        const int drawn = random_.Next(rules_.D);
        return answer(drawn < rules_.N, "in a period, drew " + std::to_string(drawn) + " for a chance of " +
                                            std::to_string(rules_.N) + " in " + std::to_string(rules_.D));
    }

    std::string rule = "outside the periods";
    if (hour == rules_.E2) {
        state_.TodayActive = false;
        rule += ", the day is over";
    }
    return answer(kind == 3 && now.Minute >= 30, rule);
}

void TSchedule::Timer2Timer()
{
    // A box or dialog runs its own event loop; a tick that arrives inside
    // it, or inside the schedule's own calls, must not decide anything.
    if (busy_ || state_.Connecting || actions_.ModalOpen())
        return;

    // The hour is decided on the tick of its second 0, or of second 1 when
    // 0 was missed; the hour decided last tells whether it was.
    const TClockTime now = ClockTimeOf(clock_.Now());
    const int second = now.SecondOfHour();
    if (second > 1 || (now.Day == decidedDay_ && now.Hour == decidedHour_))
        return;
    decidedDay_ = now.Day;
    decidedHour_ = now.Hour;

    busy_ = true;
    // The day is drawn when it was over, and also when its end was never
    // seen (an end hour of 24, a night slept through).
    if (now.Hour == state_.ScheduleStartHour && (!state_.TodayActive || drawDay_ < now.Day)) {
        drawDay_ = now.Day;
        state_.TodayActive = Check(1, now);
        if (!state_.TodayActive)
            form_.ApplicationTitle = kNoPlayDayTitle;
    }
    if (!state_.TodayActive)
        Log(now, "kind 2: not a play day -> pause");
    if (state_.TodayActive && Check(2, now))
        PlayHour();
    else
        PauseHour(now);
    busy_ = false;
}

void TSchedule::PlayHour()
{
    // A single file started by argument is not replaced by a playlist.
    if (form_.Playing() || state_.StartMode == 2)
        return;
    const int selected = form_.MList.FirstSelected();
    if (selected >= 0)
        state_.NextIndex = selected;
    if (form_.CreditShown() || state_.NextIndex == state_.CurrentIndex || form_.MList.Count() == 0) {
        actions_.PickRandomPlaylist();
        // The credit view's rows are not a playlist.
        if (form_.CreditShown() || form_.MList.Count() == 0)
            return;
        actions_.ChooseNextIndex();
    }
    actions_.PlayCurrentItem();
}

void TSchedule::PauseHour(const TClockTime &now)
{
    if (!form_.Playing())
        return;
    const char *kept = nullptr;
    if (state_.IsUrl)
        kept = "a network item";
    else if (state_.StartMode == 2)
        kept = "a single file started by argument";
    else if (VideoViewShown() && (state_.ItemLength <= 0 || state_.ItemLength >= kLongVideoSeconds))
        kept = "a long video";
    if (kept) {
        Log(now, std::string("pause hour: ") + kept + " plays on");
        return;
    }
    state_.Timer1Enabled = false;
    actions_.StopPlayback();
    state_.ScheduleStopped = true;
    actions_.ShowStoppedState();
    if (form_.AudioEngineAvailable() && state_.DisplayModeSetting > 7)
        actions_.PickRandomDisplayMode();
}

void TSchedule::Log(const TClockTime &now, const std::string &what)
{
    if (log_)
        log_->Write(FormatClockTime(now) + " " + what);
}

}  // namespace quaverly
