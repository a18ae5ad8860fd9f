#pragma once

// FFT magnitudes for the spectrum display: a Hann window over N samples and
// a real FFT (libavutil), scaled so that a full-scale sine centred on a bin
// gives 1.0 in that bin. N is 512, 1024, 2048 or 4096; N/2 values come out.

#include <cstdint>
#include <memory>

struct AVTXContext;

namespace quaverly::bass {

class Spectrum {
public:
    Spectrum() = default;
    ~Spectrum();
    Spectrum(const Spectrum &) = delete;
    Spectrum &operator=(const Spectrum &) = delete;

    // samples: `frames` interleaved frames of `channels` channels (frames
    // may be below n: the rest counts as silence). channel -1 mixes all
    // channels; otherwise that channel alone. Writes n/2 floats to out.
    [[nodiscard]] bool Compute(const int16_t *samples, int frames, int channels, int channel, int n, float *out);

private:
    bool Prepare(int n);
    AVTXContext *tx_ = nullptr;
    void (*fn_)(AVTXContext *, void *, void *, std::ptrdiff_t) = nullptr;
    int n_ = 0;
    float *in_ = nullptr;  // av_malloc'd, aligned
    float *window_ = nullptr;
    void *out_ = nullptr;
};

}  // namespace quaverly::bass
