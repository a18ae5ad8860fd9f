#include "platform/bass/Mp3Length.h"

#include <cstring>
#include <vector>

namespace quaverly::bass {

namespace {

uint32_t Be32(const uint8_t *p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

int64_t ParseFrame(const uint8_t *p, size_t size)
{
    if (size < 4 || p[0] != 0xFF || (p[1] & 0xE0) != 0xE0)
        return -1;
    const int version = (p[1] >> 3) & 3;  // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    const int layer = (p[1] >> 1) & 3;  // 3: I, 2: II, 1: III
    if (version == 1 || layer == 0 || ((p[2] >> 2) & 3) == 3)
        return -1;
    const bool mono = ((p[3] >> 6) & 3) == 3;
    const bool mpeg1 = version == 3;
    const int64_t spf = layer == 3 ? 384 : (layer == 2 || mpeg1) ? 1152 : 576;
    const size_t side = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    size_t at = 4 + side;
    if (size < at + 8)
        return -1;
    if (std::memcmp(p + at, "Xing", 4) != 0 && std::memcmp(p + at, "Info", 4) != 0)
        return -1;
    const uint32_t flags = Be32(p + at + 4);
    at += 8;
    if (!(flags & 1) || size < at + 4)
        return -1;
    const int64_t frames = Be32(p + at);
    at += 4;
    if (flags & 2)
        at += 4;
    if (flags & 4)
        at += 100;
    if (flags & 8)
        at += 4;
    if (size < at + 24)
        return -1;
    const uint8_t *ext = p + at;
    if (std::memcmp(ext, "LAME", 4) != 0 && std::memcmp(ext, "Lavf", 4) != 0 && std::memcmp(ext, "Lavc", 4) != 0)
        return -1;
    const uint32_t v = uint32_t(ext[21]) << 16 | uint32_t(ext[22]) << 8 | ext[23];
    const int64_t delay = v >> 12, padding = v & 0xFFF;
    const int64_t total = frames * spf - delay - padding;
    return total > 0 ? total : -1;
}

}  // namespace

int64_t Mp3ExactFramesFromHead(const uint8_t *data, size_t size)
{
    size_t at = 0;
    if (size >= 10 && std::memcmp(data, "ID3", 3) == 0) {
        const size_t tag = size_t(data[6] & 0x7F) << 21 | size_t(data[7] & 0x7F) << 14
            | size_t(data[8] & 0x7F) << 7 | size_t(data[9] & 0x7F);
        at = 10 + tag + ((data[5] & 0x10) ? 10 : 0);
    }
    // The information frame is the first frame; allow a little junk before it.
    for (size_t limit = at + 4096; at + 4 <= size && at < limit; ++at) {
        if (data[at] == 0xFF && (data[at + 1] & 0xE0) == 0xE0)
            return ParseFrame(data + at, size - at);
    }
    return -1;
}

int64_t Mp3ExactFrames(ByteSource &bytes)
{
    std::vector<uint8_t> head(10);
    if (bytes.ReadAt(0, head.data(), 10) != 10)
        return -1;
    size_t want = 8192;
    if (std::memcmp(head.data(), "ID3", 3) == 0) {
        want += size_t(head[6] & 0x7F) << 21 | size_t(head[7] & 0x7F) << 14 | size_t(head[8] & 0x7F) << 7
            | size_t(head[9] & 0x7F);
        want += 20;
    }
    if (want > (size_t(16) << 20))
        return -1;
    head.resize(want);
    const int64_t got = bytes.ReadAt(0, head.data(), int64_t(want));
    if (got <= 0)
        return -1;
    return Mp3ExactFramesFromHead(head.data(), size_t(got));
}

}  // namespace quaverly::bass
