#include "app/AudioPlayerAdapter.h"

namespace quaverly {

void TAudioPlayerAdapter::SetOnNewFFTData(std::function<void(const TBandOut &)> handler)
{
    if (!handler) {
        player_->OnNewFFTData = nullptr;
        return;
    }
    player_->OnNewFFTData = [handler = std::move(handler)](audio::TAudioPlayer &, audio::TBandOut &bands) {
        handler(bands);
    };
}

std::unique_ptr<IAudioPlayer> TAudioPlayerFactory::CreateAudioPlayer()
{
    return std::make_unique<TAudioPlayerAdapter>(std::make_unique<audio::TAudioPlayer>(&dialogs_, programFolder_));
}

}  // namespace quaverly
