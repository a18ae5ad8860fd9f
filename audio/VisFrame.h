#pragma once
// The frame the player writes into the shared block for the outside
// visualisation program. Offsets are from the start of the block, numbers
// little-endian; bytes 0 to 1119 are never written by the player.
//
//   1120  u32  frame flag: 1 once written; the reader sets it back to 0
//   1124  u32  sample rate        1128  u32  channel count
//   1132  u32  play position (ms)
//   1136  576  spectrum, first channel    1712  576  spectrum, second channel
//   2288  576  waveform, first channel    2864  576  waveform, second channel
//
// The frame ends at byte 3440, so the block must hold at least that much.
#include <cstddef>
#include <cstdint>

namespace quaverly::audio::visframe {

inline constexpr std::size_t FlagOffset = 1120;
inline constexpr std::size_t SampleRateOffset = 1124;
inline constexpr std::size_t ChannelsOffset = 1128;
inline constexpr std::size_t PositionOffset = 1132;
inline constexpr std::size_t Spectrum1Offset = 1136;
inline constexpr std::size_t Spectrum2Offset = 1712;
inline constexpr std::size_t Wave1Offset = 2288;
inline constexpr std::size_t Wave2Offset = 2864;
inline constexpr std::size_t RowBytes = 576;
inline constexpr std::size_t FrameEnd = 3440;

// The notification the player sends when a frame is ready.
inline constexpr std::int32_t NotifyWParam = 10;
inline constexpr std::int32_t NotifyLParam = 2320;

// FFT sizes asked of the library: 1024 magnitudes per channel.
inline constexpr std::size_t SpectrumBins = 1024;
// 576 samples per row.
inline constexpr std::size_t WaveSamples = RowBytes;
// A frame is only written with at least this many bytes buffered per channel.
inline constexpr std::uint32_t BytesReadyPerChannel = 2048;
// The class of the player's window, to which the outside program sends its
// commands (registered message "WM_SendingData"), and that window's title.
inline constexpr const char *PlayerWindowClass = "TQuaverlyPlayerWindow";
inline constexpr const char *PlayerWindowTitle = "Quaverly PlayerWindow";
// The name of the shared block and of the outside program's window.
inline constexpr const char *ShareName = "VisOutSharedMemory";
inline constexpr const char *TargetTitle = "VisOut";

// Ticks a frame that was not taken survives before it is overwritten.
inline constexpr int MaxSkips = 10;

std::uint32_t ReadU32(const std::uint8_t *block, std::size_t offset);
void WriteU32(std::uint8_t *block, std::size_t offset, std::uint32_t value);

// magnitude x 512 truncated toward zero; the low 8 bits are stored.
std::uint8_t SpectrumByte(float magnitude);
// sample / 256 truncated toward zero, as a signed byte.
std::uint8_t WaveByte(std::int16_t sample);

void WriteHeader(std::uint8_t *block, std::uint32_t sampleRate, std::uint32_t channels,
                 std::uint32_t positionMs);

// Spectrum rows from the library's FFT data: `channels` 1 gives 1024
// magnitudes, both rows get bins 1 to 576; otherwise `channels` x 1024
// interleaved magnitudes, the rows take the first two channels.
void WriteSpectrumRows(std::uint8_t *block, const float *magnitudes, unsigned channels);
// Waveform rows from 576 interleaved sample frames of `channels` 16-bit
// samples; one channel fills both rows with the same samples.
void WriteWaveRows(std::uint8_t *block, const std::int16_t *samples, unsigned channels);

// Whether a tick writes a frame, given the frame flag. A frame still not
// taken is skipped; on the tenth skipped tick in a row it is overwritten.
class SkipRule {
public:
    [[nodiscard]] bool ShouldWrite(std::uint32_t frameFlag);
    void Reset() { skipCount_ = 0; }
    int SkipCount() const { return skipCount_; }

private:
    int skipCount_ = 0;
};

} // namespace quaverly::audio::visframe
