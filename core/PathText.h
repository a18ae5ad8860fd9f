#pragma once

#include <string>
#include <string_view>

namespace quaverly {

// Byte-wise path and text helpers shared by every subsystem. Paths and lines
// are 8-bit text (UTF-8 here); only ASCII letters change case, every other
// byte is kept.

std::string UpperAscii(std::string_view text);
// Equal after ASCII upper-casing: for switches, extensions, schemes and
// header flags (never for paths, see SameFile).
bool SameTextAscii(std::string_view a, std::string_view b);
// Leading and trailing bytes with codes up to 32 removed.
std::string_view TrimControl(std::string_view text);
bool StartsWith(std::string_view text, std::string_view prefix);

// A text is a URL when it contains "://"; every other text is a local path.
bool IsUrl(std::string_view path);
// Paths are split at "/"; a text without any "/" (a path written by Windows
// in an old playlist) is split at "\" and ":" instead. So "/m/Live: Berlin.mp3"
// is named "Live: Berlin.mp3", and "C:\m\a.mp3" is named "a.mp3".
//
// Everything up to and including the last separator ("" when none).
std::string FolderOf(std::string_view path);
// Everything after the last separator.
std::string FileNameOf(std::string_view path);
// The extension of a path with its dot ("" when none): the text from the
// last "." of its file name.
std::string ExtensionOf(std::string_view path);
// A URL unchanged; otherwise the file name without its folder and without
// the part from its last ".".
std::string DisplayNameOf(std::string_view path);

// Whole seconds as minutes, ":" and two-digit seconds, no hour field
// (5 -> "0:05", 125 -> "2:05", 3600 -> "60:00").
std::string FormatDuration(int seconds);

}  // namespace quaverly
