#include "platform/nsplay/NSPlay.h"

#include "platform/nsplay/MediaSource.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace quaverly::nsplay {

using Clock = std::chrono::steady_clock;

namespace {

// After Playing: how long the length and the streams may take to show
// (an MPEG program stream tells its length a few milliseconds later), and
// how long the video output may take to tell the picture size.
constexpr int kLengthWaitMs = 1500;
constexpr int kPictureWaitMs = 1000;
// One wait between checks of libVLC's state, when no event wakes it first.
constexpr auto kSlice = std::chrono::milliseconds(100);

double Seconds(libvlc_time_t ms) { return ms > 0 ? double(ms) / 1000.0 : 0.0; }

double Finite(double v) { return std::isfinite(v) && v > 0 ? v : 0.0; }

Clock::time_point After(int ms) { return Clock::now() + std::chrono::milliseconds(ms); }

Clock::time_point NextCheck(Clock::time_point deadline) { return std::min(deadline, Clock::now() + kSlice); }

// Reads a media's length and streams without playing it, bounded.
void Parse(const VlcApi &api, libvlc_media_t *media, libvlc_media_parse_flag_t flags, int boundMs)
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

struct Streams {
    int count = 0;
    int videoWidth = 0;
    int videoHeight = 0;
    bool video = false;
};

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

}  // namespace

NSPlayOptions NSPlayOptions::FromEnvironment()
{
    NSPlayOptions options;
    if (const char *extra = std::getenv("QUAVERLY_VLC_ARGS")) {
        std::istringstream words(extra);
        for (std::string w; words >> w;)
            options.vlcArguments.push_back(w);
    }
    return options;
}

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

TNSPlay::TNSPlay(NSPlayOptions options) : options_(std::move(options)) {}

TNSPlay::~TNSPlay()
{
    Release();
    if (instance_)
        api_->libvlc_release(instance_);
}

bool TNSPlay::EnsureInstance(std::string &error)
{
    if (instance_)
        return true;
    api_ = VlcApi::Load(error);
    if (!api_)
        return false;
    // No Xlib (the player's window belongs to Qt, and libVLC's pure xcb
    // outputs need far less memory than its GL ones), no title or OSD on
    // the picture, no hardware decoder probes, no screensaver inhibition.
    std::vector<std::string> args = {"--quiet",        "--ignore-config",      "--no-xlib",
                                     "--no-osd",       "--no-video-title-show", "--no-stats",
                                     "--avcodec-hw=none", "--no-disable-screensaver", "--no-lua"};
    const std::string soundfont = FindSoundfont(options_.soundfontFolder);
    if (!soundfont.empty())
        args.push_back("--soundfont=" + soundfont);
    args.insert(args.end(), options_.vlcArguments.begin(), options_.vlcArguments.end());
    std::vector<const char *> argv;
    for (const std::string &a : args)
        argv.push_back(a.c_str());
    instance_ = api_->libvlc_new(int(argv.size()), argv.data());
    if (!instance_) {
        error = "libVLC could not be started";
        return false;
    }
    return true;
}

void TNSPlay::Release()
{
    item_.reset();
    pictureWidth_ = 0;
    pictureHeight_ = 0;
}

void TNSPlay::SetFileName(const std::string &fileName)
{
    Release();
    fileName_ = fileName;
    lastPosition_ = 0;
    if (!fileName_.empty())
        Prepare();
}

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
    if (!url)
        Parse(*api_, item->media, libvlc_media_parse_local, options_.preparseMs);
    else if (UpperExtension(fileName_) == ".ASX")
        Parse(*api_, item->media, libvlc_media_parse_network, options_.preparseMs);
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
        Parse(*api_, entry, libvlc_media_parse_local, share);
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
    if (!result) {
        // Keep the name, drop the player: a failed start leaves nothing playing.
        const std::string name = fileName_;
        SetFileName(name);
    }
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

bool TNSPlay::ListMode() const { return item_ && item_->entries && item_->listPlayer; }

// The index of the entry the list player plays, -1 when unknown.
int TNSPlay::EntryIndex() const
{
    libvlc_media_t *current = api_->libvlc_media_player_get_media(item_->player);
    if (!current)
        return -1;
    int index = -1;
    api_->libvlc_media_list_lock(item_->entries);
    const int count = api_->libvlc_media_list_count(item_->entries);
    for (int i = 0; i < count && index < 0; ++i) {
        libvlc_media_t *entry = api_->libvlc_media_list_item_at_index(item_->entries, i);
        if (entry == current)
            index = i;
        if (entry)
            api_->libvlc_media_release(entry);
    }
    api_->libvlc_media_list_unlock(item_->entries);
    api_->libvlc_media_release(current);
    return index;
}

int TNSPlay::PlayState() const
{
    if (!item_ || !item_->started)
        return kMediaStopped;
    const libvlc_state_t state = api_->libvlc_media_player_get_state(item_->player);
    switch (state) {
    case libvlc_Paused:
        return kMediaPaused;
    case libvlc_NothingSpecial:
    case libvlc_Stopped:
    case libvlc_Ended:
        // Between two entries of a list the player has ended one and not yet
        // opened the next.
        if (ListMode() && state != libvlc_Stopped && EntryIndex() + 1 < int(item_->entryLengths.size()))
            return kMediaPlaying;
        return kMediaStopped;
    case libvlc_Error:
        return kMediaStopped;
    default:
        return kMediaPlaying;
    }
}

double TNSPlay::Length() const
{
    if (!item_)
        return 0;
    if (ListMode()) {
        double total = 0;
        for (const double l : item_->entryLengths)
            total = l > 0 && total >= 0 ? total + l : -1;
        if (total > 0)
            return total;
    }
    double length = item_->preparsedLength;
    if (item_->player)
        length = std::max(length, Seconds(api_->libvlc_media_player_get_length(item_->player)));
    return Finite(length);
}

double TNSPlay::CurrentPosition() const
{
    if (!item_ || !item_->started)
        return lastPosition_;
    const libvlc_state_t state = api_->libvlc_media_player_get_state(item_->player);
    // The position libVLC reads at the end lies below the length; an item
    // that ended on its own has played all of it.
    if (state == libvlc_Ended && PlayState() == kMediaStopped)
        return lastPosition_ = Length();
    const libvlc_time_t ms = api_->libvlc_media_player_get_time(item_->player);
    if (ms < 0)
        return lastPosition_;
    double offset = 0;
    if (ListMode()) {
        const int index = EntryIndex();
        for (int i = 0; i < index && i < int(item_->entryLengths.size()); ++i)
            offset += item_->entryLengths[std::size_t(i)];
    }
    return lastPosition_ = Finite(offset + Seconds(ms));
}

void TNSPlay::SetCurrentPosition(double seconds)
{
    startAt_ = std::isfinite(seconds) ? seconds : -1.0;
    if (startAt_ < 0 || !item_ || !item_->started || ListMode())
        return;
    const libvlc_state_t state = api_->libvlc_media_player_get_state(item_->player);
    if ((state == libvlc_Playing || state == libvlc_Paused) &&
        api_->libvlc_media_player_is_seekable(item_->player)) {
        api_->libvlc_media_player_set_time(item_->player, libvlc_time_t(startAt_ * 1000.0));
        lastPosition_ = startAt_;
    }
}

void TNSPlay::ReadPictureSize() const
{
    if (!item_ || !item_->started)
        return;
    unsigned w = 0, h = 0;
    if (api_->libvlc_video_get_size(item_->player, 0, &w, &h) == 0 && w > 0 && h > 0) {
        pictureWidth_ = int(w);
        pictureHeight_ = int(h);
        return;
    }
    if (pictureWidth_ > 0)
        return;
    // No video output (a picture not drawn anywhere): the stream's own size.
    libvlc_media_t *current = api_->libvlc_media_player_get_media(item_->player);
    const Streams streams = StreamsOf(*api_, current);
    if (current)
        api_->libvlc_media_release(current);
    if (streams.video && streams.videoWidth > 0 && streams.videoHeight > 0) {
        pictureWidth_ = streams.videoWidth;
        pictureHeight_ = streams.videoHeight;
    }
}

int TNSPlay::PictureWidth() const
{
    ReadPictureSize();
    return pictureWidth_;
}

int TNSPlay::PictureHeight() const
{
    ReadPictureSize();
    return pictureHeight_;
}

bool TNSPlay::CanSeek() const
{
    return item_ && item_->started && !ListMode() && api_->libvlc_media_player_is_seekable(item_->player);
}

void TNSPlay::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    if (item_ && item_->player) {
        api_->libvlc_video_set_mouse_input(item_->player, enabled_);
        api_->libvlc_video_set_key_input(item_->player, enabled_);
    }
}

}  // namespace quaverly::nsplay
