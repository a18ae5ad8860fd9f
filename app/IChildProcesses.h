#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace quaverly {

// The programs Quaverly starts and must account for: each started child is
// reaped once it ends, and only a child not yet reaped is ever signalled, so
// a pid the system has handed to another process is never touched.
class IChildProcesses {
public:
    virtual ~IChildProcesses() = default;
    // Starts argv[0] with the arguments as given (no shell). -1 on failure.
    virtual pid_t Spawn(const std::vector<std::string> &argv) = 0;
    // True when the child has ended (it is reaped then) or is not ours.
    // Never blocks.
    virtual bool HasEnded(pid_t pid) = 0;
    // Waits at most timeoutMs for the child to end; true when it has.
    virtual bool WaitForEnd(pid_t pid, int timeoutMs) = 0;
    // SIGTERM, or SIGKILL when hard; nothing for a child already reaped.
    virtual void Terminate(pid_t pid, bool hard = false) = 0;
};

// The real children of this process.
class ChildProcesses final : public IChildProcesses {
public:
    ~ChildProcesses() override;
    pid_t Spawn(const std::vector<std::string> &argv) override;
    bool HasEnded(pid_t pid) override;
    bool WaitForEnd(pid_t pid, int timeoutMs) override;
    void Terminate(pid_t pid, bool hard) override;

private:
    std::vector<pid_t> live_;  // started and not yet reaped
};

}  // namespace quaverly
