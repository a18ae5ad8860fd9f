// Plays a file through the audio library with SDL's dummy driver, taking a
// 512-point FFT every 25 ms like the spectrum display, and prints the CPU
// seconds per minute of audio, the peak resident memory and the open time.
//   bench-audio-lib lib <folder of libbass.so> <file> <seconds>
// Or runs a peer player and prints the same figures for its process:
//   bench-audio-lib peer <seconds of audio> <program> [args...]
#include "platform/bass/bass.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
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

template <typename Fn>
bool Bind(void *lib, const char *name, Fn &fn)
{
    fn = reinterpret_cast<Fn>(dlsym(lib, name));
    return fn != nullptr;
}

int Library(const std::string &folder, const char *file, double seconds)
{
    setenv("SDL_AUDIODRIVER", "dummy", 0);
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
    const auto start = std::chrono::steady_clock::now();
    auto next = start;
    while (active(h) != BASS_ACTIVE_STOPPED
           && std::chrono::steady_clock::now() - start < std::chrono::duration<double>(seconds)) {
        data(h, fft, BASS_DATA_FFT256);
        next += std::chrono::milliseconds(25);
        std::this_thread::sleep_until(next);
    }
    const double played = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    // Resident memory that is not mapped library code (heap, buffers).
    long anonKb = -1;
    if (FILE *f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "RssAnon: %ld", &anonKb) == 1)
                break;
        std::fclose(f);
    }
    freeAll();
    std::printf("open %.2f ms (first %.2f ms), %.3f CPU s per minute of audio, peak RSS %.1f MB (anonymous %.1f MB)\n", openMs, firstMs,
                (Cpu(after) - Cpu(before)) * 60.0 / played, double(after.ru_maxrss) / 1024.0, double(anonKb) / 1024.0);
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
    int status = 0;
    rusage u{};
    wait4(pid, &status, 0, &u);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.3f CPU s per minute of audio, peak RSS %.1f MB (%.1f s wall)\n", Cpu(u) * 60.0 / seconds,
                double(u.ru_maxrss) / 1024.0, wall);
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc >= 5 && std::string(argv[1]) == "lib")
        return Library(argv[2], argv[3], std::atof(argv[4]));
    if (argc >= 4 && std::string(argv[1]) == "peer")
        return Peer(std::atof(argv[2]), argv + 3);
    std::fprintf(stderr, "usage: bench-audio-lib lib <folder> <file> <seconds> | peer <seconds> <program> [args]\n");
    return 2;
}
