#include "mediainfo/GenreTable.h"
#include "mediainfo/Id3v1Tag.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    quaverly::mediainfo::TId3v1Tag tag;
    tag.ParseTag({data, size});
    (void)quaverly::mediainfo::GenreName(tag.GenreID());
    return 0;
}
