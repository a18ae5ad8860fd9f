#include "platform/ProcessSpawn.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace quaverly {

pid_t SpawnProcess(const std::vector<std::string> &argv, int *error)
{
    if (argv.empty() || argv[0].empty()) {
        if (error)
            *error = EINVAL;
        return -1;
    }
    std::vector<char *> args;
    args.reserve(argv.size() + 1);
    for (const auto &a : argv)
        args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);

    // The child gets stdin, stdout and stderr and nothing else: a player that
    // outlives us must not hold our instance lock, sockets or files open,
    // whether or not their owner remembered O_CLOEXEC.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    pid_t pid = -1;
    // posix_spawn, not posix_spawnp: the path is used as given, no PATH search.
    int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        if (error)
            *error = rc;
        return -1;
    }
    // glibc reports exec failures through rc, but a child that failed to exec
    // in another libc exits with 127 at once; the caller sees it in WaitForExit.
    if (error)
        *error = 0;
    return pid;
}

int WaitForExit(pid_t pid, int timeoutMs)
{
    if (pid <= 0)
        return -1;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) {
            if (WIFEXITED(status))
                return WEXITSTATUS(status);
            if (WIFSIGNALED(status))
                return 128 + WTERMSIG(status);
            return -1;
        }
        if (r < 0 && errno != EINTR)
            return -1;
        if (std::chrono::steady_clock::now() >= deadline)
            return -2;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace quaverly
