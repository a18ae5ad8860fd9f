#pragma once
// Stream information of a local file, gathered by the file information
// reader its extension selects. The audio player keeps one set of readers
// and reuses it for every file.
#include "mediainfo/MpegInfo.h"
#include "mediainfo/OggInfo.h"
#include "mediainfo/WavInfo.h"
#include "mediainfo/WmaInfo.h"

#include <cstdint>
#include <string>

namespace quaverly::audio {

struct TStreamInfo {
    std::string FileName;       // the path the record describes
    std::int32_t FileSize = 0;  // bytes
    std::int32_t SampleRate = 0; // Hz
    std::int32_t BitRate = 0;   // kbit/s
    std::uint16_t BitsPerSample = 16;
    std::int32_t Duration = 0;  // milliseconds
    std::uint16_t Channels = 0; // 1 mono, 2 stereo
    std::string Title;
};

enum class TStreamReader { None, Mpeg, Wav, Ogg, Wma };

// The readers GetStreamInfo uses, with what it last did with them.
struct TStreamReaders {
    mediainfo::TMpegInfo Mpeg;
    mediainfo::TWavInfo Wav;
    mediainfo::TOggInfo Ogg;
    mediainfo::TWmaInfo Wma;
    TStreamReader LastUsed = TStreamReader::None;
    bool LastReadInfo = false; // result of the last reader's ReadInfo
    std::string LastError;     // what the last reader raised instead of a result
};

// The upper-cased extension, dot included, when the text after the last
// dot holds no path separator; otherwise empty.
std::string StreamExtension(const std::string& fileName);
TStreamReader ReaderForExtension(const std::string& upperExtension);

// Seconds to whole milliseconds, to nearest with halves to even.
std::int32_t SecondsToMilliseconds(double seconds);

// Fills `info` for a local file; false when no reader takes the file or the
// reader finds it invalid.
[[nodiscard]] bool GetStreamInfo(const std::string& fileName, TStreamInfo& info, TStreamReaders& readers);

} // namespace quaverly::audio
