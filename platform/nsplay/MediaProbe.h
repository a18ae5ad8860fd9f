#pragma once
// Bounded looks at a libVLC media: its length and streams read without
// playing it, and the streams a playing media has shown so far.
#include "platform/nsplay/VlcApi.h"

#include <algorithm>
#include <chrono>

namespace quaverly::nsplay {

using Clock = std::chrono::steady_clock;

// A libVLC time in milliseconds as seconds; 0 for unknown (-1) or none.
inline double Seconds(libvlc_time_t ms) { return ms > 0 ? double(ms) / 1000.0 : 0.0; }

inline Clock::time_point After(int ms) { return Clock::now() + std::chrono::milliseconds(ms); }

// The next time to look again at libVLC's state while waiting for an event
// until `deadline`.
inline Clock::time_point NextCheck(Clock::time_point deadline)
{
    return std::min(deadline, Clock::now() + std::chrono::milliseconds(100));
}

// Reads a media's length, streams and sub-items without playing it; returns
// when done, failed or after about `boundMs`.
void ParseBounded(const VlcApi &api, libvlc_media_t *media, libvlc_media_parse_flag_t flags, int boundMs);

struct Streams {
    int count = 0;
    bool video = false;
    int videoWidth = 0;  // pixels, of the last video stream
    int videoHeight = 0;
};

// The streams libVLC knows of the media (none for nullptr).
Streams StreamsOf(const VlcApi &api, libvlc_media_t *media);

}  // namespace quaverly::nsplay
