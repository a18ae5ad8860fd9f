#pragma once

#include <memory>
#include <string>

// Plays one MIDI file through libVLC (its fluidsynth module and the
// installed General MIDI soundfont). Silent when libVLC cannot start or the
// file cannot be opened: the window still shows, as a player's would.
class MidiOutput {
public:
    MidiOutput();
    ~MidiOutput();
    MidiOutput(const MidiOutput &) = delete;
    MidiOutput &operator=(const MidiOutput &) = delete;

    [[nodiscard]] bool Play(const std::string &path);

private:
    struct Handles;
    std::unique_ptr<Handles> handles_;
};
