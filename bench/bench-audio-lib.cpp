// Plays a file through the audio library with SDL's dummy driver, taking a
// 512-point FFT every 25 ms like the spectrum display, and prints the CPU
// seconds per minute of audio, the peak resident memory (with where it
// lies) and the open time.
//   bench-audio-lib lib <folder of libbass.so> <file> <seconds>
// The same host with the 25 ms loop but no library, for its own share:
//   bench-audio-lib idle <seconds>
// The start of an item, from the open of its file to its first sample handed
// to the output, with the output closed and open (median and worst of n):
//   bench-audio-lib start <folder of libbass.so> <file> <n>
// Or runs a peer player and prints the same figures for its process; it is
// ended after twice the audio's length and must exit with 0:
//   bench-audio-lib peer <seconds of audio> <program> [args...]
// Each figure line ends with "cpu=<CPU s per minute>" for the script.
#include "platform/bass/bass.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <malloc.h>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char **environ;

namespace {

double Cpu(const rusage &u)
{
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

long StatusKb(const char *key)
{
    long kb = -1;
    if (FILE *f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        const size_t n = std::strlen(key);
        while (std::fgets(line, sizeof line, f))
            if (std::strncmp(line, key, n) == 0 && line[n] == ':') {
                kb = std::atol(line + n + 1);
                break;
            }
        std::fclose(f);
    }
    return kb;
}

// Resident kB by where it lies: the heap and other anonymous memory
// (thread stacks, malloc arenas), libbass.so, FFmpeg's own libraries, SDL,
// the C and C++ runtimes with this program, and the libraries FFmpeg pulls in.
std::map<std::string, long> ResidentBreakdown()
{
    std::map<std::string, long> kb;
    FILE *f = std::fopen("/proc/self/smaps", "r");
    if (!f)
        return kb;
    char line[512];
    std::string where;
    while (std::fgets(line, sizeof line, f)) {
        unsigned long a = 0, b = 0;
        char path[400] = "";
        const char *space = std::strchr(line, ' ');
        const char *dash = std::strchr(line, '-');
        const bool header = space && dash && dash < space && space[-1] != ':';
        if (header && std::sscanf(line, "%lx-%lx %*s %*s %*s %*s %399s", &a, &b, path) >= 2) {
            const std::string p = path;
            auto has = [&](const char *x) { return p.find(x) != std::string::npos; };
            if (p.empty() || p[0] == '[')
                where = "anonymous";
            else if (has("libbass"))
                where = "libbass.so";
            else if (has("/libavcodec") || has("/libavformat") || has("/libavutil") || has("/libswresample"))
                where = "FFmpeg";
            else if (has("libSDL2"))
                where = "SDL";
            else if (has("/libc.so") || has("libstdc++") || has("/libm.so") || has("libgcc_s") || has("/ld-linux")
                     || has("bench-audio-lib"))
                where = "runtime";
            else
                where = "FFmpeg's dependencies";
            continue;
        }
        long v = 0;
        if (std::sscanf(line, "Rss: %ld kB", &v) == 1)
            kb[where] += v;
    }
    std::fclose(f);
    return kb;
}

// Per thread of this process: its name, CPU ns (schedstat) and voluntary
// plus involuntary context switches, for where the CPU time goes.
struct ThreadUse {
    std::string name;
    long long cpuNs = 0;
    long switches = 0;
};

std::map<std::string, ThreadUse> Threads()
{
    std::map<std::string, ThreadUse> out;
    DIR *d = opendir("/proc/self/task");
    if (!d)
        return out;
    while (const dirent *e = readdir(d)) {
        if (e->d_name[0] == '.')
            continue;
        const std::string base = std::string("/proc/self/task/") + e->d_name;
        ThreadUse u;
        if (FILE *f = std::fopen((base + "/comm").c_str(), "r")) {
            char name[64] = "";
            if (std::fgets(name, sizeof name, f))
                u.name = std::string(name, strcspn(name, "\n"));
            std::fclose(f);
        }
        if (FILE *f = std::fopen((base + "/schedstat").c_str(), "r")) {
            if (std::fscanf(f, "%lld", &u.cpuNs) != 1)
                u.cpuNs = 0;
            std::fclose(f);
        }
        if (FILE *f = std::fopen((base + "/status").c_str(), "r")) {
            char line[256];
            long v = 0;
            while (std::fgets(line, sizeof line, f))
                if (std::sscanf(line, "voluntary_ctxt_switches: %ld", &v) == 1
                    || std::sscanf(line, "nonvoluntary_ctxt_switches: %ld", &v) == 1)
                    u.switches += v;
            std::fclose(f);
        }
        out[e->d_name] = u;
    }
    closedir(d);
    return out;
}

// "name cpu-ms/min switches/min" for each thread that ran in between.
void PrintThreads(const std::map<std::string, ThreadUse> &before, const std::map<std::string, ThreadUse> &after,
                  double played)
{
    std::printf("     threads (CPU ms and context switches per minute):");
    for (const auto &[tid, a] : after) {
        const auto it = before.find(tid);
        const long long ns = a.cpuNs - (it != before.end() ? it->second.cpuNs : 0);
        const long sw = a.switches - (it != before.end() ? it->second.switches : 0);
        if (ns == 0 && sw == 0)
            continue;
        std::printf(" %s %.1f/%.0f;", a.name.c_str(), double(ns) / 1e6 * 60.0 / played, double(sw) * 60.0 / played);
    }
    std::printf("\n");
}

int Idle(double seconds)
{
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    const auto start = std::chrono::steady_clock::now();
    auto next = start;
    while (std::chrono::steady_clock::now() - start < std::chrono::duration<double>(seconds)) {
        next += std::chrono::milliseconds(25);
        std::this_thread::sleep_until(next);
    }
    const double played = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    const double cpu = (Cpu(after) - Cpu(before)) * 60.0 / played;
    std::printf("%.3f CPU s per minute, peak RSS %.1f MB cpu=%.3f\n", cpu, double(after.ru_maxrss) / 1024.0, cpu);
    return 0;
}

template <typename Fn>
bool Bind(void *lib, const char *name, Fn &fn)
{
    fn = reinterpret_cast<Fn>(dlsym(lib, name));
    return fn != nullptr;
}

int Library(const std::string &folder, const char *file, double seconds)
{
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    const long hostKb = StatusKb("VmRSS");
    void *lib = dlopen((folder + "/libbass.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    decltype(&BASS_Init) init;
    decltype(&BASS_Free) freeAll;
    decltype(&BASS_StreamCreateFile) create;
    decltype(&BASS_ChannelPlay) play;
    decltype(&BASS_ChannelGetData) data;
    decltype(&BASS_ChannelIsActive) active;
    if (!lib || !Bind(lib, "BASS_Init", init) || !Bind(lib, "BASS_Free", freeAll)
        || !Bind(lib, "BASS_StreamCreateFile", create) || !Bind(lib, "BASS_ChannelPlay", play)
        || !Bind(lib, "BASS_ChannelGetData", data) || !Bind(lib, "BASS_ChannelIsActive", active)) {
        std::fprintf(stderr, "cannot load %s/libbass.so\n", folder.c_str());
        return 1;
    }
    const long loadedKb = StatusKb("VmRSS");
    if (!init(1, 44100, 0, nullptr, nullptr)) {
        std::fprintf(stderr, "no output\n");
        return 1;
    }
    decltype(&BASS_StreamFree) release;
    if (!Bind(lib, "BASS_StreamFree", release))
        return 1;
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    // The first open includes FFmpeg's one-time decoder set-up; the second
    // is what every later item costs.
    auto t0 = std::chrono::steady_clock::now();
    release(create(FALSE, file, 0, 0, 0));
    const double firstMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    t0 = std::chrono::steady_clock::now();
    const HSTREAM h = create(FALSE, file, 0, 0, 0);
    const double openMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    if (!h || !play(h, FALSE)) {
        std::fprintf(stderr, "cannot play %s\n", file);
        return 1;
    }
    float fft[256];
    const auto threadsBefore = Threads();
    const auto start = std::chrono::steady_clock::now();
    auto next = start;
    // Wall time inside the host's calls (the FFT and the activity check).
    std::chrono::steady_clock::duration inCalls{};
    long calls = 0;
    for (;;) {
        const auto c0 = std::chrono::steady_clock::now();
        if (c0 - start >= std::chrono::duration<double>(seconds) || active(h) == BASS_ACTIVE_STOPPED)
            break;
        data(h, fft, BASS_DATA_FFT256);
        inCalls += std::chrono::steady_clock::now() - c0;
        ++calls;
        next += std::chrono::milliseconds(25);
        std::this_thread::sleep_until(next);
    }
    const double played = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    const auto threadsAfter = Threads();
    const auto kb = ResidentBreakdown();
    const struct mallinfo2 heap = mallinfo2();
    freeAll();
    const double cpu = (Cpu(after) - Cpu(before)) * 60.0 / played;
    std::printf("open %.2f ms (first %.2f ms), %.3f CPU s per minute of audio, peak RSS %.1f MB cpu=%.3f\n", openMs,
                firstMs, cpu, double(after.ru_maxrss) / 1024.0, cpu);
    std::printf("     resident: host alone %.1f MB, after loading the library %.1f MB;", double(hostKb) / 1024.0,
                double(loadedKb) / 1024.0);
    for (const auto &[where, v] : kb)
        std::printf(" %s %.1f", where.c_str(), double(v) / 1024.0);
    std::printf(" (MB); malloc in use %.1f MB\n", double(heap.uordblks + heap.hblkhd) / 1048576.0);
    PrintThreads(threadsBefore, threadsAfter, played);
    std::printf("     host calls: %ld, %.1f us each (wall, the activity check with the FFT)\n", calls,
                calls ? std::chrono::duration<double, std::micro>(inCalls).count() / double(calls) : 0.0);
    return 0;
}

// An item starts as the player starts it: its file is opened, then played.
// Its first sample has been handed to the output once its position moves
// (the position counts what was heard since the device took the buffer).
// With the output closed (nothing played for over a second, so the device
// was closed), and open (right after another item ended).
int Start(const std::string &folder, const char *file, int rounds)
{
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    void *lib = dlopen((folder + "/libbass.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    decltype(&BASS_Init) init;
    decltype(&BASS_Free) freeAll;
    decltype(&BASS_StreamCreateFile) create;
    decltype(&BASS_StreamFree) release;
    decltype(&BASS_ChannelPlay) play;
    decltype(&BASS_ChannelGetPosition) position;
    if (!lib || !Bind(lib, "BASS_Init", init) || !Bind(lib, "BASS_Free", freeAll)
        || !Bind(lib, "BASS_StreamCreateFile", create) || !Bind(lib, "BASS_StreamFree", release)
        || !Bind(lib, "BASS_ChannelPlay", play) || !Bind(lib, "BASS_ChannelGetPosition", position)
        || !init(1, 44100, 0, nullptr, nullptr)) {
        std::fprintf(stderr, "cannot load %s/libbass.so or open its output\n", folder.c_str());
        return 1;
    }
    release(create(FALSE, file, 0, 0, 0));  // FFmpeg's one-time set-up is not an item's start
    using Clock = std::chrono::steady_clock;
    // Milliseconds from the open to the first sample out; the item is left playing.
    auto startOne = [&](HSTREAM &h) {
        const auto t0 = Clock::now();
        h = create(FALSE, file, 0, 0, 0);
        if (!h || !play(h, FALSE))
            return -1.0;
        while (position(h, BASS_POS_BYTE) == 0 && Clock::now() - t0 < std::chrono::seconds(2))
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    };
    std::vector<double> closed, open;
    for (int i = 0; i < rounds; ++i) {
        HSTREAM a = 0, b = 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        closed.push_back(startOne(a));
        // Part way into the next device buffer, as a double click would come.
        std::this_thread::sleep_for(std::chrono::milliseconds(100 + 37 * i % 150));
        release(a);
        open.push_back(startOne(b));
        release(b);
    }
    freeAll();
    auto print = [](const char *what, std::vector<double> v) {
        std::sort(v.begin(), v.end());
        std::printf("  start to the first sample out, output %s: median %.1f ms, worst %.1f ms (%zu starts)\n", what,
                    v[v.size() / 2], v.back(), v.size());
    };
    print("closed", closed);
    print("open  ", open);
    return 0;
}

int Peer(double seconds, char **argv)
{
    pid_t pid = 0;
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawnp(&pid, argv[0], &quiet, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0) {
        std::printf("not run (%s missing)\n", argv[0]);
        return 0;
    }
    const auto start = std::chrono::steady_clock::now();
    const auto limit = std::chrono::duration<double>(seconds * 2 + 10);
    int status = 0;
    rusage u{};
    bool killed = false;
    for (;;) {
        const pid_t r = wait4(pid, &status, WNOHANG, &u);
        if (r == pid)
            break;
        if (r < 0)
            return 1;
        if (!killed && std::chrono::steady_clock::now() - start > limit) {
            kill(pid, SIGKILL);  // our own child, by its id
            killed = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = Cpu(u) * 60.0 / seconds;
    const bool ok = !killed && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    std::printf("%.3f CPU s per minute of audio, peak RSS %.1f MB (%.1f s wall, %s) cpu=%.3f\n", cpu,
                double(u.ru_maxrss) / 1024.0, wall,
                killed ? "ended: did not finish"
                       : (ok ? "exit 0" : (WIFEXITED(status) ? "failed, exit status " + std::to_string(WEXITSTATUS(status)) : std::string("killed by a signal"))).c_str(),
                ok ? cpu : -1.0);
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc >= 5 && std::string(argv[1]) == "lib")
        return Library(argv[2], argv[3], std::atof(argv[4]));
    if (argc >= 5 && std::string(argv[1]) == "start")
        return Start(argv[2], argv[3], std::max(1, std::atoi(argv[4])));
    if (argc >= 3 && std::string(argv[1]) == "idle")
        return Idle(std::atof(argv[2]));
    if (argc >= 4 && std::string(argv[1]) == "peer")
        return Peer(std::atof(argv[2]), argv + 3);
    std::fprintf(stderr, "usage: bench-audio-lib lib <folder> <file> <seconds> | peer <seconds> <program> [args]\n");
    return 2;
}
