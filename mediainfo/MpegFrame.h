#pragma once
// Frame headers of MPEG audio (versions 1, 2 and 2.5; layers I to III), the
// tables they index, and the search for a frame followed by its successor.
#include "mediainfo/ByteReader.h"

#include <cstdint>
#include <string>

namespace quaverly::mediainfo {

inline constexpr std::size_t MpegBlockSize = 3458;    // twice the largest frame allowance
inline constexpr std::size_t MpegLastCandidate = 1728;

struct MpegFrame {
    bool Found = false;
    std::int32_t Position = 0; // offset inside the scanned block, not the file
    std::uint16_t Size = 0;    // bytes
    bool Xing = false;         // the six bytes after the header are zero
    std::uint8_t Data[4] = {};
    std::uint8_t VersionID = 0;
    std::uint8_t LayerID = 0;
    bool ProtectionBit = false; // true when a CRC follows
    std::uint16_t BitRateID = 0;
    std::uint16_t SampleRateID = 0;
    bool PaddingBit = false;
    bool PrivateBit = false;
    std::uint8_t ModeID = 0;
    std::uint8_t ModeExtensionID = 0;
    bool CopyrightBit = false;
    bool OriginalBit = false;
    std::uint8_t EmphasisID = 0;
};

struct VBRData {
    bool Found = false;
    std::string ID; // "Xing" or "VBRI"
    std::int32_t Frames = 0;
    std::int32_t Bytes = 0;
    std::uint8_t Scale = 0;
    std::string VendorID;
};

bool IsFrameHeader(Bytes block, std::size_t offset);
MpegFrame DecodeFrameHeader(Bytes block, std::size_t offset);

std::uint16_t MpegBitRate(const MpegFrame& frame);    // kbit/s from the table
std::uint16_t MpegSampleRate(const MpegFrame& frame); // Hz
std::uint16_t MpegCoefficient(const MpegFrame& frame);
std::uint16_t MpegPadding(const MpegFrame& frame);    // bytes
std::uint16_t MpegFrameLength(const MpegFrame& frame);
std::size_t MpegVbrHeaderOffset(const MpegFrame& frame);

// Finds the first header whose successor lies where its length says. `vbr`
// is filled only when a frame is found.
MpegFrame FindFrame(Bytes block, VBRData& vbr);
VBRData ReadVbrHeader(Bytes block, std::size_t offset);
// "LAME" and four more characters, or "GOGO", nearest the block's end.
std::string FindVendor(Bytes endBlock, std::uint16_t frameSize);

std::string_view MpegVersionText(std::uint8_t id);
std::string_view MpegLayerText(std::uint8_t id);
std::string_view MpegChannelModeText(std::uint8_t id);
std::string_view MpegEmphasisText(std::uint8_t id);

} // namespace quaverly::mediainfo
