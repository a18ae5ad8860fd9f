#include "platform/nsplay/NSPlay.h"

#include "platform/nsplay/MediaProbe.h"
#include "platform/nsplay/MediaSource.h"
#include "platform/nsplay/NSPlayItem.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace quaverly::nsplay {

namespace {

double Finite(double v) { return std::isfinite(v) && v > 0 ? v : 0.0; }

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
        // started the next: ended, stopped or nothing, as far as the list
        // player got in handing it over. The list has ended only when its
        // last entry has.
        if (ListMode() && !(state == libvlc_Ended && EntryIndex() + 1 >= int(item_->entryLengths.size())))
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
