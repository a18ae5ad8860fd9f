#pragma once

#include <memory>
#include <string>

#include "app/ClockTime.h"

namespace quaverly {

// Where the schedule's decisions go, one line each, so that an unattended
// player can be asked afterwards why it did or did not play at some hour.
class IScheduleLog {
public:
    virtual ~IScheduleLog() = default;
    // One line, without its line end.
    virtual void Write(const std::string &line) = 0;
};

// Appends each line to a file, opened for every line so that the file can be
// moved or removed while the player runs. A file that cannot be written is
// reported once on standard error; the schedule goes on.
class TFileScheduleLog final : public IScheduleLog {
public:
    explicit TFileScheduleLog(std::string path) : path_(std::move(path)) {}
    void Write(const std::string &line) override;

private:
    std::string path_;
    bool told_ = false;
};

// The log the environment asks for: a file log when QUAVERLY_SCHEDULE_LOG
// names a file, else none.
std::unique_ptr<IScheduleLog> ScheduleLogFromEnvironment();

// "YYYY-MM-DD HH:MM:SS" of a local time.
std::string FormatClockTime(const TClockTime &time);

}  // namespace quaverly
