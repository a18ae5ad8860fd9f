#include "FuzzFile.h"
#include "mediainfo/Id3v2Tag.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    quaverly::mediainfo::TId3v2Tag tag;
    (void)tag.ReadInfo(quaverly::mediainfo::fuzz::WriteInput(data, size, ".id3"));
    return 0;
}
