#include "FuzzFile.h"
#include "mediainfo/MpegInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    quaverly::mediainfo::TMpegInfo mpeg;
    (void)mpeg.ReadInfo(quaverly::mediainfo::fuzz::WriteInput(data, size, ".mp3"));
    (void)mpeg.IsValid();
    (void)mpeg.ChannelModeText();
    // The pure steps on the raw input as well, to reach every offset.
    quaverly::mediainfo::VBRData vbr;
    quaverly::mediainfo::MpegFrame frame = quaverly::mediainfo::FindFrame({data, size}, vbr);
    (void)quaverly::mediainfo::FindVendor({data, size}, frame.Size);
    return 0;
}
