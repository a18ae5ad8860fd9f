#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace quaverly {

// What a start of the media control came to: ok, or why it could not play.
// The reason is for logs and tools; the player shows its own message.
struct [[nodiscard]] MediaStartResult {
    bool ok = false;
    std::string reason;

    static MediaStartResult Started() { return {true, {}}; }
    static MediaStartResult Failed(std::string why) { return {false, std::move(why)}; }
    explicit operator bool() const { return ok; }
};

// Values of IMediaControl::PlayState.
enum MediaPlayState : int {
    kMediaStopped = 0,  // nothing loaded, stopped, ended on its own, or failed
    kMediaPaused = 1,
    kMediaPlaying = 2,  // any value other than 0 and 1 counts as playing
};

// The hosted media control: plays MIDI, video, redirector lists, mms streams
// and every other item the audio engine does not take. It raises no events;
// the player polls it from the user-interface thread, the only thread that
// may call it. No member throws.
//
// Order of use for one item: SetFileName(path); SetCurrentPosition(-1.0);
// Play() (a failure ends the start with a message); read Length() and
// PictureWidth(); then once a second PlayState() and CurrentPosition();
// SetFileName("") to stop. A length can also be measured without a start:
// SetFileName(path), Length(), SetFileName("").
class IMediaControl {
public:
    virtual ~IMediaControl() = default;

    // The current item's local path or URL (UTF-8), empty when none.
    virtual std::string FileName() const = 0;
    // Prepares the item for the next Play(): stops whatever plays and, for a
    // local file, reads its length and picture size (bounded to a few
    // seconds). Empty stops playback and releases the media.
    virtual void SetFileName(const std::string &fileName) = 0;

    // The playing position in seconds: finite, never negative. Once the item
    // has ended on its own it reads Length(); a stop by the user keeps the
    // position it stopped at.
    virtual double CurrentPosition() const = 0;
    // A negative value makes the next Play() start from the beginning; a
    // value of 0 or more is the target second for the next Play() (which
    // the player calls right after a seek), and seeks at once while playing.
    virtual void SetCurrentPosition(double seconds) = 0;

    // How the picture is scaled in the player's video view: 0 normal,
    // 1 half size, 2 double size. Kept for the whole run.
    virtual int DisplaySize() const = 0;
    virtual void SetDisplaySize(int displaySize) = 0;

    // The item's length in seconds, finite; 0 when unknown (streams, or a
    // length no bounded wait could learn).
    virtual double Length() const = 0;
    // The picture's size in pixels; above 0 exactly when the item has a
    // picture, 0 otherwise. Known when Play() has returned.
    virtual int PictureWidth() const = 0;
    virtual int PictureHeight() const = 0;

    // kMediaStopped, kMediaPaused or kMediaPlaying.
    virtual int PlayState() const = 0;
    // False when the item cannot seek (a stream, or a file without an index).
    virtual bool CanSeek() const = 0;

    // Opens the item named by FileName() and plays it, from the position set
    // last. Returns only once it plays (length and picture known or a bounded
    // wait over) or has failed: a missing or unreadable file, a format no
    // decoder takes, a server that does not answer (bounded wait), a MIDI
    // file with no soundfont installed. Never reports success for an item
    // that cannot play.
    virtual MediaStartResult Play() = 0;

    // The native window (an X window id here) the picture is drawn into;
    // 0 draws no picture. Set before the item's Play().
    virtual void SetVideoWindow(std::uint64_t nativeWindowId) = 0;
    // A disabled control ignores mouse and keyboard input on its picture.
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
};

}  // namespace quaverly
