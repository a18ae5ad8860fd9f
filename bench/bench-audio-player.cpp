// Median cost of one band computation (256 magnitudes into 19 bands) and of
// one frame write into the shared visualisation block (header, two spectrum
// rows from 1024 x 2 magnitudes, two waveform rows from 576 sample pairs).
#include "audio/Bands.h"
#include "audio/VisFrame.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace quaverly::audio;
using Clock = std::chrono::steady_clock;

template <typename F>
double MedianMicros(F f, int rounds = 2001, int inner = 100)
{
    std::vector<double> t;
    t.reserve(std::size_t(rounds));
    for (int r = 0; r < rounds; ++r) {
        const auto a = Clock::now();
        for (int i = 0; i < inner; ++i)
            f(i);
        t.push_back(std::chrono::duration<double, std::micro>(Clock::now() - a).count() / inner);
    }
    std::nth_element(t.begin(), t.begin() + rounds / 2, t.end());
    return t[std::size_t(rounds / 2)];
}

int main()
{
    std::vector<float> fft(256);
    for (std::size_t i = 0; i < fft.size(); ++i)
        fft[i] = float(std::fabs(std::sin(double(i) * 0.37)));
    TBandOut bands{};
    volatile unsigned sink = 0;
    const double band = MedianMicros([&](int i) {
        fft[std::size_t(i % 200) + 1] += 0.001f;
        UpdateBands(fft.data(), bands);
        sink = sink + bands[3];
    });

    std::vector<std::uint8_t> block(visframe::FrameEnd);
    std::vector<float> spectrum(visframe::SpectrumBins * 2);
    std::vector<std::int16_t> pcm(visframe::WaveSamples * 2);
    for (std::size_t i = 0; i < spectrum.size(); ++i)
        spectrum[i] = float(i % 97) / 97.0f;
    for (std::size_t i = 0; i < pcm.size(); ++i)
        pcm[i] = std::int16_t((i * 7919) & 0x7fff);
    const double frame = MedianMicros([&](int i) {
        visframe::WriteU32(block.data(), visframe::FlagOffset, 1);
        visframe::WriteHeader(block.data(), 44100, 2, std::uint32_t(i));
        visframe::WriteSpectrumRows(block.data(), spectrum.data(), 2);
        visframe::WriteWaveRows(block.data(), pcm.data(), 2);
        sink = sink + block[2000];
    });
    std::printf("  band computation: %.3f us (median; target < 20)\n", band);
    std::printf("  frame write:      %.3f us (median; target < 20)\n", frame);
    return 0;
}
