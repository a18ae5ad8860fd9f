#include "audio/ByteTime.h"

#include <cmath>

namespace quaverly::audio {

namespace {
std::int32_t RoundToInt32(double v)
{
    if (!(v > 0.0))
        return v < 0.0 && v > -2147483648.0 ? static_cast<std::int32_t>(std::nearbyint(v)) : 0;
    if (v >= 2147483647.0)
        return 2147483647;
    return static_cast<std::int32_t>(std::nearbyint(v));
}
} // namespace

std::int32_t LibrarySecondsToMs(double seconds)
{
    const float s = static_cast<float>(seconds);
    if (!(s > 0.0f))
        return 0;
    return RoundToInt32(static_cast<double>(s) * 1000.0);
}

std::int32_t NetFileBitRate(std::int64_t bytes, double seconds)
{
    const float s = static_cast<float>(seconds);
    if (!(s > 0.0f) || bytes < 0)
        return 0;
    return RoundToInt32(static_cast<double>(bytes) / (static_cast<double>(s) * 125.0));
}

} // namespace quaverly::audio
