#include "FuzzFile.h"
#include "mediainfo/WmaInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace quaverly::mediainfo;
    TWmaInfo wma;
    if (wma.ReadInfo(fuzz::WriteInput(data, size, ".wma")) && wma.IsValid())
        (void)WmaTrackNumber(wma.Title());
    return 0;
}
