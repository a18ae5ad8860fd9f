#include "app/IChildProcesses.h"

#include <algorithm>
#include <csignal>

#include "platform/ProcessSpawn.h"

namespace quaverly {

ChildProcesses::~ChildProcesses()
{
    // Whatever still runs is left running (a player the user keeps), but
    // whatever has ended is not left a zombie until we exit.
    for (pid_t pid : std::vector<pid_t>(live_))
        HasEnded(pid);
}

pid_t ChildProcesses::Spawn(const std::vector<std::string> &argv)
{
    pid_t pid = SpawnProcess(argv);
    if (pid > 0)
        live_.push_back(pid);
    return pid;
}

bool ChildProcesses::HasEnded(pid_t pid)
{
    return WaitForEnd(pid, 0);
}

bool ChildProcesses::WaitForEnd(pid_t pid, int timeoutMs)
{
    auto it = std::find(live_.begin(), live_.end(), pid);
    if (it == live_.end())
        return true;
    if (WaitForExit(pid, timeoutMs) == -2)
        return false;
    live_.erase(it);  // reaped (or lost to someone else's wait: gone either way)
    return true;
}

void ChildProcesses::Terminate(pid_t pid, bool hard)
{
    if (std::find(live_.begin(), live_.end(), pid) != live_.end())
        kill(pid, hard ? SIGKILL : SIGTERM);
}

}  // namespace quaverly
