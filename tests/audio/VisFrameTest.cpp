#include "audio/VisFrame.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace quaverly::audio;
using namespace quaverly::audio::visframe;

TEST(VisFrameBytes, SpectrumAndWaveConversions)
{
    EXPECT_EQ(51, SpectrumByte(0.6f));  // 307 truncated, low 8 bits
    EXPECT_EQ(0, SpectrumByte(0.0f));
    EXPECT_EQ(255, SpectrumByte(0.499f)); // 255.48 -> 255
    EXPECT_EQ(0, SpectrumByte(0.5f));   // 256 -> low byte 0
    EXPECT_EQ(0, SpectrumByte(1e30f));  // out of range: no undefined conversion
    EXPECT_EQ(0xFF, WaveByte(-300));   // -1
    EXPECT_EQ(0, WaveByte(255));
    EXPECT_EQ(0, WaveByte(-255));       // toward zero, not floor
    EXPECT_EQ(0x7F, WaveByte(32767));
    EXPECT_EQ(0x80, WaveByte(-32768));
}

TEST(VisFrameLayout, HeaderAtItsOffsetsLittleEndianAndBelow1120Untouched)
{
    std::vector<std::uint8_t> block(FrameEnd, 0xAA);
    WriteU32(block.data(), FlagOffset, 1);
    WriteHeader(block.data(), 44100, 2, 0x01020304);
    EXPECT_EQ(1u, ReadU32(block.data(), 1120));
    EXPECT_EQ(0x44, block[1124]);
    EXPECT_EQ(0xAC, block[1125]);
    EXPECT_EQ(44100u, ReadU32(block.data(), 1124));
    EXPECT_EQ(2u, ReadU32(block.data(), 1128));
    EXPECT_EQ(0x04, block[1132]);
    EXPECT_EQ(0x01, block[1135]);

    std::vector<float> fft(SpectrumBins * 2, 0.0f);
    std::vector<std::int16_t> pcm(WaveSamples * 2, 0);
    WriteSpectrumRows(block.data(), fft.data(), 2);
    WriteWaveRows(block.data(), pcm.data(), 2);
    for (std::size_t i = 0; i < FlagOffset; ++i)
        ASSERT_EQ(0xAA, block[i]) << "byte " << i;
    for (std::size_t i = Spectrum1Offset; i < FrameEnd; ++i)
        ASSERT_EQ(0, block[i]) << "byte " << i;
}

TEST(VisFrameRows, MonoFillsBothRowsIdenticallyFromBin1)
{
    std::vector<std::uint8_t> block(FrameEnd, 0);
    std::vector<float> fft(SpectrumBins);
    for (std::size_t i = 0; i < fft.size(); ++i)
        fft[i] = float(i % 200) / 512.0f;
    std::vector<std::int16_t> pcm(WaveSamples);
    for (std::size_t i = 0; i < pcm.size(); ++i)
        pcm[i] = std::int16_t(i * 50 - 14000);
    WriteSpectrumRows(block.data(), fft.data(), 1);
    WriteWaveRows(block.data(), pcm.data(), 1);
    EXPECT_EQ(1, block[Spectrum1Offset]); // bin 1, not bin 0
    EXPECT_EQ(0, std::memcmp(&block[Spectrum1Offset], &block[Spectrum2Offset], RowBytes));
    EXPECT_EQ(0, std::memcmp(&block[Wave1Offset], &block[Wave2Offset], RowBytes));
    EXPECT_EQ(WaveByte(pcm[575]), block[Wave1Offset + 575]);
}

TEST(VisFrameRows, MultichannelRowsTakeTheFirstTwoChannels)
{
    // Six channels, interleaved: channel c of bin b is marked b*8+c (as bytes).
    const unsigned ch = 6;
    std::vector<std::uint8_t> block(FrameEnd, 0);
    std::vector<float> fft(SpectrumBins * ch);
    for (std::size_t b = 0; b < SpectrumBins; ++b)
        for (unsigned c = 0; c < ch; ++c)
            fft[b * ch + c] = float((b * 8 + c) % 256) / 512.0f + 1e-6f;
    std::vector<std::int16_t> pcm(WaveSamples * ch);
    for (std::size_t k = 0; k < WaveSamples; ++k)
        for (unsigned c = 0; c < ch; ++c)
            pcm[k * ch + c] = std::int16_t(c * 256 * 10);
    WriteSpectrumRows(block.data(), fft.data(), ch);
    WriteWaveRows(block.data(), pcm.data(), ch);
    for (std::size_t k = 0; k < RowBytes; ++k) {
        ASSERT_EQ(((k + 1) * 8) % 256, block[Spectrum1Offset + k]);
        ASSERT_EQ(((k + 1) * 8 + 1) % 256, block[Spectrum2Offset + k]);
        ASSERT_EQ(0, block[Wave1Offset + k]);
        ASSERT_EQ(10, block[Wave2Offset + k]);
    }
}

TEST(VisFrameSkipRule, ATakenFrameIsWrittenAndAnUntakenOneEveryTenthTick)
{
    SkipRule rule;
    EXPECT_TRUE(rule.ShouldWrite(0));
    int written = 0;
    for (int tick = 1; tick <= 30; ++tick)
        if (rule.ShouldWrite(1)) {
            ++written;
            EXPECT_EQ(0, tick % 10) << "tick " << tick;
        }
    EXPECT_EQ(3, written);
    // Clearing the flag in between restarts the count.
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(rule.ShouldWrite(1));
    EXPECT_TRUE(rule.ShouldWrite(0));
    EXPECT_EQ(0, rule.SkipCount());
    for (int i = 0; i < 9; ++i)
        EXPECT_FALSE(rule.ShouldWrite(1));
    EXPECT_TRUE(rule.ShouldWrite(1));
}
