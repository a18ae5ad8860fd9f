#pragma once
// Bounds-checked readers of fixed-width integers from a byte span. Every
// reader returns 0 for a field that does not lie wholly inside the span, so a
// parser of damaged data never reads past its buffer.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace quaverly::mediainfo {

using Bytes = std::span<const std::uint8_t>;

inline bool Fits(Bytes data, std::size_t offset, std::size_t length)
{
    return offset <= data.size() && length <= data.size() - offset;
}

inline std::uint32_t ReadLe(Bytes data, std::size_t offset, std::size_t width)
{
    if (width > 4 || !Fits(data, offset, width))
        return 0;
    std::uint32_t value = 0;
    for (std::size_t i = width; i-- > 0;)
        value = (value << 8) | data[offset + i];
    return value;
}

inline std::uint32_t ReadBe(Bytes data, std::size_t offset, std::size_t width)
{
    if (width > 4 || !Fits(data, offset, width))
        return 0;
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < width; ++i)
        value = (value << 8) | data[offset + i];
    return value;
}

inline std::uint16_t ReadLe16(Bytes d, std::size_t o) { return static_cast<std::uint16_t>(ReadLe(d, o, 2)); }
inline std::uint32_t ReadLe32(Bytes d, std::size_t o) { return ReadLe(d, o, 4); }
inline std::uint64_t ReadLe64(Bytes d, std::size_t o)
{
    if (!Fits(d, o, 8))
        return 0;
    return static_cast<std::uint64_t>(ReadLe32(d, o)) | (static_cast<std::uint64_t>(ReadLe32(d, o + 4)) << 32);
}
inline std::uint16_t ReadBe16(Bytes d, std::size_t o) { return static_cast<std::uint16_t>(ReadBe(d, o, 2)); }
inline std::uint32_t ReadBe24(Bytes d, std::size_t o) { return ReadBe(d, o, 3); }
inline std::uint32_t ReadBe32(Bytes d, std::size_t o) { return ReadBe(d, o, 4); }

// A 28-bit number held in four bytes of seven bits each (tag sizes), so that
// no byte of the header can look like an audio frame's sync pattern.
inline std::uint32_t ReadSyncsafe32(Bytes d, std::size_t o)
{
    if (!Fits(d, o, 4))
        return 0;
    return (std::uint32_t{d[o]} & 0x7F) << 21 | (std::uint32_t{d[o + 1]} & 0x7F) << 14 |
           (std::uint32_t{d[o + 2]} & 0x7F) << 7 | (std::uint32_t{d[o + 3]} & 0x7F);
}

inline bool HasText(Bytes data, std::size_t offset, std::string_view text)
{
    if (!Fits(data, offset, text.size()))
        return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (data[offset + i] != static_cast<std::uint8_t>(text[i]))
            return false;
    return true;
}

// The bytes of a field as they are, clipped to the span.
inline std::string TextAt(Bytes data, std::size_t offset, std::size_t length)
{
    if (offset >= data.size())
        return {};
    if (length > data.size() - offset)
        length = data.size() - offset;
    return std::string(reinterpret_cast<const char*>(data.data() + offset), length);
}

} // namespace quaverly::mediainfo
