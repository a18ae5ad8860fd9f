#include "ReaderJson.h"

#include "mediainfo/GenreTable.h"
#include "mediainfo/TextConversion.h"

namespace quaverly::info {

using namespace quaverly::mediainfo;

void WriteId3v1(TJsonWriter& json, const TId3v1Tag& tag)
{
    json.Bool("Exists", tag.Exists());
    json.Int("VersionID", tag.VersionID());
    json.Text("Title", tag.Title());
    json.Text("Artist", tag.Artist());
    json.Text("Album", tag.Album());
    json.Text("Year", tag.Year());
    json.Text("Comment", tag.Comment());
    json.Int("Track", tag.Track());
    json.Int("GenreID", tag.GenreID());
    json.Text("Genre", GenreName(tag.GenreID()));
}

void WriteId3v2(TJsonWriter& json, const TId3v2Tag& tag)
{
    json.Bool("Exists", tag.Exists());
    json.Int("VersionID", tag.VersionID());
    json.Int("Size", tag.Size());
    json.Text("Title", tag.Title());
    json.Text("Artist", tag.Artist());
    json.Text("Album", tag.Album());
    json.Int("Track", tag.Track());
    json.Text("TrackText", tag.TrackText());
    json.Text("Year", tag.Year());
    json.Text("Genre", tag.Genre());
    json.Text("Comment", tag.Comment());
    json.Text("Composer", tag.Composer());
    json.Text("Encoder", tag.Encoder());
    json.Text("Copyright", tag.Copyright());
    json.Text("Language", tag.Language());
    json.Text("Link", tag.Link());
}

void WriteMpeg(TJsonWriter& json, const TMpegInfo& mpeg, bool readInfo)
{
    json.Bool("ReadInfo", readInfo);
    json.Bool("IsValid", mpeg.IsValid());
    json.Int("FileLength", mpeg.FileLength());
    json.Text("VendorID", mpeg.VendorID());
    const VBRData& vbr = mpeg.VBR();
    json.BeginObject("VBR");
    json.Bool("Found", vbr.Found);
    json.Text("ID", vbr.ID);
    json.Int("Frames", vbr.Frames);
    json.Int("Bytes", vbr.Bytes);
    json.Int("Scale", vbr.Scale);
    json.Text("VendorID", vbr.VendorID);
    json.EndObject();
    const MpegFrame& f = mpeg.Frame();
    json.BeginObject("Frame");
    json.Bool("Found", f.Found);
    json.Int("Position", f.Position);
    json.Int("Size", f.Size);
    json.Bool("Xing", f.Xing);
    json.Int("VersionID", f.VersionID);
    json.Int("LayerID", f.LayerID);
    json.Bool("ProtectionBit", f.ProtectionBit);
    json.Int("BitRateID", f.BitRateID);
    json.Int("SampleRateID", f.SampleRateID);
    json.Bool("PaddingBit", f.PaddingBit);
    json.Bool("PrivateBit", f.PrivateBit);
    json.Int("ModeID", f.ModeID);
    json.Int("ModeExtensionID", f.ModeExtensionID);
    json.Bool("CopyrightBit", f.CopyrightBit);
    json.Bool("OriginalBit", f.OriginalBit);
    json.Int("EmphasisID", f.EmphasisID);
    json.EndObject();
    json.Int("SampleRate", mpeg.SampleRate());
    json.Int("BitRate", mpeg.BitRate());
    json.Double("Duration", mpeg.Duration());
    json.Text("ChannelModeText", mpeg.ChannelModeText());
    json.BeginObject("ID3v1");
    WriteId3v1(json, mpeg.ID3v1());
    json.EndObject();
    json.BeginObject("ID3v2");
    WriteId3v2(json, mpeg.ID3v2());
    json.EndObject();
}

void WriteWav(TJsonWriter& json, const TWavInfo& wav, bool readInfo)
{
    json.Bool("ReadInfo", readInfo);
    json.Bool("IsValid", wav.IsValid());
    json.Int("Channels", wav.Channels());
    json.Int("SampleRate", wav.SampleRate());
    json.Int("BitsPerSample", wav.BitsPerSample());
    json.Int("FileSize", wav.FileSize());
    json.Double("Duration", wav.Duration());
}

void WriteOgg(TJsonWriter& json, const TOggInfo& ogg, bool readInfo)
{
    json.Bool("ReadInfo", readInfo);
    json.Bool("IsValid", ogg.IsValid());
    json.Int("FileSize", ogg.FileSize());
    json.Int("Channels", ogg.Channels());
    json.Int("SampleRate", ogg.SampleRate());
    json.Int("BitRateNominal", ogg.BitRateNominal());
    json.Int("Samples", ogg.Samples());
    json.Int("ID3v2Size", ogg.ID3v2Size());
    json.Text("Title", ogg.Title());
    json.Text("Artist", ogg.Artist());
    json.Text("Album", ogg.Album());
    json.Int("Track", ogg.Track());
    json.Text("Date", ogg.Date());
    json.Text("Genre", ogg.Genre());
    json.Text("Comment", ogg.Comment());
    json.Text("Vendor", ogg.Vendor());
    json.Double("Duration", ogg.Duration());
    json.Int("BitRate", ogg.BitRate());
}

void WriteWma(TJsonWriter& json, const TWmaInfo& wma, bool readInfo)
{
    json.Bool("ReadInfo", readInfo);
    json.Bool("IsValid", wma.IsValid());
    json.Int("FileSize", wma.FileSize());
    json.Int("Channels", wma.Channels());
    json.Int("SampleRate", wma.SampleRate());
    json.Double("Duration", wma.Duration());
    json.Int("BitRate", wma.BitRate());
    json.Text("Title", Utf16ToUtf8(wma.Title()));
    json.Text("Artist", Utf16ToUtf8(wma.Artist()));
    json.Text("Album", Utf16ToUtf8(wma.Album()));
    json.Int("Track", wma.Track());
    json.Text("Year", Utf16ToUtf8(wma.Year()));
    json.Text("Genre", Utf16ToUtf8(wma.Genre()));
    json.Text("Comment", Utf16ToUtf8(wma.Comment()));
}

void WriteStreamInfo(TJsonWriter& json, const audio::TStreamInfo& info, bool result)
{
    json.Bool("Result", result);
    json.Text("FileName", info.FileName);
    json.Int("FileSize", info.FileSize);
    json.Int("SampleRate", info.SampleRate);
    json.Int("BitRate", info.BitRate);
    json.Int("BitsPerSample", info.BitsPerSample);
    json.Int("Duration", info.Duration);
    json.Int("Channels", info.Channels);
    json.Text("Title", info.Title);
}

} // namespace quaverly::info
