#pragma once

#include <string>

#include "core/IAudioEngine.h"

namespace quaverly {

class IDialogs;

// Makes the audio player of the program folder's library; its messages go
// through `dialogs`.
class TAudioEngineFactory final : public IAudioEngineFactory {
public:
    TAudioEngineFactory(IDialogs &dialogs, std::string programFolder)
        : dialogs_(dialogs), programFolder_(std::move(programFolder)) {}
    std::unique_ptr<IAudioEngine> CreateAudioEngine() override;

private:
    IDialogs &dialogs_;
    std::string programFolder_;
};

}  // namespace quaverly
