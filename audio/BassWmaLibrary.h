#pragma once

#include "platform/DynamicLibrary.h"
#include "platform/bass/bass.h"

#include <string>

namespace quaverly {

// The run-time binding of the WMA add-on (libbasswma.so): the same rules as
// BassLibrary. A missing add-on only removes WMA support. Release it after
// the main library (BassLibrary::Unload first).
class BassWmaLibrary {
public:
    static constexpr const char *kFileName = "libbasswma.so";

    BassWmaLibrary() = default;
    ~BassWmaLibrary() = default;
    BassWmaLibrary(const BassWmaLibrary &) = delete;
    BassWmaLibrary &operator=(const BassWmaLibrary &) = delete;

    [[nodiscard]] bool Load(const std::string &folder);
    [[nodiscard]] bool LoadFromProgramFolder();
    void Unload();

    [[nodiscard]] bool loaded() const { return library_.loaded(); }
    const std::string &error() const { return error_; }
    // Valid only while loaded().
    decltype(&::BASS_WMA_StreamCreateFile) StreamCreateFile = nullptr;

private:
    DynamicLibrary library_;
    std::string error_;
};

}  // namespace quaverly
