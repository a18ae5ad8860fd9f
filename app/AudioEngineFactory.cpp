#include "app/AudioEngineFactory.h"

#include "audio/AudioPlayer.h"

namespace quaverly {

std::unique_ptr<IAudioEngine> TAudioEngineFactory::CreateAudioEngine()
{
    return std::make_unique<audio::TAudioPlayer>(&dialogs_, programFolder_);
}

}  // namespace quaverly
