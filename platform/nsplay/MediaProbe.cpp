#include "platform/nsplay/MediaProbe.h"

#include "platform/nsplay/EventLatch.h"

namespace quaverly::nsplay {

void ParseBounded(const VlcApi &api, libvlc_media_t *media, libvlc_media_parse_flag_t flags, int boundMs)
{
    EventLatch parsed;
    if (!parsed.Attach(api, api.libvlc_media_event_manager(media), {libvlc_MediaParsedChanged})) {
        parsed.Detach();
        return;
    }
    if (api.libvlc_media_parse_with_options(media, flags, boundMs) == 0) {
        const Clock::time_point deadline = After(boundMs + 500);
        while (Clock::now() < deadline) {
            const unsigned long n = parsed.Count();
            if (api.libvlc_media_get_parsed_status(media) != 0)
                break;
            parsed.WaitPast(n, NextCheck(deadline));
        }
    }
    parsed.Detach();
}

Streams StreamsOf(const VlcApi &api, libvlc_media_t *media)
{
    Streams s;
    if (!media)
        return s;
    libvlc_media_track_t **tracks = nullptr;
    const unsigned n = api.libvlc_media_tracks_get(media, &tracks);
    s.count = int(n);
    for (unsigned i = 0; i < n; ++i) {
        if (tracks[i]->i_type != libvlc_track_video || !tracks[i]->video)
            continue;
        s.video = true;
        s.videoWidth = int(tracks[i]->video->i_width);
        s.videoHeight = int(tracks[i]->video->i_height);
    }
    if (tracks)
        api.libvlc_media_tracks_release(tracks, n);
    return s;
}

}  // namespace quaverly::nsplay
