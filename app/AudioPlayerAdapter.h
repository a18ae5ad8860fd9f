#pragma once

#include <memory>
#include <string>

#include "app/IAudioPlayer.h"
#include "audio/AudioPlayer.h"

namespace quaverly {

class IDialogs;

// The audio player component as the shell sees it.
class TAudioPlayerAdapter final : public IAudioPlayer {
public:
    explicit TAudioPlayerAdapter(std::unique_ptr<audio::TAudioPlayer> player) : player_(std::move(player)) {}
    bool PlayerReady() const override { return player_->PlayerReady(); }
    void SetOnNewFFTData(std::function<void(const TBandOut &)> handler) override;
    audio::TAudioPlayer &Player() { return *player_; }

private:
    std::unique_ptr<audio::TAudioPlayer> player_;
};

// Makes the player with the library of the program folder; its messages go
// through dialogs.
class TAudioPlayerFactory final : public IAudioPlayerFactory {
public:
    TAudioPlayerFactory(IDialogs &dialogs, std::string programFolder)
        : dialogs_(dialogs), programFolder_(std::move(programFolder)) {}
    std::unique_ptr<IAudioPlayer> CreateAudioPlayer() override;

private:
    IDialogs &dialogs_;
    std::string programFolder_;
};

}  // namespace quaverly
