#include "app/SettingsFile.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <vector>

#include "app/SettingsLines.h"
#include "app/WindowGeometry.h"
#include "platform/AtomicFile.h"

namespace quaverly {

namespace {

bool IsDisplayModeDigit(const std::string &s)
{
    return s.size() == 1 && ((s[0] >= '1' && s[0] <= '6') || s[0] == '8' || s[0] == '9');
}

// A folder that would split line 1 or change when read back (blanks or
// control characters at either end) cannot be stored in the file.
bool StorableFolder(const std::string &folder)
{
    return folder.find_first_of("\r\n") == std::string::npos && TrimSettingsLine(folder) == folder;
}

void SetLine(std::vector<std::string> &lines, std::size_t index, std::string text)
{
    if (index < lines.size())
        lines[index] = std::move(text);
    else
        lines.push_back(std::move(text));
}

}  // namespace

TSettingsFile::TSettingsFile(std::string path, TFormModel &form, TSchedule &schedule, IWindowPlacement &placement)
    : path_(std::move(path)), form_(form), state_(form.State), schedule_(schedule), placement_(placement)
{
}

void TSettingsFile::LoadSettings()
{
    const auto head = ReadSettingsHead(path_);
    if (!head)
        return;
    const std::vector<std::string> &lines = head->Lines;
    bool rewrite = false;

    if (lines.size() >= 1)
        state_.OpenDialogInitialDir = TrimSettingsLine(lines[0]);

    if (lines.size() >= 2) {
        const std::string s = TrimSettingsLine(lines[1]);
        if (s.size() != 10) {
            rewrite = true;
        } else if (s != kDefaultScheduleText) {
            if (schedule_.ValidateSchedule(s))
                schedule_.SetScheduleText(s);
            else
                rewrite = true;
        }
    }

    if (lines.size() >= 3) {
        const std::string s = TrimSettingsLine(lines[2]);
        if (IsDisplayModeDigit(s))
            state_.DisplayModeSetting = s[0] - '0';
        else
            rewrite = true;
    }

    if (lines.size() >= 4) {
        const std::string s = TrimSettingsLine(lines[3]);
        if (!s.empty())
            ApplyWindowGeometry(s, form_, placement_);
        if (state_.GeometryDirty)
            rewrite = true;
    }

    if (rewrite)
        SaveSettings();
}

void TSettingsFile::SaveSettings()
{
    const auto head = ReadSettingsHead(path_);
    if (!head && ::access(path_.c_str(), F_OK) == 0) {
        // A file that is there but cannot be read is not replaced: its
        // lines after the fourth would be lost.
        Tell("it cannot be read");
        return;
    }
    std::vector<std::string> lines = head ? head->Lines : std::vector<std::string>{};
    const bool hadLines = !lines.empty();

    const std::string &folder = state_.OpenDialogInitialDir;
    if (StorableFolder(folder))
        SetLine(lines, 0, folder);
    else if (!hadLines)
        lines.push_back({});

    if (lines.size() >= 2) {
        if (schedule_.ScheduleText().empty())
            lines[1] = std::string(kDefaultScheduleText);
    } else {
        lines.push_back(std::string(kDefaultScheduleText));
    }

    SetLine(lines, 2, std::to_string(state_.DisplayModeSetting));

    const bool geometry = state_.GeometryDirty;
    if (geometry)
        SetLine(lines, 3, FormatWindowGeometry(form_));

    std::string text;
    for (const std::string &line : lines)
        text += line + "\r\n";

    TAtomicFileWriter writer(path_);
    bool ok = writer.Write(text);
    if (ok && head && head->HasTail)
        ok = writer.CopyFrom(path_, head->TailOffset);
    ok = ok && writer.Commit();
    if (ok) {
        if (geometry)
            state_.GeometryDirty = false;
        return;
    }
    Tell(std::strerror(writer.Error()));
}

void TSettingsFile::Tell(const char *why)
{
    if (toldWriteFailure_)
        return;
    toldWriteFailure_ = true;
    std::fprintf(stderr, "quaverly: cannot write the settings file \"%s\": %s; the player goes on without saving it\n",
                 path_.c_str(), why);
}

}  // namespace quaverly
