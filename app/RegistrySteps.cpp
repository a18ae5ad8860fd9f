#include "app/RegistrySteps.h"

#include <charconv>

#include "app/CommandLine.h"

namespace quaverly {

int RegistryInteger(const std::optional<std::string> &text)
{
    if (!text || text->empty())
        return 0;
    const char *first = text->data();
    const char *last = first + text->size();
    // from_chars takes "-" but not "+"; a lone sign is no number.
    if (*first == '+')
        ++first;
    int value = 0;
    auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last)
        return 0;
    return value;
}

bool RaiseMediaPlayerVolume(Registry &registry)
{
    const auto root = RegistryRoot::HKEY_CURRENT_USER;
    if (!registry.KeyExists(root, kMediaPlayerSettingsKey))
        return false;
    if (RegistryInteger(registry.ReadString(root, kMediaPlayerSettingsKey, "Volume")) >= kVolumeFloor)
        return false;
    return registry.WriteString(root, kMediaPlayerSettingsKey, "Volume", std::to_string(kVolumeFloor));
}

bool ProbeNtFamily(Registry &registry)
{
    return !registry.ValueExists(RegistryRoot::HKEY_LOCAL_MACHINE, kWindowsVersionKey, "VersionNumber");
}

std::string OpenCommandKey(const std::string &executablePath)
{
    return "Applications\\" + FileNameOf(executablePath) + "\\shell\\open\\command";
}

std::string OpenCommandValue(const std::string &executablePath)
{
    return "\"" + executablePath + "\" \"%1\"";
}

bool RefreshOpenCommand(Registry &registry, const std::string &executablePath)
{
    const auto root = RegistryRoot::HKEY_CLASSES_ROOT;
    const std::string key = OpenCommandKey(executablePath);
    if (!registry.KeyExists(root, key))
        return false;
    return registry.WriteString(root, key, "", OpenCommandValue(executablePath));
}

}  // namespace quaverly
