#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quaverly {

// The daily schedule as line 2 of the settings file writes it: ten digits
// N D E1 B2 E2 B1 (E1, B2, E2 and B1 two digits each). Two play periods,
// B1:00-E1:00 and B2:00-E2:00, and a chance of N in D for each hour in them.
struct TScheduleRules {
    int N = 1;     // chance numerator
    int D = 2;     // chance denominator
    int E1 = 13;   // end hour of period 1 (the period ends at E1:00)
    int B2 = 15;   // start hour of period 2
    int E2 = 22;   // end hour of period 2 (24 = midnight)
    int B1 = 8;    // start hour of period 1

    // The hour of the day's draw: B1 when period 1 is not empty, else B2
    // when period 2 is not, else -1 (no draw ever).
    int StartHour() const;
    bool InPeriod(int hour) const;
    // The last hour of a period that the next period does not follow at once.
    bool IsLastHour(int hour) const;
};

// The schedule every file starts with, and what a refused line 2 becomes.
inline constexpr std::string_view kDefaultScheduleText = "1213152208";

// The rules of a ten-character text when it is all digits and consistent
// (N not 0, D >= N, B1 <= E1 <= B2 <= E2 <= 24); nothing otherwise.
std::optional<TScheduleRules> ParseScheduleText(std::string_view text);

}  // namespace quaverly
