// Writes the byte-built part of the fuzzers' seed corpus: one folder per
// reader under the folder given, each holding small files that reach the
// reader's branches (tags of each version, Xing and VBRI headers, Ogg pages
// with comments, ASF objects in unusual orders, damaged variants).
// encode-seeds.sh adds files made by the real encoders beside them.
#include "AsfBuilder.h"
#include "MediaFixtures.h"
#include "OggBuilder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace quaverly::mediainfo::test;
using namespace std::string_literals;

namespace {

std::filesystem::path Root;

void Seed(const std::string& reader, const std::string& name, const ByteVector& bytes)
{
    const auto folder = Root / reader;
    std::filesystem::create_directories(folder);
    std::ofstream out(folder / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

ByteVector Id3v2(int version, const std::vector<std::pair<std::string, std::string>>& frames, std::uint8_t flags = 0)
{
    ByteVector body;
    for (const auto& [id, text] : frames) {
        const std::size_t at = body.size();
        PutText(body, at, id);
        if (version == 2) {
            PutBe(body, at + 3, static_cast<std::uint32_t>(text.size()), 3);
        } else {
            PutBe(body, at + 4, static_cast<std::uint32_t>(text.size()), 4);
            PutBe(body, at + 8, 0, 2);
        }
        PutText(body, body.size(), text);
    }
    body.resize(body.size() + 16, 0);
    ByteVector tag;
    PutText(tag, 0, "ID3");
    tag.push_back(static_cast<std::uint8_t>(version));
    tag.push_back(0);
    tag.push_back(flags);
    const std::size_t n = body.size();
    for (int shift : {21, 14, 7, 0})
        tag.push_back(static_cast<std::uint8_t>((n >> shift) & 0x7F));
    tag.insert(tag.end(), body.begin(), body.end());
    return tag;
}

ByteVector Id3v1(std::uint8_t track, std::uint8_t genre)
{
    ByteVector tag(128, 0);
    PutText(tag, 0, "TAG");
    PutText(tag, 3, "Title");
    PutText(tag, 33, "Artist");
    PutText(tag, 63, "Album");
    PutText(tag, 93, "1999");
    PutText(tag, 97, "Comment");
    tag[126] = track;
    tag[127] = genre;
    return tag;
}

// MPEG 1 Layer III 128 kbit/s 44 100 Hz frames of 417 bytes, the first one
// carrying a Xing or VBRI header when asked.
ByteVector Mpeg(int frames, const std::string& vbrId, std::uint8_t mode = 0x40)
{
    ByteVector file;
    for (int i = 0; i < frames; ++i) {
        const std::size_t start = file.size();
        file.resize(start + 417, 0);
        PutBe(file, start, 0xFFFB9000u | mode, 4);
        if (i == 0 && vbrId == "Xing") {
            PutText(file, start + 36, "Xing");
            PutBe(file, start + 40, 0x0F, 4);
            PutBe(file, start + 44, static_cast<std::uint32_t>(frames), 4);
            PutBe(file, start + 48, static_cast<std::uint32_t>(frames * 417), 4);
            PutText(file, start + 156, "LAME3.100");
        } else if (i == 0 && vbrId == "VBRI") {
            PutText(file, start + 36, "VBRI");
            PutBe(file, start + 46, static_cast<std::uint32_t>(frames * 417), 4);
            PutBe(file, start + 50, static_cast<std::uint32_t>(frames), 4);
        }
    }
    return file;
}

ByteVector Wav(std::uint32_t riffSize, int channels, std::uint32_t rate, int bits)
{
    ByteVector h;
    PutText(h, 0, "RIFF");
    PutLe(h, 4, riffSize, 4);
    PutText(h, 8, "WAVE");
    PutText(h, 12, "fmt ");
    PutLe(h, 16, 16, 4);
    PutLe(h, 20, 1, 2);
    PutLe(h, 22, static_cast<std::uint32_t>(channels), 2);
    PutLe(h, 24, rate, 4);
    PutLe(h, 28, rate * static_cast<std::uint32_t>(channels * bits / 8), 4);
    PutLe(h, 32, static_cast<std::uint32_t>(channels * bits / 8), 2);
    PutLe(h, 34, static_cast<std::uint32_t>(bits), 2);
    PutText(h, 36, "data");
    PutLe(h, 40, riffSize - 36, 4);
    return h;
}

void Concat(ByteVector& to, const ByteVector& more) { to.insert(to.end(), more.begin(), more.end()); }

void WriteMpegSeeds()
{
    const ByteVector v23 = Id3v2(3, {{"TIT2", "\x00Title"s}, {"TPE1", "\x01\xFF\xFEH\x00i\x00"s},
                                     {"TRCK", "\x00" "3/12"s}, {"COMM", "\x00" "engdesc\x00text"s},
                                     {"WXXX", "\x00\x00http://x"s}});
    const ByteVector v22 = Id3v2(2, {{"TT2", "\x00Old title"s}, {"TCO", "\x00(17)Rock"s}});
    const ByteVector v24 = Id3v2(4, {{"TDRC", "\x03" "2024-01-01"s}}, 0x10);
    Seed("Id3v2Tag", "v23", v23);
    Seed("Id3v2Tag", "v22", v22);
    Seed("Id3v2Tag", "v24-footer", v24);
    Seed("Id3v1Tag", "v11", Id3v1(5, 17));
    Seed("Id3v1Tag", "v10", Id3v1(0, 255));

    ByteVector tagged = v23;
    Concat(tagged, Mpeg(20, "Xing"));
    Concat(tagged, Id3v1(1, 0));
    Seed("MpegInfo", "xing-tagged", tagged);
    Seed("MpegInfo", "vbri", Mpeg(20, "VBRI", 0xC0));
    Seed("MpegInfo", "cbr", Mpeg(12, ""));
    ByteVector mp1 = Mpeg(8, "");
    for (std::size_t i = 0; i < mp1.size(); i += 417)
        mp1[i + 1] = 0xFF; // layer I
    Seed("MpegInfo", "layer1", mp1);
    ByteVector garbage(6000, 0xFF);
    Seed("MpegInfo", "all-sync", garbage);
}

void WriteOggSeeds()
{
    Seed("OggInfo", "comments", BuildOgg({.Comments = {"TITLE=T", "artist=A", "PERFORMER=P", "TRACKNUMBER=3/12",
                                                       "DESCRIPTION=d\xC3\xA9", "Vendorish"},
                                          .TotalSize = 3000}));
    Seed("OggInfo", "no-comments", BuildOgg({.WithComments = false, .TotalSize = 2000}));
    Seed("OggInfo", "no-last-page", BuildOgg({.WithLastPage = false, .TotalSize = 2000}));
    Seed("OggInfo", "huge-count", BuildOgg({.Comments = {"TITLE=T"}, .CommentCount = 2000000000u, .TotalSize = 2000}));
    Seed("OggInfo", "id3v2", BuildOgg({.TotalSize = 3000, .Id3v2Size = 200}));
}

void WriteWmaSeeds()
{
    Seed("WmaInfo", "plain", Asf(Playable({ContentDescription(u"Title", u"Author", u"Desc")})));
    Seed("WmaInfo", "extended",
         Asf({ExtendedContent({{u"wm/title", u"t"}, {u"WM/TRACK", u"", 3, {7, 0, 0, 0}}, {u"WM/Track", u"7"},
                               {u"WM/YEAR", u"2001"}, {u"WM/GENRE", u"Pop"}, {u"WM/DESCRIPTION", u"c"}}),
              StreamProperties(2, 48000, 20000), FileProperties(160000), Object(OtherObject, ByteVector(40, 1))}));
    ByteVector zero = Object(StreamProps, ByteVector(70, 0));
    PutLe(zero, 16, 0, 4);
    ByteVector spin = Asf({FileProperties(128000), zero});
    PutLe(spin, 24, 4000000000u, 4);
    Seed("WmaInfo", "zero-sized", spin);
}

void WriteWavSeeds()
{
    Seed("WavInfo", "stereo16", Wav(176436, 2, 44100, 16));
    Seed("WavInfo", "mono8", Wav(8036, 1, 8000, 8));
    Seed("WavInfo", "small-riff", Wav(10, 2, 96000, 24));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
        return 2;
    }
    Root = argv[1];
    WriteMpegSeeds();
    WriteOggSeeds();
    WriteWmaSeeds();
    WriteWavSeeds();
    return 0;
}
