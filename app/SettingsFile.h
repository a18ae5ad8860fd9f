#pragma once

#include <string>

#include "core/ISettingsFile.h"
#include "app/Schedule.h"
#include "core/FormModel.h"
#include "ui/WindowPlacement.h"

namespace quaverly {

// The four-line settings file beside the executable: 1 the open dialog's
// folder, 2 the daily schedule, 3 the spectrum display mode, 4 the window's
// place and height. Lines after the fourth belong to nobody here and are
// kept byte for byte. A bad line is repaired at once; a file that cannot be
// read counts as absent; a file that cannot be written is reported once on
// standard error, and the player goes on with what it has.
class TSettingsFile final : public ISettingsFile {
public:
    TSettingsFile(std::string path, TFormModel &form, TSchedule &schedule, IWindowPlacement &placement);

    void LoadSettings() override;
    // Writes lines 1 to 3, and line 4 when the geometry is dirty, replacing
    // the file whole; the geometry stays dirty when the write failed.
    void SaveSettings() override;
    bool ScheduleCheck(int kind) override { return schedule_.ScheduleCheck(kind); }

    const std::string &Path() const { return path_; }

private:
    // Says once on standard error that the file cannot be written.
    void Tell(const char *why);

    std::string path_;
    TFormModel &form_;
    TMainState &state_;
    TSchedule &schedule_;
    IWindowPlacement &placement_;
    bool toldWriteFailure_ = false;
};

}  // namespace quaverly
