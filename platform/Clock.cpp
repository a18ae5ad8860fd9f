#include "platform/Clock.h"

#include <ctime>

namespace quaverly {

std::uint64_t SystemClock::TickCountMs()
{
    timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::uint64_t(ts.tv_sec) * 1000u + std::uint64_t(ts.tv_nsec / 1000000);
}

double SystemClock::Now()
{
    timespec ts {};
    clock_gettime(CLOCK_REALTIME, &ts);
    time_t secs = ts.tv_sec;
    tm local {};
    localtime_r(&secs, &local);
    // Seconds since the epoch in local time, then days since 1899-12-30
    // (25569 days before 1970-01-01).
    double localSeconds = double(secs) + double(local.tm_gmtoff) + double(ts.tv_nsec) / 1e9;
    return 25569.0 + localSeconds / 86400.0;
}

}  // namespace quaverly
