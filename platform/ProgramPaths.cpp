#include "platform/ProgramPaths.h"

#include <climits>
#include <unistd.h>

namespace quaverly {

std::string ExecutablePath()
{
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return {};
    return std::string(buffer, std::size_t(n));
}

std::string ProgramFolder()
{
    std::string exe = ExecutablePath();
    auto slash = exe.rfind('/');
    if (slash == std::string::npos)
        return "./";
    return exe.substr(0, slash + 1);
}

std::string SettingsPathFor(const std::string &executable)
{
    auto slash = executable.rfind('/');
    std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    auto dot = executable.rfind('.');
    // A dot in a folder name or at the start of the file name is no extension.
    if (dot == std::string::npos || dot <= nameStart)
        return executable + ".ini";
    return executable.substr(0, dot) + ".ini";
}

}  // namespace quaverly
