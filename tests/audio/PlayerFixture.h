#pragma once
// Shared set-up of the player tests: the audio files of make-fixtures.sh in
// a private folder, SDL's disk driver writing into it, the library folder of
// the build, and a way to run the Qt event loop until something happened.
#include "audio/AudioPlayer.h"
#include "platform/ProcessSpawn.h"
#include "core/IDialogs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace quaverly::test {

class RecordingDialogs final : public IDialogs {
public:
    void MessageBox(const std::string &text, const std::string &caption) override
    {
        boxes.push_back(caption + "|" + text);
    }
    std::optional<std::vector<std::string>> OpenFiles(const std::string &, const std::string &) override
    {
        return std::nullopt;
    }
    std::vector<std::string> boxes;
};

template <typename Pred>
bool PumpUntil(Pred done, int ms = 5000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

inline void Pump(int ms)
{
    PumpUntil([] { return false; }, ms);
}

inline std::string LibraryFolder() { return std::string(QUAVERLY_BIN_DIR) + "/"; }

// The fixture folder, made once per test binary.
inline const std::string &FixtureFolder()
{
    static const std::string folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "quaverly-audio-XXXXXX").string();
        const std::string dir = mkdtemp(pattern.data()) ? pattern : std::string();
        const pid_t pid = SpawnProcess(
            {"/bin/sh", std::string(QUAVERLY_SOURCE_DIR) + "/tests/audio/make-fixtures.sh", dir});
        if (pid <= 0 || WaitForExit(pid, 60000) != 0)
            return std::string();
        static const std::string removeAtExit = dir;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(removeAtExit, ignored);
        });
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", (dir + "/sdl-out.raw").c_str(), 1);
        return dir;
    }();
    return folder;
}

inline std::string Fixture(const char *name) { return FixtureFolder() + "/" + name; }

} // namespace quaverly::test
