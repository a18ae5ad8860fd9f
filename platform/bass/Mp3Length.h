#pragma once

// The exact sample count of an MP3 file from the encoder's information
// frame (Xing/Info with a LAME-style extension: frame count, encoder delay
// and padding), which is what the decoder yields once both are trimmed.

#include "platform/bass/ByteSource.h"

#include <cstddef>
#include <cstdint>

namespace quaverly::bass {

// Frames of audio, or -1 when the file has no such information frame.
int64_t Mp3ExactFrames(ByteSource &bytes);
// The same from the first bytes of the file (after any ID3v2 tag is
// included in them): the parsing step alone.
int64_t Mp3ExactFramesFromHead(const uint8_t *data, size_t size);

}  // namespace quaverly::bass
