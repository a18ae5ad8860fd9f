#pragma once

#include <string>
#include <vector>

#include "platform/Registry.h"

namespace quaverly {

// The external MIDI player's own registry key: moved aside while Quaverly
// uses the player, so that the player starts with its defaults and the
// user's settings come back unchanged at exit; and the player's own list of
// files.
class ExternalPlayerSettings {
public:
    explicit ExternalPlayerSettings(Registry &registry) : registry_(registry) {}

    static constexpr const char *kSettingsKey = "Software\\YAMAHA\\XGPlayer";
    static constexpr const char *kBackupKey = "Software\\YAMAHA\\XGPlayer~";
    static constexpr const char *kListKey = "Software\\YAMAHA\\XGPlayer\\List File";
    static constexpr int kListSize = 100;

    // Moves the settings key to the backup name, unless a backup exists.
    void Backup();
    // When a backup exists: the settings key (whatever the player wrote
    // meanwhile) is replaced by it.
    void Restore();
    // "File Name  0" ... "File Name 99" up to the first missing or empty
    // one; a path naming the same file as an earlier one is skipped.
    std::vector<std::string> ReadList();

    // "File Name " and the number in two characters (" 0" ... "99").
    static std::string ListValueName(int index);

private:
    Registry &registry_;
};

}  // namespace quaverly
