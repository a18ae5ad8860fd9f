#pragma once

#include <cstdint>

namespace quaverly {

// Time as the program reads it; faked in tests.
class IClock {
public:
    virtual ~IClock() = default;
    // Milliseconds since an arbitrary start, never going back (GetTickCount).
    virtual std::uint64_t TickCountMs() = 0;
    // Local wall-clock time as a day count with fraction (TDateTime: days
    // since 1899-12-30, fraction = time of day).
    virtual double Now() = 0;
};

// CLOCK_MONOTONIC and the local time zone.
class SystemClock final : public IClock {
public:
    std::uint64_t TickCountMs() override;
    double Now() override;
};

}  // namespace quaverly
