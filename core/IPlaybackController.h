#pragma once

#include <string>

namespace quaverly {

// What the shell, the playlist, the schedule and the views ask of the
// playback controller. The controller itself (engine routing, transport,
// stopped state) implements it; tests of the callers use a recording fake.
class IPlaybackController {
public:
    virtual ~IPlaybackController() = default;
    // Plays the first selected row (selecting row NextIndex first when nothing
    // is selected) and sets CurrentIndex.
    virtual void PlayCurrentItem() = 0;
    // The play command: stops what plays, then PlayCurrentItem.
    virtual void PlaySelected() = 0;
    // Silences whichever engine plays; does not touch the buttons.
    virtual void StopPlayback() = 0;
    // Buttons, gauges and title of the stopped state.
    virtual void ShowStoppedState() = 0;
    // Enables the external-MIDI buttons when the external player is present and
    // at least one row is a MIDI item.
    virtual void UpdateMidiButtons() = 0;
    // Engine kind for a path. Changes nothing: the flags of the playing row
    // are stored only when a row starts.
    virtual int ChooseEngine(const std::string &path) = 0;
};

}  // namespace quaverly
