#pragma once
// The libVLC 3 entry points the media control calls, bound at run time from
// "libvlc.so.5". The library is opened with the first item that needs it, so
// a run that plays only audio files never maps it. The headers give only the
// types; nothing links against libvlc.
#include "platform/DynamicLibrary.h"

#include <vlc/vlc.h>

#include <string>

namespace quaverly::nsplay {

#define QUAVERLY_VLC_ENTRY_POINTS(X)                                                                          \
    X(libvlc_new) X(libvlc_release) X(libvlc_free) X(libvlc_event_attach) X(libvlc_event_detach)               \
    X(libvlc_media_new_path) X(libvlc_media_new_location) X(libvlc_media_release) X(libvlc_media_get_mrl)     \
    X(libvlc_media_add_option)                                                                                \
    X(libvlc_media_event_manager) X(libvlc_media_parse_with_options) X(libvlc_media_get_parsed_status)        \
    X(libvlc_media_get_duration) X(libvlc_media_tracks_get) X(libvlc_media_tracks_release)                   \
    X(libvlc_media_subitems) X(libvlc_media_list_new) X(libvlc_media_list_add_media)                          \
    X(libvlc_media_list_count) X(libvlc_media_list_item_at_index) X(libvlc_media_list_lock)                  \
    X(libvlc_media_list_unlock) X(libvlc_media_list_release) X(libvlc_media_player_new)                       \
    X(libvlc_media_player_release) X(libvlc_media_player_set_media) X(libvlc_media_player_get_media)         \
    X(libvlc_media_player_event_manager) X(libvlc_media_player_play) X(libvlc_media_player_stop)             \
    X(libvlc_media_player_set_pause) X(libvlc_media_player_get_state) X(libvlc_media_player_get_time)        \
    X(libvlc_media_player_set_time) X(libvlc_media_player_get_length) X(libvlc_media_player_is_seekable)     \
    X(libvlc_media_player_set_xwindow) X(libvlc_video_get_size) X(libvlc_video_set_mouse_input)              \
    X(libvlc_video_set_key_input) X(libvlc_media_list_player_new) X(libvlc_media_list_player_release)        \
    X(libvlc_media_list_player_set_media_player) X(libvlc_media_list_player_set_media_list)                  \
    X(libvlc_media_list_player_play) X(libvlc_media_list_player_stop) X(libvlc_media_list_player_get_state)

// One typed pointer per entry point, named after it.
struct VlcApi {
#define QUAVERLY_VLC_MEMBER(name) decltype(&::name) name = nullptr;
    QUAVERLY_VLC_ENTRY_POINTS(QUAVERLY_VLC_MEMBER)
#undef QUAVERLY_VLC_MEMBER

    // The bound library of this process, loaded by the first call; nullptr
    // when it cannot be loaded or lacks an entry point, with the reason in
    // `error`. Later calls return the same answer.
    static const VlcApi *Load(std::string &error);
};

}  // namespace quaverly::nsplay
