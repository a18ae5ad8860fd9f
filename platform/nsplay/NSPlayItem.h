#pragma once
// The item a TNSPlay holds: shared by its two source files.
#include "platform/nsplay/EventLatch.h"
#include "platform/nsplay/NSPlay.h"

#include <vector>

namespace quaverly::nsplay {

// One item: the media named by FileName, the entries of a redirector list,
// and the player made for its start. The destructor frees them in the order
// that leaves no libVLC thread holding a latch.
struct TNSPlay::Item {
    explicit Item(const VlcApi &a) : api(a) {}
    ~Item()
    {
        if (listPlayer)
            api.libvlc_media_list_player_release(listPlayer);
        playerEvents.Detach();
        if (player)
            api.libvlc_media_player_release(player);  // stops it first
        if (entries)
            api.libvlc_media_list_release(entries);
        if (media)
            api.libvlc_media_release(media);
    }

    const VlcApi &api;
    EventLatch playerEvents;
    libvlc_media_t *media = nullptr;
    double preparsedLength = 0;            // seconds, 0 when unknown
    libvlc_media_list_t *entries = nullptr;  // set for a redirector list
    std::vector<double> entryLengths;      // seconds, 0 when unknown
    libvlc_media_player_t *player = nullptr;
    libvlc_media_list_player_t *listPlayer = nullptr;
    bool listWithoutEntries = false;  // a list none of whose entries exists
    bool started = false;  // a start succeeded and the item was not released
};

}  // namespace quaverly::nsplay
