#pragma once

namespace quaverly {

// The four-line settings file beside the executable and the daily schedule.
class ISettingsFile {
public:
    virtual ~ISettingsFile() = default;
    // Reads (and, where it must, repairs) the settings file.
    virtual void LoadSettings() = 0;
    virtual void SaveSettings() = 0;
    // The schedule's decision for the given kind (0 at an "/AUTO" start, 3 for
    // an argument at start, others from the hourly check).
    virtual bool ScheduleCheck(int kind) = 0;
};

}  // namespace quaverly
