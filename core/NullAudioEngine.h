#pragma once

#include <algorithm>
#include <utility>

#include "core/IAudioEngine.h"

namespace quaverly {

// An audio engine that makes no sound. Its knobs say how items behave: all
// open (or none), with a given length, seekable or not; an item "plays" until
// Finish() ends it. URL opens complete when CompleteUrlOpen() is called, so a
// test decides when the connection comes back.
class TNullAudioEngine : public IAudioEngine {
public:
    // Knobs.
    bool Ready = true;
    bool OpensFiles = true;
    bool OpensUrls = true;
    bool PlayReachesPlaying = true;     // false: Play() leaves the item stopped
    bool CanSeek = true;
    std::uint32_t LengthMs = 60000;
    std::string Extensions = "*.wav;*.mp1;*.mp2;*.mp3;*.ogg;*.wma;";

    // What happened.
    std::string OpenedPath;
    int Opens = 0;
    int Plays = 0;
    int Closes = 0;
    std::uint32_t LastSeekMs = 0;

    bool PlayerReady() const override { return Ready; }
    std::string SupportedExtensions() const override { return Ready ? Extensions : std::string(); }

    bool Open(const std::string &path) override
    {
        Supersede();
        ++Opens;
        if (!OpensFiles)
            return false;
        OpenedPath = path;
        state_ = psReady;
        position_ = 0;
        return true;
    }
    void OpenUrl(const std::string &url, std::function<void(bool)> done) override
    {
        Supersede();
        ++Opens;
        pendingUrl_ = url;
        pending_ = std::move(done);
    }
    bool OpenPending() const override { return bool(pending_); }
    // Ends the pending URL open as the knobs say.
    void CompleteUrlOpen()
    {
        auto done = std::exchange(pending_, nullptr);
        if (!done)
            return;
        const bool opened = OpensUrls;
        if (opened) {
            OpenedPath = pendingUrl_;
            state_ = psReady;
            position_ = 0;
        }
        done(opened);
    }

    void Play() override
    {
        ++Plays;
        if (state_ != psClosed)
            state_ = PlayReachesPlaying ? psPlaying : psStopped;
    }
    void Close() override
    {
        Supersede();
        ++Closes;
        state_ = psClosed;
        OpenedPath.clear();
    }
    std::uint32_t PlayLength() const override { return state_ == psClosed ? 0 : LengthMs; }
    std::uint32_t Position() const override { return position_; }
    void SetPosition(std::uint32_t ms) override
    {
        LastSeekMs = ms;
        if (ms <= LengthMs)
            position_ = ms;
    }
    bool Seekable() const override { return CanSeek && state_ != psClosed; }
    TPlayerState PlayerState() const override { return state_; }
    void SetOnNewFFTData(std::function<void(const TBandOut &)> handler) override { OnBands = std::move(handler); }

    // Test controls of a playing item.
    void Advance(std::uint32_t ms) { position_ = std::min(position_ + ms, LengthMs); }
    void Finish() { state_ = psStopped; }

    std::function<void(const TBandOut &)> OnBands;

private:
    void Supersede()
    {
        if (auto done = std::exchange(pending_, nullptr))
            done(false);
    }

    TPlayerState state_ = psClosed;
    std::uint32_t position_ = 0;
    std::string pendingUrl_;
    std::function<void(bool)> pending_;
};

}  // namespace quaverly
