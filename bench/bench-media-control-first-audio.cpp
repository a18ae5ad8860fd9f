// Starts a player RUNS times and measures, for each start, the time from
// exec to the first audio in the WAV file its file output writes (the file
// holding more than its header and one block). Prints the median in ms, or
// "-" when no run produced audio within 20 s. Every wait is bounded.
//
//   bench-media-control-first-audio RUNS WAV PROGRAM [ARGS...]
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

int main(int argc, char **argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench-media-control-first-audio RUNS WAV PROGRAM [ARGS...]\n");
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    const char *wav = argv[2];
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        unlink(wav);
        posix_spawn_file_actions_t quiet;
        posix_spawn_file_actions_init(&quiet);
        posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        const auto start = std::chrono::steady_clock::now();
        const int spawned = posix_spawnp(&pid, argv[3], &quiet, nullptr, argv + 3, environ);
        posix_spawn_file_actions_destroy(&quiet);
        if (spawned != 0)
            break;
        const auto limit = start + std::chrono::seconds(20);
        for (;;) {
            struct stat st {};
            if (stat(wav, &st) == 0 && st.st_size > 44 + 4096) {
                times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                                    .count());
                break;
            }
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = 0;
                break;
            }
            if (std::chrono::steady_clock::now() >= limit)
                break;
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
    if (times.empty()) {
        std::printf("-\n");
        return 0;
    }
    std::sort(times.begin(), times.end());
    std::printf("%.1f\n", times[times.size() / 2]);
    return 0;
}
