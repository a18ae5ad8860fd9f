#include "app/ScheduleRules.h"

namespace quaverly {

int TScheduleRules::StartHour() const
{
    if (E1 > B1)
        return B1;
    if (E2 > B2)
        return B2;
    return -1;
}

bool TScheduleRules::InPeriod(int hour) const
{
    return (B1 <= hour && hour < E1) || (B2 <= hour && hour < E2);
}

bool TScheduleRules::IsLastHour(int hour) const
{
    return (E1 != B2 && hour == E1 - 1) || (E2 != B1 + 24 && hour == E2 - 1);
}

std::optional<TScheduleRules> ParseScheduleText(std::string_view text)
{
    if (text.size() != 10)
        return std::nullopt;
    for (char c : text)
        if (c < '0' || c > '9')
            return std::nullopt;
    auto two = [&](std::size_t at) { return (text[at] - '0') * 10 + (text[at + 1] - '0'); };
    TScheduleRules r;
    r.N = text[0] - '0';
    r.D = text[1] - '0';
    r.E1 = two(2);
    r.B2 = two(4);
    r.E2 = two(6);
    r.B1 = two(8);
    const bool valid = r.N != 0 && r.D >= r.N && r.B1 <= r.E1 && r.E1 <= r.B2 && r.B2 <= r.E2 && r.E2 <= 24;
    if (!valid)
        return std::nullopt;
    return r;
}

}  // namespace quaverly
