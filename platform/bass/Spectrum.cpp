#include "platform/bass/Spectrum.h"

#include "platform/bass/Ffmpeg.h"

#include <cmath>

namespace quaverly::bass {

Spectrum::~Spectrum()
{
    if (!n_ && !tx_ && !in_ && !window_ && !out_)
        return;  // FFmpeg may never have been bound
    av.av_tx_uninit(&tx_);
    av.av_freep(&in_);
    av.av_freep(&window_);
    av.av_freep(&out_);
}

bool Spectrum::Prepare(int n)
{
    if (n == n_ && tx_)
        return true;
    if (!LoadFfmpeg())
        return false;
    av.av_tx_uninit(&tx_);
    av.av_freep(&in_);
    av.av_freep(&window_);
    av.av_freep(&out_);
    n_ = 0;
    const float scale = 1.0f;
    av_tx_fn fn = nullptr;
    if (av.av_tx_init(&tx_, &fn, AV_TX_FLOAT_RDFT, 0, n, &scale, 0) < 0)
        return false;
    fn_ = fn;
    in_ = static_cast<float *>(av.av_malloc(sizeof(float) * size_t(n + 2)));
    window_ = static_cast<float *>(av.av_malloc(sizeof(float) * size_t(n)));
    out_ = av.av_malloc(sizeof(AVComplexFloat) * size_t(n / 2 + 1));
    if (!in_ || !window_ || !out_)
        return false;
    // The window carries the 16-bit scale too (a power of two, so the
    // product is the same as scaling each sample first).
    for (int i = 0; i < n; ++i)
        window_[i] = float(0.5 - 0.5 * std::cos(2.0 * M_PI * i / n)) / 32768.0f;
    n_ = n;
    return true;
}

bool Spectrum::Compute(const int16_t *samples, int frames, int channels, int channel, int n, float *out)
{
    if (channels <= 0 || n < 2 || !Prepare(n))
        return false;
    const int used = frames < n ? (frames < 0 ? 0 : frames) : n;
    // Called 40 times a second for the spectrum display: one channel and
    // the stereo mix have loops of their own the compiler vectorises.
    const size_t stride = size_t(channels);
    if (channel >= 0 || channels == 1) {
        const int16_t *from = samples + (channel >= 0 ? channel : 0);
        for (int i = 0; i < used; ++i)
            in_[i] = float(from[size_t(i) * stride]) * window_[i];
    } else if (channels == 2) {
        for (int i = 0; i < used; ++i)
            in_[i] = float(int(samples[2 * size_t(i)]) + int(samples[2 * size_t(i) + 1])) * 0.5f * window_[i];
    } else {
        for (int i = 0; i < used; ++i) {
            int sum = 0;
            for (int c = 0; c < channels; ++c)
                sum += samples[size_t(i) * stride + size_t(c)];
            in_[i] = float(sum) / float(channels) * window_[i];
        }
    }
    for (int i = used; i < n; ++i)
        in_[i] = 0.0f;
    fn_(tx_, out_, in_, sizeof(float));
    // A full-scale sine gives N/2 unwindowed, N/4 through the Hann window.
    const float scale = 4.0f / float(n);
    const auto *bins = static_cast<const AVComplexFloat *>(out_);
    for (int k = 0; k < n / 2; ++k)
        out[k] = std::sqrt(bins[k].re * bins[k].re + bins[k].im * bins[k].im) * scale;
    return true;
}

}  // namespace quaverly::bass
