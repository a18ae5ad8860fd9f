// The audio library's byte parsers on arbitrary input: the MP3 information
// frame and Vorbis comment headers.
#include "platform/bass/Mp3Length.h"
#include "platform/bass/VorbisComments.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    (void)quaverly::bass::Mp3ExactFramesFromHead(data, size);
    if (auto list = quaverly::bass::ParseVorbisExtradata(data, size))
        (void)quaverly::bass::JoinCommentList(*list);
    return 0;
}
