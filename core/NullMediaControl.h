#pragma once

#include <set>
#include <string>
#include <vector>

#include "core/IMediaControl.h"

namespace quaverly {

// A media control that plays nothing, with knobs. Used where no real media
// back end exists and by the tests of the player's logic. By default every
// start fails, so each media-control row is reported as unplayable.
class NullMediaControl final : public IMediaControl {
public:
    struct Knobs {
        // Every start fails with `failureReason`.
        bool startFails = true;
        // When startFails is false: these file names still fail.
        std::set<std::string> failingNames;
        std::string failureReason = "no media back end in this build";
        // Seconds; 0 = no known length. Readable as soon as a name is set.
        double length = 0;
        // 0 x 0 = sound only.
        int pictureWidth = 0;
        int pictureHeight = 0;
        bool canSeek = true;
    };
    Knobs knobs;

    // What the player did with it, for assertions.
    std::vector<std::string> startedNames;  // each Play(), successful or not
    std::vector<std::string> namesSet;      // each SetFileName, "" included

    // A started item never ends by itself; these move it along.
    void EndOnItsOwn() {
        if (state_ == kMediaStopped) return;
        state_ = kMediaStopped;
        position_ = knobs.length;
    }
    void StopInsideControl() { state_ = kMediaStopped; }
    void PauseInsideControl() { if (state_ != kMediaStopped) state_ = kMediaPaused; }
    void MoveTo(double seconds) { position_ = seconds; }

    std::string FileName() const override { return fileName_; }
    void SetFileName(const std::string &fileName) override {
        namesSet.push_back(fileName);
        fileName_ = fileName;
        state_ = kMediaStopped;
        playing_ = false;
        position_ = 0;
        startAt_ = -1.0;
    }

    double CurrentPosition() const override { return position_; }
    void SetCurrentPosition(double seconds) override {
        startAt_ = seconds;
        if (seconds >= 0 && state_ != kMediaStopped) position_ = seconds;
    }

    int DisplaySize() const override { return displaySize_; }
    void SetDisplaySize(int displaySize) override { displaySize_ = displaySize; }

    double Length() const override { return fileName_.empty() ? 0 : knobs.length; }
    int PictureWidth() const override { return playing_ ? knobs.pictureWidth : 0; }
    int PictureHeight() const override { return playing_ ? knobs.pictureHeight : 0; }
    int PlayState() const override { return state_; }
    bool CanSeek() const override { return playing_ && knobs.canSeek; }

    MediaStartResult Play() override {
        startedNames.push_back(fileName_);
        if (fileName_.empty()) return MediaStartResult::Failed("no file name set");
        if (knobs.startFails || knobs.failingNames.count(fileName_) != 0) {
            state_ = kMediaStopped;
            playing_ = false;
            return MediaStartResult::Failed(knobs.failureReason);
        }
        playing_ = true;
        state_ = kMediaPlaying;
        position_ = startAt_ >= 0 ? startAt_ : 0;
        return MediaStartResult::Started();
    }

    void SetVideoWindow(std::uint64_t nativeWindowId) override { videoWindow_ = nativeWindowId; }
    std::uint64_t VideoWindow() const { return videoWindow_; }
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool enabled) override { enabled_ = enabled; }

private:
    std::string fileName_;
    double position_ = 0;
    double startAt_ = -1.0;
    int displaySize_ = 0;
    int state_ = kMediaStopped;
    bool playing_ = false;  // started and not released since
    bool enabled_ = true;
    std::uint64_t videoWindow_ = 0;
};

}  // namespace quaverly
