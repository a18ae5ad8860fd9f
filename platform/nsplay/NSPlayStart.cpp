// Preparing an item and starting it: the part of TNSPlay that waits on
// libVLC, always bounded.
#include "platform/nsplay/NSPlay.h"

#include "core/PathText.h"
#include "platform/nsplay/MediaProbe.h"
#include "platform/nsplay/MediaSource.h"
#include "platform/nsplay/NSPlayItem.h"

#include <algorithm>

namespace quaverly::nsplay {

namespace {

// After Playing: how long the length and the streams may take to show
// (an MPEG program stream tells its length a few milliseconds later), and
// how long the video output may take to tell the picture size.
constexpr int kLengthWaitMs = 1500;
constexpr int kPictureWaitMs = 1000;

}  // namespace

// Makes the media for the name and, for a local file or a listed URL, reads
// its length, streams and entries now, so that a length read before any
// start is already known.
void TNSPlay::Prepare()
{
    const bool url = IsUrl(fileName_);
    if (!url && LocalFileProblem(fileName_))
        return;  // the start reports it
    std::string error;
    if (!EnsureInstance(error))
        return;
    auto item = std::make_unique<Item>(*api_);
    item->media = url ? api_->libvlc_media_new_location(instance_, fileName_.c_str())
                      : api_->libvlc_media_new_path(instance_, fileName_.c_str());
    if (!item->media)
        return;
    // MIDI goes straight to its demuxer: probing the others first loads
    // their plugins and libraries for good.
    if (!url && IsMidiFile(fileName_))
        api_->libvlc_media_add_option(item->media, ":demux=smf");
    if (!url)
        ParseBounded(*api_, item->media, libvlc_media_parse_local, options_.preparseMs);
    else if (UpperExtension(fileName_) == ".ASX")
        ParseBounded(*api_, item->media, libvlc_media_parse_network, options_.preparseMs);
    item->preparsedLength = Seconds(api_->libvlc_media_get_duration(item->media));
    item_ = std::move(item);
    if (libvlc_media_list_t *entries = api_->libvlc_media_subitems(item_->media)) {
        UseEntries(entries);
        api_->libvlc_media_list_release(entries);
    }
}

// Takes the entries of a redirector list that can be played: remote ones,
// and local files that exist and can be read. False when none is left.
bool TNSPlay::UseEntries(libvlc_media_list_t *entries)
{
    std::vector<libvlc_media_t *> kept;
    api_->libvlc_media_list_lock(entries);
    const int count = api_->libvlc_media_list_count(entries);
    for (int i = 0; i < count; ++i) {
        libvlc_media_t *entry = api_->libvlc_media_list_item_at_index(entries, i);
        if (!entry)
            continue;
        std::string location;
        if (char *mrl = api_->libvlc_media_get_mrl(entry)) {
            location = mrl;
            api_->libvlc_free(mrl);
        }
        const std::string path = PathOfFileUrl(location);
        if (path.empty() ? !location.empty() : !LocalFileProblem(path))
            kept.push_back(entry);
        else
            api_->libvlc_media_release(entry);
    }
    api_->libvlc_media_list_unlock(entries);
    item_->listWithoutEntries = count > 0 && kept.empty();
    if (kept.empty())
        return false;
    item_->entries = api_->libvlc_media_list_new(instance_);
    const int share = std::max(200, options_.preparseMs / int(kept.size()));
    for (libvlc_media_t *entry : kept) {
        ParseBounded(*api_, entry, libvlc_media_parse_local, share);
        item_->entryLengths.push_back(Seconds(api_->libvlc_media_get_duration(entry)));
        api_->libvlc_media_list_lock(item_->entries);
        api_->libvlc_media_list_add_media(item_->entries, entry);
        api_->libvlc_media_list_unlock(item_->entries);
        api_->libvlc_media_release(entry);
    }
    return true;
}

MediaStartResult TNSPlay::Play()
{
    if (fileName_.empty())
        return MediaStartResult::Failed("no file name is set");
    if (item_ && item_->started) {
        const libvlc_state_t state = api_->libvlc_media_player_get_state(item_->player);
        if (state == libvlc_Paused)
            api_->libvlc_media_player_set_pause(item_->player, 0);
        if (state == libvlc_Paused || state == libvlc_Playing || state == libvlc_Opening ||
            state == libvlc_Buffering)
            return MediaStartResult::Started();  // a seek: already applied
    }
    const bool url = IsUrl(fileName_);
    if (!url) {
        if (std::optional<std::string> problem = LocalFileProblem(fileName_))
            return MediaStartResult::Failed(*problem);
        // Without a soundfont libVLC "plays" MIDI in silence and reports
        // success: refuse it here.
        if (IsMidiFile(fileName_) && FindSoundfont(options_.soundfontFolder).empty())
            return MediaStartResult::Failed("no General MIDI soundfont (*.sf2) in " + options_.soundfontFolder);
    }
    std::string error;
    if (!EnsureInstance(error))
        return MediaStartResult::Failed(error);
    if (!item_ || item_->started) {
        const std::string name = fileName_;
        SetFileName(name);
    }
    if (!item_)
        return MediaStartResult::Failed("libVLC cannot make a media of " + fileName_);
    if (item_->listWithoutEntries)
        return MediaStartResult::Failed("none of the entries of " + fileName_ + " can be opened");
    MediaStartResult result = Start();
    if (!result)
        Release();  // the name stays; nothing plays or is held
    return result;
}

MediaStartResult TNSPlay::Start()
{
    Item &item = *item_;
    item.player = api_->libvlc_media_player_new(instance_);
    if (!item.player)
        return MediaStartResult::Failed("libVLC cannot make a player");
    if (!item.playerEvents.Attach(*api_, api_->libvlc_media_player_event_manager(item.player),
                                  {libvlc_MediaPlayerPlaying, libvlc_MediaPlayerPaused, libvlc_MediaPlayerStopped,
                                   libvlc_MediaPlayerEndReached, libvlc_MediaPlayerEncounteredError,
                                   libvlc_MediaPlayerLengthChanged, libvlc_MediaPlayerVout,
                                   libvlc_MediaPlayerESAdded, libvlc_MediaPlayerMediaChanged}))
        return MediaStartResult::Failed("libVLC refused to report the player's state");
    if (videoWindow_ != 0)
        api_->libvlc_media_player_set_xwindow(item.player, uint32_t(videoWindow_));
    api_->libvlc_video_set_mouse_input(item.player, enabled_);
    api_->libvlc_video_set_key_input(item.player, enabled_);

    const int boundMs = IsUrl(fileName_) ? options_.urlStartMs : options_.fileStartMs;
    for (int attempt = 0; attempt < 2; ++attempt) {
        item.playerEvents.Clear();
        if (item.entries) {
            if (!item.listPlayer) {
                item.listPlayer = api_->libvlc_media_list_player_new(instance_);
                if (!item.listPlayer)
                    return MediaStartResult::Failed("libVLC cannot make a list player");
                api_->libvlc_media_list_player_set_media_player(item.listPlayer, item.player);
                api_->libvlc_media_list_player_set_media_list(item.listPlayer, item.entries);
            }
            api_->libvlc_media_list_player_play(item.listPlayer);
        } else {
            api_->libvlc_media_player_set_media(item.player, item.media);
            if (api_->libvlc_media_player_play(item.player) != 0)
                return MediaStartResult::Failed("libVLC cannot play " + fileName_);
        }
        MediaStartResult result = WaitUntilPlaying(boundMs);
        if (result)
            break;
        // A list libVLC only learned by opening it (a redirector without its
        // extension, or one that could not be read beforehand): its entries
        // came as sub-items, so play those.
        libvlc_media_list_t *entries = nullptr;
        if (attempt == 0 && !item.entries && item.playerEvents.Seen(libvlc_MediaPlayerEndReached))
            entries = api_->libvlc_media_subitems(item.media);
        const bool useEntries = entries && UseEntries(entries);
        if (entries)
            api_->libvlc_media_list_release(entries);
        if (!useEntries)
            return item.listWithoutEntries
                       ? MediaStartResult::Failed("none of the entries of " + fileName_ + " can be opened")
                       : result;
        api_->libvlc_media_player_stop(item.player);
    }
    item.started = true;
    if (startAt_ > 0 && api_->libvlc_media_player_is_seekable(item.player))
        api_->libvlc_media_player_set_time(item.player, libvlc_time_t(startAt_ * 1000.0));
    return MediaStartResult::Started();
}

// Waits for the player to play, then for its length and streams. libVLC's
// play() answers before it has opened anything, and reaches Playing even for
// garbage: that is a failure here when no stream and no length came.
MediaStartResult TNSPlay::WaitUntilPlaying(int boundMs)
{
    Item &item = *item_;
    EventLatch &events = item.playerEvents;
    const auto failed = [&](const std::string &why) { return MediaStartResult::Failed(why + ": " + fileName_); };

    Clock::time_point deadline = After(boundMs);
    for (;;) {
        const unsigned long n = events.Count();
        if (events.Seen(libvlc_MediaPlayerEncounteredError))
            return failed("libVLC cannot open or decode it");
        if (events.Seen(libvlc_MediaPlayerEndReached))
            return failed("nothing in it can be played");
        if (events.Seen(libvlc_MediaPlayerPlaying))
            break;
        if (Clock::now() >= deadline)
            return failed("no answer within " + std::to_string(boundMs / 1000) + " s");
        events.WaitPast(n, NextCheck(deadline));
    }

    deadline = After(kLengthWaitMs);
    Streams streams;
    for (;;) {
        const unsigned long n = events.Count();
        if (events.Seen(libvlc_MediaPlayerEncounteredError))
            return failed("libVLC cannot decode it");
        libvlc_media_t *current = api_->libvlc_media_player_get_media(item.player);
        streams = StreamsOf(*api_, current);
        if (current)
            api_->libvlc_media_release(current);
        const bool lengthKnown = api_->libvlc_media_player_get_length(item.player) > 0;
        if (streams.count > 0 && (lengthKnown || IsUrl(fileName_)))
            break;
        if (events.Seen(libvlc_MediaPlayerEndReached) || Clock::now() >= deadline) {
            if (streams.count == 0 && !lengthKnown)
                return failed(events.Seen(libvlc_MediaPlayerEndReached) ? "nothing in it can be played"
                                                                          : "no stream in it can be decoded");
            break;
        }
        events.WaitPast(n, NextCheck(deadline));
    }

    if (streams.video) {
        deadline = After(kPictureWaitMs);
        for (;;) {
            const unsigned long n = events.Count();
            unsigned w = 0, h = 0;
            if ((events.Seen(libvlc_MediaPlayerVout) &&
                 api_->libvlc_video_get_size(item.player, 0, &w, &h) == 0 && w > 0 && h > 0) ||
                events.Seen(libvlc_MediaPlayerEndReached) || Clock::now() >= deadline)
                break;
            events.WaitPast(n, NextCheck(deadline));
        }
    }
    return MediaStartResult::Started();
}

}  // namespace quaverly::nsplay
