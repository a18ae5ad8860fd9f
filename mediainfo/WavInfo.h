#pragma once
// The canonical 44-byte header of a RIFF WAVE file: format chunk first, then
// the data chunk. Nothing past those 44 bytes is read.
#include "mediainfo/ByteReader.h"

#include <cstdint>
#include <string>

namespace quaverly::mediainfo {

inline constexpr std::size_t WavHeaderSize = 44;

class TWavInfo {
public:
    TWavInfo() { ClearInfo(); }

    void ClearInfo();
    // True when 44 bytes could be read, whether or not they form a header.
    [[nodiscard]] bool ReadInfo(const std::string& fileName);
    // Parses the first 44 bytes (the pure step of ReadInfo).
    void ParseHeader(Bytes header);

    bool IsValid() const { return FValid; }
    std::uint8_t Channels() const { return FChannels; }
    std::uint16_t SampleRate() const { return FSampleRate; } // Hz, low 16 bits of the field
    std::uint8_t BitsPerSample() const { return FBitsPerSample; }
    std::uint32_t FileSize() const { return FFileSize; }     // RIFF size + 8
    // Seconds of sound, counting every byte after the header as samples.
    double Duration() const;

private:
    bool FValid = false;
    std::uint8_t FChannels = 0;
    std::uint16_t FSampleRate = 0;
    std::uint8_t FBitsPerSample = 0;
    std::uint32_t FFileSize = 0;
};

} // namespace quaverly::mediainfo
