#include "app/ScheduleLog.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace quaverly {

namespace {

// Days since 1970-01-01 to a proleptic Gregorian date.
void CivilFromDays(std::int64_t z, std::int64_t &year, int &month, int &day)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = int(doy - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = yoe + era * 400 + (month <= 2 ? 1 : 0);
}

}  // namespace

std::string FormatClockTime(const TClockTime &time)
{
    std::int64_t year = 0;
    int month = 0, day = 0;
    CivilFromDays(time.Day - 25569, year, month, day);   // 25569: 1899-12-30 to 1970-01-01
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02d %02d:%02d:%02d", static_cast<long long>(year), month, day,
                  time.Hour, time.Minute, time.Second);
    return text;
}

std::unique_ptr<IScheduleLog> ScheduleLogFromEnvironment()
{
    const char *path = std::getenv("QUAVERLY_SCHEDULE_LOG");
    if (!path || !*path)
        return nullptr;
    return std::make_unique<TFileScheduleLog>(path);
}

void TFileScheduleLog::Write(const std::string &line)
{
    const int fd = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    bool ok = fd >= 0;
    if (ok) {
        // One write per line keeps lines whole even when two players share a file.
        const std::string whole = line + "\n";
        ssize_t n;
        do
            n = ::write(fd, whole.data(), whole.size());
        while (n < 0 && errno == EINTR);
        ok = n == ssize_t(whole.size());
        ok = ::close(fd) == 0 && ok;
    }
    if (!ok && !told_) {
        told_ = true;
        std::fprintf(stderr, "quaverly: cannot write the schedule log \"%s\": %s\n", path_.c_str(),
                     std::strerror(errno));
    }
}

}  // namespace quaverly
