#pragma once

#include <cstdint>

namespace quaverly {

// A local wall-clock time broken into the fields the schedule reads.
struct TClockTime {
    std::int64_t Day = 0;   // days since 1899-12-30
    int Hour = 0;           // 0..23
    int Minute = 0;
    int Second = 0;

    int SecondOfHour() const { return Minute * 60 + Second; }
};

// The fields of a day count with the time of day as its fraction (what
// IClock::Now returns), rounded to the nearest millisecond first so that
// 13:59:59.9999 reads as 14:00:00.
TClockTime ClockTimeOf(double dayCount);

// The day count of a local date and time; the inverse of ClockTimeOf.
double DayCountOf(std::int64_t day, int hour, int minute, int second);

}  // namespace quaverly
