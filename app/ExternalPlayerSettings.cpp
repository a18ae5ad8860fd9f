#include "app/ExternalPlayerSettings.h"

#include "core/SameFile.h"

namespace quaverly {

namespace {
constexpr auto kRoot = RegistryRoot::HKEY_CURRENT_USER;
}

void ExternalPlayerSettings::Backup()
{
    // One step under the registry's lock: refused when the backup exists or
    // the settings key does not.
    (void)registry_.MoveKey(kRoot, kSettingsKey, kBackupKey, Registry::MoveMode::KeepTarget);
}

void ExternalPlayerSettings::Restore()
{
    (void)registry_.MoveKey(kRoot, kBackupKey, kSettingsKey, Registry::MoveMode::ReplaceTarget);
}

std::string ExternalPlayerSettings::ListValueName(int index)
{
    return std::string("File Name ") + (index < 10 ? " " : "") + std::to_string(index);
}

std::vector<std::string> ExternalPlayerSettings::ReadList()
{
    std::vector<std::string> paths;
    if (!registry_.KeyExists(kRoot, kListKey))
        return paths;
    for (int i = 0; i < kListSize; ++i) {
        std::optional<std::string> path = registry_.ReadString(kRoot, kListKey, ListValueName(i));
        if (!path || path->empty())
            break;
        bool taken = false;
        for (const std::string &earlier : paths)
            taken = taken || SameFile(earlier, *path);
        if (!taken)
            paths.push_back(*path);
    }
    return paths;
}

}  // namespace quaverly
