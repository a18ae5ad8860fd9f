#pragma once
// Builds ASF headers byte by byte: the header object and the file
// properties, stream properties, content description and extended content
// description objects, in any order.
#include "MediaFixtures.h"

#include <array>
#include <string>
#include <vector>

namespace quaverly::mediainfo::test {

using Guid = std::array<std::uint8_t, 16>;
constexpr Guid HeaderId = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr Guid FileProps = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11, 0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr Guid StreamProps = {0x91, 0x07, 0xDC, 0xB7, 0xB7, 0xA9, 0xCF, 0x11, 0x8E, 0xE6, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr Guid ContentDesc = {0x33, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr Guid ExtendedDesc = {0x40, 0xA4, 0xD0, 0xD2, 0x07, 0xE3, 0xD2, 0x11, 0x97, 0xF0, 0x00, 0xA0, 0xC9, 0x5E, 0xA8, 0x50};
constexpr Guid OtherObject = {0x36, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};

inline ByteVector Utf16(const std::u16string& text)
{
    ByteVector b;
    for (char16_t c : text)
        PutLe(b, b.size(), c, 2);
    return b;
}

// An object: identifier, 64-bit size, body.
inline ByteVector Object(const Guid& id, const ByteVector& body)
{
    ByteVector o(id.begin(), id.end());
    PutLe(o, 16, static_cast<std::uint32_t>(24 + body.size()), 4);
    PutLe(o, 20, 0, 4);
    o.insert(o.end(), body.begin(), body.end());
    return o;
}

inline ByteVector FileProperties(std::uint32_t maxBitRate)
{
    ByteVector body(80, 0);
    PutLe(body, 76, maxBitRate, 4); // offset 100 of the object
    return Object(FileProps, body);
}

inline ByteVector StreamProperties(int channels, std::uint32_t rate, std::uint32_t byteRate)
{
    ByteVector body(70, 0);
    PutLe(body, 56, static_cast<std::uint32_t>(channels), 2); // offset 80 of the object
    PutLe(body, 58, rate, 4);
    PutLe(body, 62, byteRate, 4);
    return Object(StreamProps, body);
}

inline ByteVector ContentDescription(const std::u16string& title, const std::u16string& author,
                              const std::u16string& description = u"", const std::u16string& copyright = u"")
{
    ByteVector body;
    const std::array<std::u16string, 5> texts = {title, author, copyright, description, u"rating"};
    for (const auto& t : texts)
        PutLe(body, body.size(), static_cast<std::uint32_t>(t.size() * 2), 2);
    for (const auto& t : texts) {
        const ByteVector b = Utf16(t);
        body.insert(body.end(), b.begin(), b.end());
    }
    return Object(ContentDesc, body);
}

struct Descriptor {
    std::u16string Name;
    std::u16string Text;          // value type 0
    int Type = 0;
    ByteVector Value = {};        // value of other types
};

inline ByteVector ExtendedContent(const std::vector<Descriptor>& descriptors)
{
    ByteVector body;
    PutLe(body, 0, static_cast<std::uint32_t>(descriptors.size()), 2);
    for (const Descriptor& d : descriptors) {
        const ByteVector name = Utf16(d.Name);
        PutLe(body, body.size(), static_cast<std::uint32_t>(name.size()), 2);
        body.insert(body.end(), name.begin(), name.end());
        PutLe(body, body.size(), static_cast<std::uint32_t>(d.Type), 2);
        const ByteVector value = d.Type == 0 ? Utf16(d.Text) : d.Value;
        PutLe(body, body.size(), static_cast<std::uint32_t>(value.size()), 2);
        body.insert(body.end(), value.begin(), value.end());
    }
    return Object(ExtendedDesc, body);
}

inline ByteVector Asf(const std::vector<ByteVector>& objects, std::size_t padTo = 0)
{
    ByteVector file(HeaderId.begin(), HeaderId.end());
    PutLe(file, 16, 0, 8);
    PutLe(file, 24, static_cast<std::uint32_t>(objects.size()), 4);
    file.push_back(1);
    file.push_back(2);
    for (const ByteVector& o : objects)
        file.insert(file.end(), o.begin(), o.end());
    if (file.size() < padTo)
        file.resize(padTo, 0);
    return file;
}

inline std::vector<ByteVector> Playable(std::vector<ByteVector> tags = {})
{
    std::vector<ByteVector> objects = {FileProperties(128000), StreamProperties(2, 44100, 16000)};
    objects.insert(objects.end(), tags.begin(), tags.end());
    return objects;
}

} // namespace quaverly::mediainfo::test
