// Runs one player on a file and prints its CPU time per minute of audio, its
// peak resident memory and how long it ran, so that a player that stopped
// early shows:
//
//   bench-audio-player-run <name> <seconds of audio> <results file> <program> [args...]
//
// Its output goes to /dev/null. Around four fifths of the way through, the
// child's resident memory is split by mapping (heap, other anonymous memory,
// Qt and its libraries, the other mapped files) from /proc/<pid>/smaps; that
// line is printed for programs of this project. A line "<name> <cpu s/min>
// <peak MB>" is appended to the results file for the ratios.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace {

double Cpu(const rusage &u)
{
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Which share a mapping's resident pages count towards.
std::string Share(const std::string &path)
{
    if (path == "[heap]")
        return "heap";
    if (path.empty() || path[0] == '[')
        return path.empty() || path == "[anon]" ? "anon" : "other";
    const std::string base = path.substr(path.rfind('/') + 1);
    for (const char *qt : {"libQt6", "libicu", "libpcre2-16", "libdouble-conversion", "libb2"})
        if (base.starts_with(qt))
            return "qt";
    if (base.starts_with("libbass"))
        return "libbass";
    if (base.starts_with("quaverly"))
        return "program";
    return "libs";
}

// kB resident per share.
std::map<std::string, long> Breakdown(pid_t pid)
{
    std::map<std::string, long> kb;
    FILE *f = std::fopen(("/proc/" + std::to_string(pid) + "/smaps").c_str(), "r");
    if (!f)
        return kb;
    char line[4096];
    std::string share = "anon";
    while (std::fgets(line, sizeof line, f)) {
        long v = 0;
        if (std::sscanf(line, "Rss: %ld kB", &v) == 1) {
            kb[share] += v;
            continue;
        }
        // A mapping line: "start-end perms offset dev inode [path]".
        char range[64], perms[8], offset[32], dev[16];
        unsigned long inode = 0;
        int used = 0;
        if (std::sscanf(line, "%63s %7s %31s %15s %lu %n", range, perms, offset, dev, &inode, &used) == 5
            && std::strchr(range, '-')) {
            std::string path = line + used;
            while (!path.empty() && (path.back() == '\n' || path.back() == ' '))
                path.pop_back();
            share = Share(path);
        }
    }
    std::fclose(f);
    return kb;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: bench-audio-player-run <name> <seconds> <results> <program> [args...]\n");
        return 2;
    }
    const std::string name = argv[1];
    const double seconds = std::atof(argv[2]);
    const std::string results = argv[3];
    char **child = argv + 4;

    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, child[0], &quiet, nullptr, child, environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0) {
        std::printf("not run (%s missing)\n", child[0]);
        return 0;
    }
    const auto start = std::chrono::steady_clock::now();
    const auto sampleAt = start + std::chrono::duration<double>(seconds * 0.8);
    const auto limit = start + std::chrono::duration<double>(seconds * 2 + 30);
    std::map<std::string, long> kb;
    int status = 0;
    rusage u{};
    bool sampled = false, killed = false;
    for (;;) {
        const pid_t done = wait4(pid, &status, WNOHANG, &u);
        if (done == pid)
            break;
        const auto now = std::chrono::steady_clock::now();
        if (!sampled && now >= sampleAt) {
            kb = Breakdown(pid);
            sampled = true;
        }
        if (!killed && now >= limit) { // a player that never ends by itself
            kill(pid, SIGTERM);
            killed = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpuPerMinute = Cpu(u) * 60.0 / seconds;
    const double peakMb = double(u.ru_maxrss) / 1024.0;
    const bool exited = WIFEXITED(status) && WEXITSTATUS(status) == 0 && !killed;
    std::printf("%.3f CPU s per minute, peak RSS %.1f MB, ran %.1f s%s\n", cpuPerMinute, peakMb, wall,
                exited ? "" : " (did not end normally)");
    if (wall < seconds * 0.95)
        std::printf("    note: ended %.1f s before the audio's end\n", seconds - wall);
    if (name.starts_with("quaverly") && !kb.empty()) {
        long total = 0;
        for (const auto &[share, v] : kb)
            total += v;
        const auto mb = [&](const char *share) { return double(kb[share]) / 1024.0; };
        std::printf("    resident at %.0f s: %.1f MB = heap %.1f + other anonymous %.1f + Qt and its libraries %.1f"
                    " + program %.1f + libbass.so %.1f + other libraries %.1f + other %.1f\n"
                    "    (Qt: Qt Core, ICU, PCRE2, double-conversion, libb2; ICU is also loaded by FFmpeg's libxml2."
                    " Other libraries: FFmpeg, SDL2, libopenmpt and what they load, libc, libstdc++, libxcb)\n",
                    seconds * 0.8, double(total) / 1024.0, mb("heap"), mb("anon"), mb("qt"), mb("program"),
                    mb("libbass"), mb("libs"), mb("other"));
    }
    if (FILE *r = std::fopen(results.c_str(), "a")) {
        std::fprintf(r, "%s %.3f %.1f\n", name.c_str(), cpuPerMinute, peakMb);
        std::fclose(r);
    }
    return 0;
}
