// quaverly-info [--reader mpeg|id3v1|id3v2|ogg|wma|wav] FILE...
// Prints, for each file, one line holding one JSON object of what the file
// information readers find: the stream information the audio player would
// use, or one reader's full state. Exit status 0 when every file could be
// read (a file that holds no valid stream is a result, not a failure), 1
// otherwise with the reason for each failure on stderr, 2 for a wrong
// command line; --help or -h prints the usage.
#include "JsonWriter.h"
#include "ReaderJson.h"
#include "mediainfo/FileReader.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

using namespace quaverly;

namespace {

constexpr const char* UsageLine = "usage: quaverly-info [--reader mpeg|id3v1|id3v2|ogg|wma|wav] FILE...\n";

int Usage(const std::string& problem)
{
    std::cerr << "quaverly-info: " << problem << "\n" << UsageLine;
    return 2;
}

// The message of a file that cannot be opened, or empty when it can.
std::string OpenError(const std::string& file)
{
    mediainfo::TFileReader reader(file);
    if (reader.IsOpen())
        return {};
    return mediainfo::OpenErrorMessage(file, reader.OpenErrorCode());
}

void WriteError(info::TJsonWriter& json, const std::string& key, const std::string& message)
{
    json.BeginObject(key);
    json.Text("Error", message);
    json.EndObject();
}

std::string ReaderKey(const std::string& reader)
{
    if (reader == "mpeg")
        return "MpegInfo";
    if (reader == "id3v1")
        return "ID3v1";
    if (reader == "id3v2")
        return "ID3v2";
    if (reader == "wav")
        return "WavInfo";
    if (reader == "ogg")
        return "OggInfo";
    if (reader == "wma")
        return "WmaInfo";
    return {};
}

void WriteOneReader(info::TJsonWriter& json, const std::string& reader, const std::string& file)
{
    const std::string key = ReaderKey(reader);
    json.BeginObject(key);
    if (reader == "mpeg") {
        mediainfo::TMpegInfo mpeg;
        const bool ok = mpeg.ReadInfo(file);
        info::WriteMpeg(json, mpeg, ok);
    } else if (reader == "id3v1") {
        mediainfo::TId3v1Tag tag;
        json.Bool("ReadInfo", tag.ReadInfo(file));
        info::WriteId3v1(json, tag);
    } else if (reader == "id3v2") {
        mediainfo::TId3v2Tag tag;
        json.Bool("ReadInfo", tag.ReadInfo(file));
        info::WriteId3v2(json, tag);
    } else if (reader == "wav") {
        mediainfo::TWavInfo wav;
        const bool ok = wav.ReadInfo(file);
        info::WriteWav(json, wav, ok);
    } else if (reader == "ogg") {
        mediainfo::TOggInfo ogg;
        try {
            const bool ok = ogg.ReadInfo(file);
            info::WriteOgg(json, ogg, ok);
        } catch (const mediainfo::TOpenError& error) {
            // The file went away between the open check and the read.
            json.Text("Error", error.what());
        }
    } else if (reader == "wma") {
        mediainfo::TWmaInfo wma;
        const bool ok = wma.ReadInfo(file);
        info::WriteWma(json, wma, ok);
    }
    json.EndObject();
}

void WriteStreamInfo(info::TJsonWriter& json, const std::string& file, const std::string& openError,
                     audio::TStreamReaders& readers)
{
    audio::TStreamInfo streamInfo;
    const bool result = audio::GetStreamInfo(file, streamInfo, readers);
    json.BeginObject("StreamInfo");
    info::WriteStreamInfo(json, streamInfo, result);
    json.EndObject();
    switch (readers.LastUsed) {
    case audio::TStreamReader::Mpeg:
        if (!openError.empty())
            return WriteError(json, "MpegInfo", openError);
        json.BeginObject("MpegInfo");
        info::WriteMpeg(json, readers.Mpeg, readers.LastReadInfo);
        json.EndObject();
        break;
    case audio::TStreamReader::Wav:
        if (!openError.empty())
            return WriteError(json, "WavInfo", openError);
        json.BeginObject("WavInfo");
        info::WriteWav(json, readers.Wav, readers.LastReadInfo);
        json.EndObject();
        break;
    case audio::TStreamReader::Ogg:
        if (!openError.empty() || !readers.LastError.empty())
            return WriteError(json, "OggInfo", openError.empty() ? readers.LastError : openError);
        json.BeginObject("OggInfo");
        info::WriteOgg(json, readers.Ogg, readers.LastReadInfo);
        json.EndObject();
        break;
    case audio::TStreamReader::Wma:
        if (!openError.empty())
            return WriteError(json, "WmaInfo", openError);
        json.BeginObject("WmaInfo");
        info::WriteWma(json, readers.Wma, readers.LastReadInfo);
        json.EndObject();
        break;
    default:
        break;
    }
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string reader;
    std::size_t first = 0;
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << UsageLine;
        return 0;
    }
    if (!args.empty() && args[0] == "--reader") {
        if (args.size() < 2)
            return Usage("--reader needs a name");
        reader = args[1];
        if (ReaderKey(reader).empty())
            return Usage("unknown reader: " + reader);
        first = 2;
    } else if (!args.empty() && args[0].rfind("--", 0) == 0 && args[0] != "--") {
        return Usage("unknown option: " + args[0]);
    } else if (!args.empty() && args[0] == "--") {
        first = 1;
    }
    if (first >= args.size())
        return Usage("no file given");

    int status = 0;
    audio::TStreamReaders readers;
    for (std::size_t i = first; i < args.size(); ++i) {
        const std::string& file = args[i];
        const std::string openError = OpenError(file);
        info::TJsonWriter json;
        json.BeginObject();
        json.Text("File", file);
        if (reader.empty()) {
            WriteStreamInfo(json, file, openError, readers);
            if (!openError.empty()) {
                std::cerr << "quaverly-info: " << openError << '\n';
                status = 1;
            }
        } else if (!openError.empty()) {
            WriteError(json, ReaderKey(reader), openError);
            std::cerr << "quaverly-info: " << openError << '\n';
            status = 1;
        } else {
            WriteOneReader(json, reader, file);
        }
        json.EndObject();
        std::cout << json.Result() << '\n';
    }
    return status;
}
