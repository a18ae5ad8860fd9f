#include "mediainfo/WavInfo.h"

#include "mediainfo/FileReader.h"

#include <vector>

namespace quaverly::mediainfo {

void TWavInfo::ClearInfo()
{
    FValid = false;
    FChannels = 0;
    FSampleRate = 0;
    FBitsPerSample = 0;
    FFileSize = 0;
}

bool TWavInfo::ReadInfo(const std::string& fileName)
{
    ClearInfo();
    TFileReader file(fileName);
    std::vector<std::uint8_t> header;
    if (!file.IsOpen() || !file.ReadExactly(0, WavHeaderSize, header))
        return false;
    ParseHeader(header);
    return true;
}

void TWavInfo::ParseHeader(Bytes header)
{
    ClearInfo();
    if (header.size() < WavHeaderSize)
        return;
    const std::uint16_t channels = ReadLe16(header, 22);
    if (!HasText(header, 0, "RIFF") || !HasText(header, 8, "WAVE") || !HasText(header, 12, "fmt ") ||
        (channels != 1 && channels != 2))
        return;
    FValid = true;
    FChannels = static_cast<std::uint8_t>(channels);
    FSampleRate = static_cast<std::uint16_t>(ReadLe32(header, 24));
    FBitsPerSample = static_cast<std::uint8_t>(ReadLe16(header, 34));
    // Unsigned 32-bit arithmetic: a RIFF size near 4 GiB wraps as it does in the
    // field's own width.
    FFileSize = ReadLe32(header, 4) + 8u;
}

double TWavInfo::Duration() const
{
    if (!FValid || FSampleRate == 0 || FBitsPerSample == 0 || FChannels == 0)
        return 0.0;
    // A RIFF size below 36 would make the data size negative; count it as no
    // sound rather than as a wrapped four-gigabyte length.
    if (FFileSize < WavHeaderSize)
        return 0.0;
    return static_cast<double>(FFileSize - WavHeaderSize) * 8.0 / FSampleRate / FBitsPerSample / FChannels;
}

} // namespace quaverly::mediainfo
