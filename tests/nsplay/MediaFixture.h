#pragma once
// Shared set-up of the media-control tests: the media of make-fixtures.sh in
// a private folder, a control whose sound goes to a WAV file and whose
// picture goes nowhere (unless a window is given), and a reader of that WAV.
#include "platform/ProcessSpawn.h"
#include "platform/nsplay/NSPlay.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace quaverly::test {

inline const std::string &MediaFolder()
{
    static const std::string folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "quaverly-nsplay-XXXXXX").string();
        const std::string dir = mkdtemp(pattern.data()) ? pattern : std::string();
        const pid_t pid =
            SpawnProcess({"/bin/sh", std::string(QUAVERLY_SOURCE_DIR) + "/tests/nsplay/make-fixtures.sh", dir});
        if (dir.empty() || pid <= 0 || WaitForExit(pid, 60000) != 0)
            return std::string();
        static const std::string removeAtExit = dir;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(removeAtExit, ignored);
        });
        return dir;
    }();
    return folder;
}

inline std::string Media(const char *name) { return MediaFolder() + "/" + name; }

// The options of a control that writes its sound to `wavPath` and draws no
// picture; `videoOut` chooses another video output ("" lets libVLC choose).
inline nsplay::NSPlayOptions FileOutput(const std::string &wavPath, const std::string &videoOut = "dummy")
{
    nsplay::NSPlayOptions o;
    o.vlcArguments = {"--aout=afile", "--audiofile-file=" + wavPath};
    if (!videoOut.empty())
        o.vlcArguments.push_back("--vout=" + videoOut);
    return o;
}

// Polls `done` until it holds or `ms` have passed.
inline bool WaitFor(const std::function<bool()> &done, int ms)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// The sound of a WAV file of 16-bit or float samples: its length and the
// RMS level (full scale 1.0) of each whole second.
struct WavSound {
    double seconds = 0;
    std::vector<double> rmsPerSecond;
};

inline WavSound ReadWav(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto u16 = [&](std::size_t at) { return unsigned(b[at] | b[at + 1] << 8); };
    const auto u32 = [&](std::size_t at) { return std::uint32_t(u16(at) | u16(at + 2) << 16); };
    WavSound sound;
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0)
        return sound;
    unsigned channels = 0, rate = 0, bits = 0, format = 0;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::uint32_t size = u32(at + 4);
        const std::size_t body = at + 8;
        if (std::memcmp(&b[at], "fmt ", 4) == 0 && body + 16 <= b.size()) {
            format = u16(body), channels = u16(body + 2), rate = u32(body + 4), bits = u16(body + 14);
        } else if (std::memcmp(&b[at], "data", 4) == 0 && channels && rate && (bits == 16 || bits == 32)) {
            const std::size_t frameBytes = channels * bits / 8;
            const std::size_t frames = (std::min<std::size_t>(size, b.size() - body)) / frameBytes;
            sound.seconds = double(frames) / rate;
            double sum = 0;
            for (std::size_t f = 0; f < frames; ++f) {
                for (unsigned c = 0; c < channels; ++c) {
                    const std::size_t s = body + f * frameBytes + c * bits / 8;
                    double v;
                    if (bits == 16) {
                        v = std::int16_t(u16(s)) / 32768.0;
                    } else {
                        const std::uint32_t raw = u32(s);
                        float fl;
                        std::memcpy(&fl, &raw, 4);
                        v = format == 3 || format == 0xFFFE ? fl : std::int32_t(raw) / 2147483648.0;
                    }
                    sum += v * v;
                }
                if ((f + 1) % rate == 0) {
                    sound.rmsPerSecond.push_back(std::sqrt(sum / (double(rate) * channels)));
                    sum = 0;
                }
            }
            return sound;
        }
        at = body + size + (size & 1);
    }
    return sound;
}

} // namespace quaverly::test
