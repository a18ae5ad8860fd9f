#pragma once

// Shared pieces of the audio library tests: the library loaded through the
// program's binding with SDL's disk driver writing what is played to a
// file, generated tone fixtures, analysis of the played PCM, and a recorder
// for sync procedure calls.

#include "audio/BassLibrary.h"
#include "audio/BassWmaLibrary.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quaverly::test {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::filesystem::path &path() const { return path_; }
    std::string File(const std::string &name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Runs a shell command line; true when it exited with 0.
bool RunShell(const std::string &command);

enum class Encoder { Wav, Lame, FfmpegMp3, FfmpegMp2, Oggenc, FfmpegOgg, Wma };

// A sine of `freq` Hz at `amplitude` (0..1 of full scale), written by the
// given encoder; false when the tool failed.
bool MakeTone(const std::string &path, Encoder encoder, double freq, int rate, int channels, double seconds,
              double amplitude = 0.5, const std::string &title = {});

// Played output of the disk driver: interleaved stereo 16-bit at 44100 Hz.
std::vector<int16_t> ReadPcm(const std::string &path);

struct PcmAnalysis {
    int64_t first = -1, last = -1;  // first and last frame above the threshold
    double seconds = 0;  // (last - first + 1) / 44100
    double frequency = 0;  // of the left channel, from zero crossings
    double rms = 0;  // of the left channel over the active part, 0..1
};
PcmAnalysis Analyse(const std::vector<int16_t> &stereo, int rate = 44100, int threshold = 500);

// The library loaded through the binding, with the disk driver set up to
// write into `out` (call before Init).
class LoadedBass {
public:
    LoadedBass();
    ~LoadedBass();
    const BassApi &api() const { return bass_.api(); }
    BassLibrary &library() { return bass_; }
    BassWmaLibrary &wma() { return wma_; }
    // Disk output to this file, paced in real time; true when BASS_Init worked.
    bool InitDisk(const std::string &out);

private:
    BassLibrary bass_;
    BassWmaLibrary wma_;
};

// Records sync procedure calls.
struct SyncRecord {
    HSYNC sync;
    DWORD channel;
    std::string text;  // the data text (a comment list keeps its NULs)
    std::chrono::steady_clock::time_point when;
    std::thread::id thread;
    int64_t diskBytes;  // size of the disk output file at that moment
};

class SyncRecorder {
public:
    static void End(HSYNC s, DWORD c, DWORD d, void *user);
    static void Meta(HSYNC s, DWORD c, DWORD d, void *user);
    static void Download(HSYNC s, DWORD c, DWORD d, void *user);

    std::string diskFile;  // set to record the disk output's size
    std::vector<SyncRecord> records();
    // Waits until at least n calls were recorded; false at the timeout.
    bool WaitFor(size_t n, std::chrono::milliseconds timeout);
    size_t count();

private:
    void Add(HSYNC s, DWORD c, std::string text);
    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<SyncRecord> records_;
};

// Waits until pred() holds, polling; false at the timeout.
template <typename Pred>
bool WaitUntil(Pred pred, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace quaverly::test
