#include "mediainfo/WavInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    quaverly::mediainfo::TWavInfo wav;
    wav.ParseHeader({data, size});
    (void)wav.Duration();
    return 0;
}
