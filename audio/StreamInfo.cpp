#include "audio/StreamInfo.h"

#include "mediainfo/FileReader.h"
#include "mediainfo/TextConversion.h"

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

bool FillFromOgg(const std::string& fileName, TStreamInfo& info, TStreamReaders& readers)
{
    auto& ogg = readers.Ogg;
    try {
        readers.LastReadInfo = ogg.ReadInfo(fileName);
    } catch (const mediainfo::TOpenError& error) {
        // The Ogg reader raises an open failure instead of answering false;
        // to the player it is a file without stream information.
        readers.LastError = error.what();
        ogg.ClearInfo();
        return false;
    }
    if (!ogg.IsValid())
        return false;
    info.FileSize = ogg.FileSize();
    info.SampleRate = ogg.SampleRate();
    info.BitRate = ogg.BitRate();
    info.Duration = SecondsToMilliseconds(ogg.Duration());
    info.Title = ogg.Title();
    info.Channels = ogg.Channels();
    return true;
}

bool FillFromWma(const std::string& fileName, TStreamInfo& info, TStreamReaders& readers)
{
    auto& wma = readers.Wma;
    readers.LastReadInfo = wma.ReadInfo(fileName);
    if (!wma.IsValid())
        return false;
    info.FileSize = wma.FileSize();
    info.SampleRate = wma.SampleRate();
    info.BitRate = wma.BitRate();
    info.Duration = SecondsToMilliseconds(wma.Duration());
    info.Title = mediainfo::Utf16ToUtf8(wma.Title());
    info.Channels = wma.Channels();
    return true;
}

} // namespace

bool GetStreamInfo(const std::string& fileName, TStreamInfo& info, TStreamReaders& readers)
{
    info = TStreamInfo();
    info.FileName = fileName;
    readers.LastUsed = TStreamReader::None;
    readers.LastReadInfo = false;
    readers.LastError.clear();
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
    case TStreamReader::Ogg:
        result = FillFromOgg(fileName, info, readers);
        break;
    case TStreamReader::Wma:
        result = FillFromWma(fileName, info, readers);
        break;
    case TStreamReader::None:
        break;
    }
    if (result && info.Title.empty())
        info.Title = fileName.substr(fileName.find_last_of('/') + 1);
    return result;
}

} // namespace quaverly::audio
