#include "platform/bass/VorbisComments.h"

#include <cstring>

namespace quaverly::bass {

namespace {

uint32_t Le32(const uint8_t *p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The comment header: "\x03vorbis", vendor, count, then count strings.
std::optional<std::vector<std::string>> ParseCommentHeader(const uint8_t *p, size_t size)
{
    if (size < 7 + 4 || std::memcmp(p, "\x03vorbis", 7) != 0)
        return std::nullopt;
    size_t at = 7;
    const uint32_t vendor = Le32(p + at);
    at += 4;
    if (vendor > size - at || size - at - vendor < 4)
        return std::nullopt;
    at += vendor;
    const uint32_t count = Le32(p + at);
    at += 4;
    std::vector<std::string> out;
    for (uint32_t i = 0; i < count; ++i) {
        if (size - at < 4)
            break;  // a truncated list keeps what was complete
        const uint32_t len = Le32(p + at);
        at += 4;
        if (len > size - at)
            break;
        std::string s(reinterpret_cast<const char *>(p + at), len);
        at += len;
        // An embedded NUL would end the string early in the joined list.
        s = s.substr(0, s.find('\0'));
        out.push_back(std::move(s));
    }
    return out;
}

}  // namespace

std::optional<std::vector<std::string>> ParseVorbisExtradata(const uint8_t *data, size_t size)
{
    if (!data || size < 3)
        return std::nullopt;
    if (data[0] == 2) {
        // Xiph lacing: packet count - 1, then the sizes of the first two.
        size_t at = 1;
        size_t sizes[2] = {0, 0};
        for (size_t &s : sizes) {
            for (;;) {
                if (at >= size)
                    return std::nullopt;
                const uint8_t b = data[at++];
                s += b;
                if (b != 255)
                    break;
            }
        }
        if (sizes[0] > size - at || sizes[1] > size - at - sizes[0])
            return std::nullopt;
        return ParseCommentHeader(data + at + sizes[0], sizes[1]);
    }
    // FFmpeg's other layout: three headers each with a 16-bit big-endian size.
    size_t at = 0;
    for (int i = 0; i < 2; ++i) {
        if (size - at < 2)
            return std::nullopt;
        const size_t len = size_t(data[at]) << 8 | data[at + 1];
        at += 2;
        if (len > size - at)
            return std::nullopt;
        if (i == 1)
            return ParseCommentHeader(data + at, len);
        at += len;
    }
    return std::nullopt;
}

std::string JoinCommentList(const std::vector<std::string> &comments)
{
    std::string out;
    for (const std::string &c : comments) {
        out += c;
        out += '\0';
    }
    out += '\0';
    return out;
}

}  // namespace quaverly::bass
