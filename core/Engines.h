#pragma once

#include <memory>

#include "core/IAudioEngine.h"
#include "core/IMediaControl.h"

namespace quaverly {

// The two engines that play rows, shared by the main window (which creates
// the audio engine at its first show and frees it at its close) and by the
// playback controller and the position timer, which reach both through here.
struct TEngines {
    explicit TEngines(IMediaControl &media) : Media(media) {}
    std::unique_ptr<IAudioEngine> Audio;   // null without the audio library
    IMediaControl &Media;
};

}  // namespace quaverly
