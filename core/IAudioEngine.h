#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/ISpectrumDisplay.h"

namespace quaverly {

// States of the audio engine's current item.
enum TPlayerState : std::uint8_t { psClosed = 0, psReady = 1, psStopped = 2, psPlaying = 3 };

// The audio engine as the playback controller and the position timer use
// it: one item at a time, opened, played, positioned and closed. Every call
// is made on the user-interface thread; so is every callback.
class IAudioEngine {
public:
    virtual ~IAudioEngine() = default;

    // False when the output device could not be opened; the engine has told
    // the user already and plays nothing.
    virtual bool PlayerReady() const = 0;
    // "*.wav;*.mp1;..." (with "*.wma;" when the WMA add-on is there); the
    // controller matches extensions against it as a plain text.
    virtual std::string SupportedExtensions() const = 0;

    // Opens a local file, replacing the current item; false when it cannot
    // be played (nothing is shown to the user). Returns quickly.
    [[nodiscard]] virtual bool Open(const std::string &path) = 0;
    // Opens a URL off the user-interface thread. `done` runs later on the
    // user-interface thread, exactly once, with the result, unless the engine
    // is destroyed first. The wait is bounded by the library's own network
    // time-outs. Another open or a Close before `done` supersedes the URL:
    // `done` then gets false and nothing stays open from it.
    virtual void OpenUrl(const std::string &url, std::function<void(bool opened)> done) = 0;
    // True from OpenUrl until its `done` has run.
    virtual bool OpenPending() const = 0;

    // Starts the opened item from its start (or again after its end).
    virtual void Play() = 0;
    // Stops and releases the item; the output is silent afterwards.
    virtual void Close() = 0;

    virtual std::uint32_t PlayLength() const = 0;       // milliseconds, 0 = unknown
    virtual std::uint32_t Position() const = 0;         // milliseconds
    virtual void SetPosition(std::uint32_t ms) = 0;     // ignored beyond the length
    virtual bool Seekable() const = 0;
    // psStopped once the item played to its end (or broke off).
    virtual TPlayerState PlayerState() const = 0;

    // Receives each new set of spectrum bands while an item plays; empty
    // clears it. Called on the user-interface thread.
    virtual void SetOnNewFFTData(std::function<void(const TBandOut &)> handler) = 0;
};

// Makes the audio engine with the library beside the program.
class IAudioEngineFactory {
public:
    virtual ~IAudioEngineFactory() = default;
    // Never null; PlayerReady() tells whether the output could be opened.
    virtual std::unique_ptr<IAudioEngine> CreateAudioEngine() = 0;
};

}  // namespace quaverly
