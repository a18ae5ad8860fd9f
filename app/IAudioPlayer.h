#pragma once

#include <functional>
#include <memory>

#include "ui/ISpectrumDisplay.h"

namespace quaverly {

// What the shell needs of the audio player component: whether it could open
// the audio output, and where its spectrum bands go. The main window owns the
// one player from its first show to its close.
class IAudioPlayer {
public:
    virtual ~IAudioPlayer() = default;
    // False when the audio output could not be opened; the player has then
    // already told the user.
    virtual bool PlayerReady() const = 0;
    // Called on the user-interface thread with each new set of bands.
    virtual void SetOnNewFFTData(std::function<void(const TBandOut &)> handler) = 0;
};

// Creates the audio player when the audio library lies beside the program.
class IAudioPlayerFactory {
public:
    virtual ~IAudioPlayerFactory() = default;
    // nullptr when no player can be made in this build; the shell then runs
    // without the audio engine, as when the library is absent.
    virtual std::unique_ptr<IAudioPlayer> CreateAudioPlayer() = 0;
};

}  // namespace quaverly
