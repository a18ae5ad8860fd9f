#include "mediainfo/MpegFrame.h"

#include <array>
#include <cmath>

namespace quaverly::mediainfo {
namespace {

using RateRow = std::array<std::uint16_t, 16>;
constexpr RateRow None = {};
constexpr RateRow V1L1 = {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0};
constexpr RateRow V1L2 = {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0};
constexpr RateRow V1L3 = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
constexpr RateRow V2L1 = {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0};
constexpr RateRow V2L23 = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};

// [VersionID][LayerID]; MPEG 2.5 uses the MPEG 2 rows.
constexpr std::array<std::array<const RateRow*, 4>, 4> BitRates = {{
    {&None, &V2L23, &V2L23, &V2L1},
    {&None, &None, &None, &None},
    {&None, &V2L23, &V2L23, &V2L1},
    {&None, &V1L3, &V1L2, &V1L1},
}};

constexpr std::array<std::array<std::uint16_t, 4>, 4> SampleRates = {{
    {11025, 12000, 8000, 0},
    {0, 0, 0, 0},
    {22050, 24000, 16000, 0},
    {44100, 48000, 32000, 0},
}};

template <std::size_t N>
std::string_view NameAt(const std::array<std::string_view, N>& names, std::size_t id)
{
    return id < N ? names[id] : std::string_view();
}

} // namespace

bool IsFrameHeader(Bytes b, std::size_t o)
{
    if (!Fits(b, o, 4))
        return false;
    const std::uint8_t version = (b[o + 1] >> 3) & 3;
    const std::uint8_t layer = (b[o + 1] >> 1) & 3;
    const std::uint8_t bitRate = b[o + 2] >> 4;
    const std::uint8_t sampleRate = (b[o + 2] >> 2) & 3;
    const std::uint8_t emphasis = b[o + 3] & 3;
    return b[o] == 0xFF && (b[o + 1] & 0xE0) == 0xE0 && version != 1 && layer != 0 && bitRate != 15 &&
           bitRate != 0 && sampleRate != 3 && emphasis != 2;
}

MpegFrame DecodeFrameHeader(Bytes b, std::size_t o)
{
    MpegFrame f;
    if (!Fits(b, o, 4))
        return f;
    for (int i = 0; i < 4; ++i)
        f.Data[i] = b[o + i];
    f.VersionID = (b[o + 1] >> 3) & 3;
    f.LayerID = (b[o + 1] >> 1) & 3;
    f.ProtectionBit = (b[o + 1] & 1) == 0;
    f.BitRateID = b[o + 2] >> 4;
    f.SampleRateID = (b[o + 2] >> 2) & 3;
    f.PaddingBit = (b[o + 2] & 2) != 0;
    f.PrivateBit = (b[o + 2] & 1) != 0;
    f.ModeID = b[o + 3] >> 6;
    f.ModeExtensionID = (b[o + 3] >> 4) & 3;
    f.CopyrightBit = (b[o + 3] & 8) != 0;
    f.OriginalBit = (b[o + 3] & 4) != 0;
    f.EmphasisID = b[o + 3] & 3;
    return f;
}

std::uint16_t MpegBitRate(const MpegFrame& f)
{
    if (f.VersionID > 3 || f.LayerID > 3 || f.BitRateID > 15)
        return 0;
    return (*BitRates[f.VersionID][f.LayerID])[f.BitRateID];
}

std::uint16_t MpegSampleRate(const MpegFrame& f)
{
    if (f.VersionID > 3 || f.SampleRateID > 3)
        return 0;
    return SampleRates[f.VersionID][f.SampleRateID];
}

std::uint16_t MpegCoefficient(const MpegFrame& f)
{
    if (f.VersionID == 3)
        return f.LayerID == 3 ? 48 : 144;
    if (f.LayerID == 3)
        return 24;
    return f.LayerID == 2 ? 144 : 72;
}

std::uint16_t MpegPadding(const MpegFrame& f)
{
    if (!f.PaddingBit)
        return 0;
    return f.LayerID == 3 ? 4 : 1;
}

std::uint16_t MpegFrameLength(const MpegFrame& f)
{
    const std::uint16_t rate = MpegSampleRate(f);
    if (rate == 0)
        return 0;
    if (f.LayerID == 3) {
        // Layer I frames are whole 4-byte slots, 12 slots per 384 samples at
        // every version: truncating the byte count instead would miss the next
        // header of most 44.1 kHz files (139 bytes against the real 136).
        const double slots = std::trunc(12.0 * MpegBitRate(f) * 1000.0 / rate);
        return static_cast<std::uint16_t>((static_cast<std::uint32_t>(slots) + (f.PaddingBit ? 1 : 0)) * 4);
    }
    const double length = std::trunc(static_cast<double>(MpegCoefficient(f)) * MpegBitRate(f) * 1000.0 / rate);
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(length) + MpegPadding(f));
}

std::size_t MpegVbrHeaderOffset(const MpegFrame& f)
{
    const bool mono = f.ModeID == 3;
    if (f.VersionID == 3)
        return mono ? 21 : 36;
    return mono ? 13 : 21;
}

VBRData ReadVbrHeader(Bytes b, std::size_t k)
{
    VBRData vbr;
    if (HasText(b, k, "Xing")) {
        vbr.Found = true;
        vbr.ID = "Xing";
        vbr.Frames = static_cast<std::int32_t>(ReadBe32(b, k + 8));
        vbr.Bytes = static_cast<std::int32_t>(ReadBe32(b, k + 12));
        vbr.Scale = Fits(b, k + 119, 1) ? b[k + 119] : 0;
        vbr.VendorID = TextAt(b, k + 120, 8);
    } else if (HasText(b, k, "VBRI")) {
        vbr.Found = true;
        vbr.ID = "VBRI";
        vbr.Scale = Fits(b, k + 9, 1) ? b[k + 9] : 0;
        vbr.Bytes = static_cast<std::int32_t>(ReadBe32(b, k + 10));
        vbr.Frames = static_cast<std::int32_t>(ReadBe32(b, k + 14));
    }
    return vbr;
}

MpegFrame FindFrame(Bytes b, VBRData& vbr)
{
    MpegFrame result;
    for (std::size_t i = 0; i <= MpegLastCandidate && Fits(b, i, 4); ++i) {
        if (!IsFrameHeader(b, i))
            continue;
        result = DecodeFrameHeader(b, i);
        const std::size_t length = MpegFrameLength(result);
        if (!IsFrameHeader(b, i + length))
            continue;
        result.Found = true;
        result.Position = static_cast<std::int32_t>(i);
        result.Size = static_cast<std::uint16_t>(length);
        result.Xing = Fits(b, i + 4, 6);
        for (std::size_t j = i + 4; result.Xing && j < i + 10; ++j)
            result.Xing = b[j] == 0;
        vbr = ReadVbrHeader(b, i + MpegVbrHeaderOffset(result));
        return result;
    }
    return result;
}

std::string FindVendor(Bytes e, std::uint16_t frameSize)
{
    if (e.size() < MpegBlockSize)
        return {};
    int limit = static_cast<std::uint16_t>(frameSize * 5);
    if (static_cast<int>(MpegBlockSize) - limit - 8 < 0)
        limit = static_cast<int>(MpegBlockSize) - 8;
    for (int j = 0; j <= limit; ++j) {
        const std::size_t p = MpegBlockSize - static_cast<std::size_t>(j) - 8;
        if (HasText(e, p, "LAME"))
            return "LAME" + TextAt(e, p + 4, 4);
        if (HasText(e, p, "GOGO"))
            return "GOGO";
    }
    return {};
}

std::string_view MpegVersionText(std::uint8_t id)
{
    static constexpr std::array<std::string_view, 4> names = {"MPEG 2.5", "MPEG ?", "MPEG 2", "MPEG 1"};
    return NameAt(names, id);
}

std::string_view MpegLayerText(std::uint8_t id)
{
    static constexpr std::array<std::string_view, 4> names = {"Layer ?", "Layer III", "Layer II", "Layer I"};
    return NameAt(names, id);
}

std::string_view MpegChannelModeText(std::uint8_t id)
{
    static constexpr std::array<std::string_view, 5> names = {"Stereo", "Joint Stereo", "Dual Channel", "Mono",
                                                              "Unknown"};
    return NameAt(names, id);
}

std::string_view MpegEmphasisText(std::uint8_t id)
{
    static constexpr std::array<std::string_view, 4> names = {"None", "50/15 ms", "Unknown", "CCIT J.17"};
    return NameAt(names, id);
}

} // namespace quaverly::mediainfo
