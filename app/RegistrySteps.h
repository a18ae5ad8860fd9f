#pragma once

#include <optional>
#include <string>

#include "platform/Registry.h"

namespace quaverly {

// The registry values the shell refreshes at start. None of these creates a
// key: a key that does not exist (or cannot be read) is skipped silently.

// The media player volume key and its floor.
constexpr const char *kMediaPlayerSettingsKey = "Software\\Microsoft\\MediaPlayer\\Player\\Settings";
constexpr int kVolumeFloor = -600;
// The key whose "VersionNumber" value only the older Windows family has.
constexpr const char *kWindowsVersionKey = "Software\\Microsoft\\Windows\\CurrentVersion";

// A registry string read as an integer: optional sign and decimal digits,
// nothing else; a missing, empty, malformed or out-of-range text gives 0.
int RegistryInteger(const std::optional<std::string> &text);

// Raises a stored media player volume below -600 to "-600". True when it
// wrote the value.
bool RaiseMediaPlayerVolume(Registry &registry);

// True on the NT family: the value "VersionNumber" does not exist (also
// when its key does not).
bool ProbeNtFamily(Registry &registry);

// The shell's open command key for an executable (by its file name).
std::string OpenCommandKey(const std::string &executablePath);
// The open command text: the quoted executable path, a blank and "%1" in quotes.
std::string OpenCommandValue(const std::string &executablePath);
// Refreshes the default value of the open command key when that key already
// exists. True when it wrote the value.
bool RefreshOpenCommand(Registry &registry, const std::string &executablePath);

}  // namespace quaverly
