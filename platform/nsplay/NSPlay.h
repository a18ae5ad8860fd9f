#pragma once
// TNSPlay: the hosted media control on libVLC 3. It plays MIDI through the
// fluidsynth module and a General MIDI soundfont, video into a native X
// window, redirector lists (.asx) entry by entry, mms and http streams and
// whatever else libVLC takes.
//
// libVLC is loaded and its instance made with the first name that needs it,
// and kept for the rest of the run; each item gets its own player, released
// with the item when FileName becomes empty. libVLC's threads only record
// events in an EventLatch; every other step runs on the caller's thread.
#include "core/IMediaControl.h"
#include "platform/nsplay/EventLatch.h"
#include "platform/nsplay/VlcApi.h"

#include <memory>
#include <string>
#include <vector>

namespace quaverly::nsplay {

struct NSPlayOptions {
    // Extra libVLC arguments, after the control's own (tests choose the
    // dummy and file outputs here).
    std::vector<std::string> vlcArguments;
    // Where the General MIDI soundfont is looked for.
    std::string soundfontFolder = "/usr/share/sounds/sf2";
    // Bounds of the start: a local file, and a URL (a server may be slow).
    int fileStartMs = 5000;
    int urlStartMs = 15000;
    // Bound of reading a local file's length and picture size.
    int preparseMs = 3000;

    // The defaults, with the extra arguments of $QUAVERLY_VLC_ARGS (split at
    // blanks) when it is set.
    static NSPlayOptions FromEnvironment();
};

class TNSPlay final : public IMediaControl {
public:
    explicit TNSPlay(NSPlayOptions options = NSPlayOptions::FromEnvironment());
    ~TNSPlay() override;
    TNSPlay(const TNSPlay &) = delete;
    TNSPlay &operator=(const TNSPlay &) = delete;

    std::string FileName() const override { return fileName_; }
    void SetFileName(const std::string &fileName) override;
    double CurrentPosition() const override;
    void SetCurrentPosition(double seconds) override;
    int DisplaySize() const override { return displaySize_; }
    void SetDisplaySize(int displaySize) override { displaySize_ = displaySize; }
    double Length() const override;
    int PictureWidth() const override;
    int PictureHeight() const override;
    int PlayState() const override;
    bool CanSeek() const override;
    MediaStartResult Play() override;
    void SetVideoWindow(std::uint64_t nativeWindowId) override { videoWindow_ = nativeWindowId; }
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool enabled) override;

    // True once libVLC has been loaded and its instance made.
    bool VlcLoaded() const { return instance_ != nullptr; }

private:
    struct Item;  // the media, its entries and its player

    [[nodiscard]] bool EnsureInstance(std::string &error);
    void Release();
    void Prepare();
    MediaStartResult Start();
    MediaStartResult WaitUntilPlaying(int boundMs);
    void WaitForLengthAndPicture();
    bool UseEntries(libvlc_media_list_t *entries);
    bool ListMode() const;
    int EntryIndex() const;
    void ReadPictureSize() const;

    NSPlayOptions options_;
    const VlcApi *api_ = nullptr;
    libvlc_instance_t *instance_ = nullptr;
    std::unique_ptr<Item> item_;
    std::string fileName_;
    double startAt_ = -1.0;
    int displaySize_ = 0;
    bool enabled_ = true;
    std::uint64_t videoWindow_ = 0;
    mutable double lastPosition_ = 0;  // seconds, kept across a stop
    mutable int pictureWidth_ = 0;
    mutable int pictureHeight_ = 0;
};

}  // namespace quaverly::nsplay
