#pragma once

#include <string>

namespace quaverly {

// Where the running program lives.
// The folder of the running executable (/proc/self/exe), with a trailing "/".
std::string ProgramFolder();
// The full path of the running executable.
std::string ExecutablePath();
// The settings file beside an executable: its extension replaced by ".ini",
// or ".ini" appended when the file name has none (quaverly -> quaverly.ini,
// a.b/run -> a.b/run.ini). A leading dot (".hidden") is not an extension.
std::string SettingsPathFor(const std::string &executable);

}  // namespace quaverly
