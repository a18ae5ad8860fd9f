#include "audio/VisFrame.h"

#include <cmath>
#include <cstring>

namespace quaverly::audio::visframe {

std::uint32_t ReadU32(const std::uint8_t *block, std::size_t offset)
{
    const std::uint8_t *p = block + offset;
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

void WriteU32(std::uint8_t *block, std::size_t offset, std::uint32_t value)
{
    std::uint8_t *p = block + offset;
    p[0] = std::uint8_t(value);
    p[1] = std::uint8_t(value >> 8);
    p[2] = std::uint8_t(value >> 16);
    p[3] = std::uint8_t(value >> 24);
}

std::uint8_t SpectrumByte(float magnitude)
{
    const double v = std::trunc(static_cast<double>(magnitude) * 512.0);
    // Out-of-range and NaN inputs would make the conversion undefined; the
    // stored byte is only the low 8 bits anyway.
    if (!(v > -2147483648.0 && v < 2147483648.0))
        return 0;
    return static_cast<std::uint8_t>(static_cast<std::int32_t>(v) & 0xff);
}

std::uint8_t WaveByte(std::int16_t sample)
{
    return static_cast<std::uint8_t>(static_cast<std::int8_t>(sample / 256));
}

void WriteHeader(std::uint8_t *block, std::uint32_t sampleRate, std::uint32_t channels,
                 std::uint32_t positionMs)
{
    WriteU32(block, SampleRateOffset, sampleRate);
    WriteU32(block, ChannelsOffset, channels);
    WriteU32(block, PositionOffset, positionMs);
}

void WriteSpectrumRows(std::uint8_t *block, const float *magnitudes, unsigned channels)
{
    std::uint8_t *row1 = block + Spectrum1Offset;
    std::uint8_t *row2 = block + Spectrum2Offset;
    if (channels <= 1) {
        for (std::size_t k = 0; k < RowBytes; ++k)
            row1[k] = SpectrumByte(magnitudes[k + 1]);
        std::memcpy(row2, row1, RowBytes);
        return;
    }
    for (std::size_t k = 0; k < RowBytes; ++k) {
        const float *bin = magnitudes + (k + 1) * channels;
        row1[k] = SpectrumByte(bin[0]);
        row2[k] = SpectrumByte(bin[1]);
    }
}

void WriteWaveRows(std::uint8_t *block, const std::int16_t *samples, unsigned channels)
{
    std::uint8_t *row1 = block + Wave1Offset;
    std::uint8_t *row2 = block + Wave2Offset;
    if (channels <= 1) {
        for (std::size_t k = 0; k < RowBytes; ++k)
            row1[k] = WaveByte(samples[k]);
        std::memcpy(row2, row1, RowBytes);
        return;
    }
    for (std::size_t k = 0; k < RowBytes; ++k) {
        const std::int16_t *frame = samples + k * channels;
        row1[k] = WaveByte(frame[0]);
        row2[k] = WaveByte(frame[1]);
    }
}

bool SkipRule::ShouldWrite(std::uint32_t frameFlag)
{
    if (frameFlag != 0) {
        ++skipCount_;
        if (skipCount_ < MaxSkips)
            return false;
    }
    skipCount_ = 0;
    return true;
}

} // namespace quaverly::audio::visframe
