#pragma once
// The audio library as the player calls it: libbass.so and its WMA add-on
// libbasswma.so, loaded at run time from the program folder through their
// bindings, with the entry points at hand as plain members (null while the
// library is not loaded): the binding's entry points, plus the add-on's.
#include "audio/BassLibrary.h"
#include "audio/BassWmaLibrary.h"

#include <string>

namespace quaverly::audio {

class TPlayerLibrary : public BassApi {
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

    decltype(&::BASS_WMA_StreamCreateFile) WmaStreamCreateFile = nullptr;

private:
    BassLibrary bass_;
    BassWmaLibrary wma_;
};

} // namespace quaverly::audio
