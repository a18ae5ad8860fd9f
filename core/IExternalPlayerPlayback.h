#pragma once

namespace quaverly {

// What the playback controller, the position timer and the window's events
// ask of the external MIDI player while rows play (the settings side is
// IExternalPlayer). The shared flags it reads and writes (PlayerWasOpen,
// UserWasIdle, the strip activation, ItemLength, EngineKind) live in the
// form model.
class IExternalPlayerPlayback {
public:
    virtual ~IExternalPlayerPlayback() = default;
    // The routing rule for the current row: the external-MIDI mode is on and
    // available, the row is MIDI, and the user was idle at the last close or
    // no other program is in front now. Otherwise the row plays silently in
    // the media control.
    virtual bool TakesMidiRow() = 0;
    // Starts the current row in the external player and shows the strip; a
    // row that cannot be measured gets the unplayable message instead.
    virtual void PlayThroughExternalPlayer() = 0;
    // 1: no other program is in front; 2: no other program fills the screen
    // in front.
    virtual bool ForegroundIsFree(int mode) = 0;
    // The position timer's second in the strip view: counts it into Gauge1
    // and closes the player early when a full-screen program is in front
    // near the end. False when this tick ends here (the row went on in the
    // media control, or is about to).
    virtual bool CountStripSecond() = 0;
    // Once a second while anything plays: the player's window search and
    // the end of closed players.
    virtual void Poll() = 0;
    // The application was activated; a mouse button was released over a
    // strip button.
    virtual void OnApplicationActivated() = 0;
    virtual void sbNext3MouseUp() = 0;
};

// No external player: nothing starts, the foreground always counts as busy
// so MIDI rows go to the media control.
class TUnavailableExternalPlayerPlayback final : public IExternalPlayerPlayback {
public:
    bool TakesMidiRow() override { return false; }
    void PlayThroughExternalPlayer() override {}
    bool ForegroundIsFree(int) override { return false; }
    bool CountStripSecond() override { return true; }
    void Poll() override {}
    void OnApplicationActivated() override {}
    void sbNext3MouseUp() override {}
};

}  // namespace quaverly
