#include "app/ClockTime.h"

#include <cmath>

namespace quaverly {

namespace {
constexpr std::int64_t kMsPerDay = 86400000;
}

TClockTime ClockTimeOf(double dayCount)
{
    std::int64_t day = std::int64_t(std::floor(dayCount));
    std::int64_t ms = std::llround((dayCount - double(day)) * double(kMsPerDay));
    if (ms >= kMsPerDay) {
        ++day;
        ms -= kMsPerDay;
    }
    if (ms < 0)
        ms = 0;
    TClockTime t;
    t.Day = day;
    t.Hour = int(ms / 3600000);
    t.Minute = int(ms / 60000 % 60);
    t.Second = int(ms / 1000 % 60);
    return t;
}

double DayCountOf(std::int64_t day, int hour, int minute, int second)
{
    return double(day) + double((hour * 60 + minute) * 60 + second) / 86400.0;
}

}  // namespace quaverly
