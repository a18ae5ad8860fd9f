#pragma once

// Module music (MOD, S3M, XM, IT and the rest libopenmpt reads), rendered
// at 44100 Hz stereo. It plays to its end once and does not seek.

#include "platform/bass/ByteSource.h"
#include "platform/bass/Decoder.h"

#include <memory>

struct openmpt_module;

namespace quaverly::bass {

class ModDecoder : public Decoder {
public:
    static constexpr int kRate = 44100;
    // nullptr when the bytes are not a module libopenmpt reads.
    static std::unique_ptr<ModDecoder> Open(ByteSource &bytes, int &error);
    ~ModDecoder() override;

    int rate() const override { return kRate; }
    int channels() const override { return 2; }
    int Read(int16_t *out, int maxFrames) override;
    bool Seek(int64_t frame) override;
    int64_t LengthFrames() const override { return length_; }
    int64_t FileSize() const override { return size_; }
    int64_t FileDownloaded() const override { return size_; }

private:
    ModDecoder() = default;
    openmpt_module *module_ = nullptr;
    int64_t length_ = -1;
    int64_t size_ = 0;
};

}  // namespace quaverly::bass
