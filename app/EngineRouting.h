#pragma once

#include <string>
#include <string_view>

namespace quaverly {

// Which engine takes a path, and the two facts about the path that the
// playback controller keeps for the row it starts. Pure: classifying a path
// changes nothing, so scanning the list for MIDI rows while a stream plays
// cannot disturb the playing row's flags.
struct TEngineChoice {
    int Kind = 0;                      // a TEngineKind
    bool IsUrl = false;                // the path is a URL
    bool IsWindowsMediaFile = false;   // ".WMA", ".WMV", ".ASF" or ".WM"
};

// The upper-cased extension the router looks at: from the last "." after the
// last "\" and ":", dot included; empty when there is none or when it holds a
// "/" (the dot then belonged to a host or folder name).
std::string RoutingExtension(std::string_view path);

// `audioExtensions` is the audio engine's list ("*.wav;*.mp3;..."), matched
// as a plain text, so ".WM" and ".MP" match too; empty when there is no audio
// engine.
TEngineChoice ChooseEngine(std::string_view path, bool audioEngineAvailable, std::string_view audioExtensions);

}  // namespace quaverly
