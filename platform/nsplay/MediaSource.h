#pragma once
// What the media control needs to know about a name before libVLC sees it:
// URL or local file, whether the file can be read at all, whether it is MIDI
// music (which needs a soundfont), and which soundfont to use.
#include <optional>
#include <string>

namespace quaverly::nsplay {

// The extension of a path or URL, upper-cased, with its dot; empty when none.
std::string UpperExtension(const std::string &name);

// Why a local file cannot be played at all (missing, a folder, unreadable),
// or nothing when it can be opened for reading.
std::optional<std::string> LocalFileProblem(const std::string &path);

// The local path of a "file://" URL (escapes decoded), empty for any other.
std::string PathOfFileUrl(const std::string &url);

// MIDI music by its first bytes (a standard MIDI file or a RIFF MIDI file),
// or by its extension when the file is too short to tell.
bool IsMidiFile(const std::string &path);

// The first readable, non-empty "*.sf2" file in the folder by name, empty
// when there is none.
std::string FindSoundfont(const std::string &folder);

}  // namespace quaverly::nsplay
