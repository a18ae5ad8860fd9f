#pragma once

#include "platform/DynamicLibrary.h"
#include "platform/bass/bass.h"

#include <string>

namespace quaverly {

// The entry points of libbass.so the player calls, bound by name. Every
// pointer is valid while the owning BassLibrary is loaded().
struct BassApi {
    decltype(&::BASS_SetConfig) SetConfig = nullptr;
    decltype(&::BASS_Init) Init = nullptr;
    decltype(&::BASS_Free) Free = nullptr;
    decltype(&::BASS_GetVersion) GetVersion = nullptr;
    decltype(&::BASS_StreamCreateFile) StreamCreateFile = nullptr;
    decltype(&::BASS_MusicLoad) MusicLoad = nullptr;
    decltype(&::BASS_StreamCreateURL) StreamCreateURL = nullptr;
    decltype(&::BASS_ChannelGetInfo) ChannelGetInfo = nullptr;
    decltype(&::BASS_ChannelGetTags) ChannelGetTags = nullptr;
    decltype(&::BASS_ChannelGetLength) ChannelGetLength = nullptr;
    decltype(&::BASS_ChannelGetPosition) ChannelGetPosition = nullptr;
    decltype(&::BASS_ChannelBytes2Seconds) ChannelBytes2Seconds = nullptr;
    decltype(&::BASS_ChannelSeconds2Bytes) ChannelSeconds2Bytes = nullptr;
    decltype(&::BASS_ChannelSetPosition) ChannelSetPosition = nullptr;
    decltype(&::BASS_StreamGetFilePosition) StreamGetFilePosition = nullptr;
    decltype(&::BASS_ChannelSetSync) ChannelSetSync = nullptr;
    decltype(&::BASS_ChannelPlay) ChannelPlay = nullptr;
    decltype(&::BASS_ChannelStop) ChannelStop = nullptr;
    decltype(&::BASS_StreamFree) StreamFree = nullptr;
    decltype(&::BASS_MusicFree) MusicFree = nullptr;
    decltype(&::BASS_ChannelIsActive) ChannelIsActive = nullptr;
    decltype(&::BASS_ChannelGetData) ChannelGetData = nullptr;
};

// The run-time binding of the audio library. Load() opens the file by path
// and binds every entry point of BassApi by name; when the file is missing,
// does not load, or lacks one entry point, the library is released again and
// counts as absent (loaded() false, error() says why). Unload() (also run by
// the destructor) calls BASS_Free and then releases the library; a player
// that also holds a BassWmaLibrary releases that one afterwards.
class BassLibrary {
public:
    static constexpr const char *kFileName = "libbass.so";

    BassLibrary() = default;
    ~BassLibrary();
    BassLibrary(const BassLibrary &) = delete;
    BassLibrary &operator=(const BassLibrary &) = delete;

    // Loads folder + kFileName; folder ends with "/" (ProgramFolder()).
    [[nodiscard]] bool Load(const std::string &folder);
    [[nodiscard]] bool LoadFromProgramFolder();
    void Unload();

    [[nodiscard]] bool loaded() const { return library_.loaded(); }
    const std::string &error() const { return error_; }
    // Valid only while loaded().
    const BassApi &api() const { return api_; }

private:
    DynamicLibrary library_;
    BassApi api_;
    std::string error_;
};

}  // namespace quaverly
