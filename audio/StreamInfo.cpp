#include "audio/StreamInfo.h"

#include <cmath>

namespace quaverly::audio {

std::string StreamExtension(const std::string& fileName)
{
    // '/' is this platform's separator; '\\' and ':' are kept as separators
    // too, so names written for the original platform split the same way.
    const std::size_t last = fileName.find_last_of(".\\:/");
    if (last == std::string::npos || fileName[last] != '.')
        return {};
    std::string extension = fileName.substr(last);
    for (char& c : extension)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return extension;
}

TStreamReader ReaderForExtension(const std::string& ext)
{
    if (ext == ".WAV")
        return TStreamReader::Wav;
    if (ext == ".MP1" || ext == ".MP2" || ext == ".MP3")
        return TStreamReader::Mpeg;
    if (ext == ".OGG")
        return TStreamReader::Ogg;
    if (ext == ".WMA")
        return TStreamReader::Wma;
    return TStreamReader::None;
}

std::int32_t SecondsToMilliseconds(double seconds)
{
    const double ms = std::nearbyint(seconds * 1000.0);
    // A damaged header can claim any length; keep it inside the field.
    if (!(ms > -2147483648.0 && ms < 2147483647.0))
        return 0;
    return static_cast<std::int32_t>(ms);
}

namespace {

bool FillFromWav(const std::string& fileName, TStreamInfo& info, TStreamReaders& readers)
{
    auto& wav = readers.Wav;
    readers.LastReadInfo = wav.ReadInfo(fileName);
    if (!wav.IsValid())
        return false;
    info.FileSize = static_cast<std::int32_t>(wav.FileSize());
    info.SampleRate = wav.SampleRate();
    info.BitsPerSample = wav.BitsPerSample();
    info.Channels = wav.Channels();
    // The channel count is left out, as the player has always shown it.
    info.BitRate = info.SampleRate * info.BitsPerSample / 1000;
    info.Duration = SecondsToMilliseconds(wav.Duration());
    return true;
}

bool FillFromMpeg(const std::string& fileName, TStreamInfo& info, TStreamReaders& readers)
{
    auto& mpeg = readers.Mpeg;
    readers.LastReadInfo = mpeg.ReadInfo(fileName);
    if (!mpeg.IsValid())
        return false;
    info.FileSize = mpeg.FileLength();
    info.SampleRate = mpeg.SampleRate();
    info.BitRate = mpeg.BitRate();
    info.Duration = SecondsToMilliseconds(mpeg.Duration());
    info.Channels = mpeg.ChannelModeText() == "Mono" ? 1 : 2;
    return true;
}

} // namespace

bool GetStreamInfo(const std::string& fileName, TStreamInfo& info, TStreamReaders& readers)
{
    info = TStreamInfo();
    info.FileName = fileName;
    readers.LastUsed = TStreamReader::None;
    readers.LastReadInfo = false;
    const std::string extension = StreamExtension(fileName);
    if (extension.size() != 4)
        return false;
    readers.LastUsed = ReaderForExtension(extension);
    bool result = false;
    switch (readers.LastUsed) {
    case TStreamReader::Wav:
        result = FillFromWav(fileName, info, readers);
        break;
    case TStreamReader::Mpeg:
        result = FillFromMpeg(fileName, info, readers);
        break;
    default:
        // Ogg and WMA have no reader yet: the file is reported as unknown.
        readers.LastUsed = TStreamReader::None;
        break;
    }
    if (result && info.Title.empty())
        info.Title = fileName.substr(fileName.find_last_of('/') + 1);
    return result;
}

} // namespace quaverly::audio
