#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace quaverly {

// Starts a program with posix_spawn from an argument vector: argv[0] is the
// program path (no PATH search, no shell, no quoting), so nothing in an
// argument can be taken as a command. The child inherits the environment and
// descriptors 0 to 2 only; every other descriptor is closed in it.
// Returns the child's pid, or -1 (errno-style code in *error) when it could
// not be started (missing or not executable file).
// The child is not waited for here; see WaitForExit, which also reaps it
// (WaitForExit(pid, 0) reaps a child that has ended without blocking).
pid_t SpawnProcess(const std::vector<std::string> &argv, int *error = nullptr);

// Waits up to timeoutMs for the child to end; its exit status, -2 when still
// running at the deadline, -1 on error. A child killed by a signal gives
// 128 + signal.
int WaitForExit(pid_t pid, int timeoutMs);

}  // namespace quaverly
