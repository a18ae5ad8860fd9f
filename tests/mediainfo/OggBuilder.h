#pragma once
// Builds Ogg Vorbis files byte by byte: the first page with the
// identification header, the second page with the comments, padding, and a
// last page carrying the granule position. Checksums are left zero.
#include "MediaFixtures.h"

#include <string>
#include <vector>

namespace quaverly::mediainfo::test {

// An Ogg page header with `segments` lacing values of 255 (the reader only
// uses their count).
inline ByteVector OggPage(std::uint64_t granule, int segments, std::uint8_t flags = 0)
{
    ByteVector page;
    PutText(page, 0, "OggS");
    page.push_back(0);
    page.push_back(flags);
    PutLe(page, 6, static_cast<std::uint32_t>(granule), 4);
    PutLe(page, 10, static_cast<std::uint32_t>(granule >> 32), 4);
    PutLe(page, 14, 0x1234, 4);
    PutLe(page, 18, 0, 4);
    PutLe(page, 22, 0, 4);
    page.push_back(static_cast<std::uint8_t>(segments));
    page.insert(page.end(), static_cast<std::size_t>(segments), 255);
    return page;
}

inline ByteVector Identification(int channels, std::uint32_t rate, std::uint32_t nominal)
{
    ByteVector id;
    id.push_back(1);
    PutText(id, 1, "vorbis");
    PutLe(id, 7, 0, 4);
    id.push_back(static_cast<std::uint8_t>(channels));
    PutLe(id, 12, rate, 4);
    PutLe(id, 16, 0, 4);
    PutLe(id, 20, nominal, 4);
    PutLe(id, 24, 0, 4);
    id.push_back(0xB8);
    id.push_back(1);
    return id;
}

inline void Append(ByteVector& to, const ByteVector& bytes) { to.insert(to.end(), bytes.begin(), bytes.end()); }

inline void AppendLengthText(ByteVector& to, const std::string& text)
{
    PutLe(to, to.size(), static_cast<std::uint32_t>(text.size()), 4);
    PutText(to, to.size(), text);
}

struct OggLayout {
    int Channels = 2;
    std::uint32_t Rate = 44100;
    std::uint32_t Nominal = 128000;
    std::string VendorText = "test vendor";
    std::vector<std::string> Comments = {};
    std::uint32_t CommentCount = 0xFFFFFFFF; // the size of Comments when left so
    bool WithComments = true;
    bool WithLastPage = true;
    std::uint64_t LastGranule = 441000;
    std::size_t TotalSize = 20000; // zero-padded up to this size before the last page
    std::size_t Id3v2Size = 0;  // an ID3v2 tag of this many bytes in front
};

inline ByteVector BuildOgg(const OggLayout& layout)
{
    ByteVector file;
    if (layout.Id3v2Size >= 10) {
        ByteVector tag(layout.Id3v2Size, 0);
        PutText(tag, 0, "ID3");
        tag[3] = 3;
        const std::size_t body = layout.Id3v2Size - 10;
        tag[6] = static_cast<std::uint8_t>((body >> 21) & 0x7F);
        tag[7] = static_cast<std::uint8_t>((body >> 14) & 0x7F);
        tag[8] = static_cast<std::uint8_t>((body >> 7) & 0x7F);
        tag[9] = static_cast<std::uint8_t>(body & 0x7F);
        Append(file, tag);
    }
    Append(file, OggPage(0, 1, 2));
    Append(file, Identification(layout.Channels, layout.Rate, layout.Nominal));
    Append(file, OggPage(0, 3));
    if (layout.WithComments) {
        file.push_back(3);
        PutText(file, file.size(), "vorbis");
        AppendLengthText(file, layout.VendorText);
        const std::uint32_t count =
            layout.CommentCount == 0xFFFFFFFF ? static_cast<std::uint32_t>(layout.Comments.size()) : layout.CommentCount;
        PutLe(file, file.size(), count, 4);
        for (const std::string& comment : layout.Comments)
            AppendLengthText(file, comment);
        file.push_back(1);
    }
    const ByteVector last = OggPage(layout.LastGranule, 1, 4);
    const std::size_t tail = layout.WithLastPage ? last.size() + 200 : 0;
    if (layout.TotalSize > file.size() + tail)
        file.resize(layout.TotalSize - tail, 0);
    if (layout.WithLastPage) {
        Append(file, last);
        file.resize(file.size() + 200, 0x55);
    }
    return file;
}

} // namespace quaverly::mediainfo::test
