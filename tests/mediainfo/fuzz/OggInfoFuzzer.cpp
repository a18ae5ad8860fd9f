#include "FuzzFile.h"
#include "mediainfo/FileReader.h"
#include "mediainfo/OggInfo.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace quaverly::mediainfo;
    TOggInfo ogg;
    try {
        if (ogg.ReadInfo(fuzz::WriteInput(data, size, ".ogg"))) {
            (void)ogg.IsValid();
            (void)ogg.BitRate();
        }
    } catch (const TOpenError&) {
        // Only when the input file could not be written.
    }
    // The pure text steps on the raw input too.
    const std::string text(reinterpret_cast<const char*>(data), size);
    (void)OggDecodeUtf8(text);
    TOggInfo::FieldTexts fields;
    OggHandleComment(text, fields);
    (void)OggTrackNumber(text);
    (void)OggFindPageInWindow({data, size}, 0);
    return 0;
}
