#include "mediainfo/MpegInfo.h"

#include "mediainfo/FileReader.h"

#include <cmath>
#include <vector>

namespace quaverly::mediainfo {

void TMpegInfo::ClearInfo()
{
    FFileLength = 0;
    FVendorID.clear();
    FVBR = VBRData();
    FFrame = MpegFrame();
    // The values that mean "unknown" in the name tables.
    FFrame.VersionID = 1;
    FFrame.SampleRateID = 3;
    FFrame.ModeID = 4;
    FFrame.ModeExtensionID = 4;
    FFrame.EmphasisID = 2;
    FID3v1.ClearInfo();
    FID3v2.ClearInfo();
}

bool TMpegInfo::ReadInfo(const std::string& fileName)
{
    ClearInfo();
    // One open file serves both tag readers and the frame search.
    TFileReader file(fileName);
    bool result = FID3v2.ReadInfo(file) && FID3v1.ReadInfo(file) && ReadBlocks(file);
    if (!FFrame.Found)
        ClearInfo();
    return result;
}

bool TMpegInfo::ReadBlocks(TFileReader& file)
{
    if (!file.IsOpen())
        return false;
    FFileLength = static_cast<std::int32_t>(file.Size());
    const std::int64_t tagSize = FID3v2.Size();

    std::vector<std::uint8_t> block;
    if (!file.ReadAt(tagSize, MpegBlockSize, block))
        return false;
    const bool fullBlock = block.size() == MpegBlockSize;
    block.resize(MpegBlockSize, 0); // bytes past the end of the file count as zero
    FFrame = FindFrame(block, FVBR);

    if (!FFrame.Found && fullBlock) {
        if (!file.ReadExactly((std::int64_t{FFileLength} - tagSize) / 2, MpegBlockSize, block))
            return false;
        FFrame = FindFrame(block, FVBR);
    }

    if (FFrame.Found && !FVBR.Found) {
        const std::int64_t end = std::int64_t{FFileLength} - static_cast<std::int64_t>(MpegBlockSize) -
                                 (FID3v1.Exists() ? static_cast<std::int64_t>(Id3v1TagSize) : 0);
        if (!file.ReadExactly(end, MpegBlockSize, block))
            return false;
        FVendorID = FindVendor(block, FFrame.Size);
    }
    return true;
}

std::uint16_t TMpegInfo::BitRate() const
{
    if (!FVBR.Found || FVBR.Frames <= 0)
        return MpegBitRate(FFrame);
    const double coefficient = MpegCoefficient(FFrame);
    const double average = (static_cast<double>(FVBR.Bytes) / FVBR.Frames - MpegPadding(FFrame)) * SampleRate() / coefficient / 1000.0;
    const double rounded = std::nearbyint(average); // halves to even
    // Wraps into 16 bits as the stored width does; out-of-range values of a
    // damaged header become 0 instead of an undefined conversion.
    if (!(std::fabs(rounded) < 9.0e18))
        return 0;
    return static_cast<std::uint16_t>(static_cast<std::int64_t>(rounded));
}

double TMpegInfo::Duration() const
{
    if (!FFrame.Found)
        return 0.0;
    if (FVBR.Found && FVBR.Frames > 0) {
        const std::uint16_t rate = SampleRate();
        return rate == 0 ? 0.0 : static_cast<double>(FVBR.Frames) * MpegCoefficient(FFrame) * 8.0 / rate;
    }
    const std::uint16_t tableRate = MpegBitRate(FFrame);
    if (tableRate == 0)
        return 0.0;
    const std::int64_t audio = std::int64_t{FFileLength} - FID3v2.Size() -
                               (FID3v1.Exists() ? static_cast<std::int64_t>(Id3v1TagSize) : 0) - FFrame.Position;
    return static_cast<double>(audio) / tableRate / 1000.0 * 8.0;
}

bool TMpegInfo::IsValid() const
{
    const std::uint16_t rate = BitRate();
    return FFrame.Found && rate >= 8 && rate <= 448 && Duration() >= 0.1;
}

} // namespace quaverly::mediainfo
