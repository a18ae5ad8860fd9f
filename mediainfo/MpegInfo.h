#pragma once
// Properties of an MPEG audio file, from its first frame pair and, for
// variable bit rates, the Xing or VBRI header after it. At most three blocks
// are read: the head after the ID3v2 tag, the middle, and the tail.
#include "mediainfo/Id3v1Tag.h"
#include "mediainfo/Id3v2Tag.h"
#include "mediainfo/MpegFrame.h"

#include <cstdint>
#include <string>

namespace quaverly::mediainfo {

class TFileReader;

class TMpegInfo {
public:
    TMpegInfo() { ClearInfo(); }

    void ClearInfo();
    // True when the file was read without an I/O error; whether it holds
    // audio is told by IsValid.
    [[nodiscard]] bool ReadInfo(const std::string& fileName);
    bool IsValid() const;

    std::int32_t FileLength() const { return FFileLength; }
    const std::string& VendorID() const { return FVendorID; }
    const VBRData& VBR() const { return FVBR; }
    const MpegFrame& Frame() const { return FFrame; }
    const TId3v1Tag& ID3v1() const { return FID3v1; }
    const TId3v2Tag& ID3v2() const { return FID3v2; }

    std::uint16_t SampleRate() const { return MpegSampleRate(FFrame); }
    std::uint16_t BitRate() const; // kbit/s, the average for variable rates
    double Duration() const;       // seconds
    std::string ChannelModeText() const { return std::string(MpegChannelModeText(FFrame.ModeID)); }

private:
    bool ReadBlocks(TFileReader& file);

    std::int32_t FFileLength = 0;
    std::string FVendorID;
    VBRData FVBR;
    MpegFrame FFrame;
    TId3v1Tag FID3v1;
    TId3v2Tag FID3v2;
};

} // namespace quaverly::mediainfo
