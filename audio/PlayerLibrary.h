#pragma once
// The audio library as the player calls it: libbass.so and its WMA add-on
// libbasswma.so, loaded at run time from the program folder through their
// bindings, with the entry points at hand as plain members (null while the
// library is not loaded).
#include "audio/BassLibrary.h"
#include "audio/BassWmaLibrary.h"

#include <string>

namespace quaverly::audio {

class TPlayerLibrary {
public:

    TPlayerLibrary() = default;
    ~TPlayerLibrary() { Unload(); }
    TPlayerLibrary(const TPlayerLibrary &) = delete;
    TPlayerLibrary &operator=(const TPlayerLibrary &) = delete;

    // `folder` ends with "/".
    [[nodiscard]] bool LoadBass(const std::string &folder);
    [[nodiscard]] bool LoadWma(const std::string &folder);
    // BASS_Free, then libbass.so released; then libbasswma.so released.
    void Unload();

    bool Loaded() const { return bass_.loaded(); }
    bool WmaLoaded() const { return wma_.loaded(); }
    const std::string &Error() const { return bass_.error(); }

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
    decltype(&::BASS_WMA_StreamCreateFile) WmaStreamCreateFile = nullptr;

private:
    void Assign(const BassApi &api);
    BassLibrary bass_;
    BassWmaLibrary wma_;
};

} // namespace quaverly::audio
