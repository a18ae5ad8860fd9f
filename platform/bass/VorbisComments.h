#pragma once

// The comment list of a Vorbis stream, read from the codec headers FFmpeg
// keeps as extradata (Xiph lacing of the identification, comment and setup
// headers), keys in the case the file has them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quaverly::bass {

// The "KEY=value" strings; nullopt when the bytes are not Vorbis headers.
std::optional<std::vector<std::string>> ParseVorbisExtradata(const uint8_t *data, size_t size);

// Joins strings as NUL-terminated strings followed by an empty one.
std::string JoinCommentList(const std::vector<std::string> &comments);

}  // namespace quaverly::bass
