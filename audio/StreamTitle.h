#pragma once
// Titles of network streams: from the URL of a network file, from the
// "StreamTitle='...';" metadata of a radio stream, and from Ogg comment lists
// ("KEY=value" strings, each NUL-terminated, the list ending with an empty one).
#include <cstddef>
#include <string>
#include <string_view>

namespace quaverly::audio {

// The audio engine's own, narrower URL rule: true when the path starts with
// "http://", "mmst://", "ftp://" or "mms://" (case-sensitive: "HTTP://x" is a
// file name). The playlist's IsUrl takes any text holding "://".
bool IsStreamUrl(std::string_view path);

// The text from the last ".", "\" or ":" when that is a ".", upper-cased
// (ASCII); empty otherwise.
std::string UrlExtension(std::string_view url);

// A network file's title from its URL: the name after the last "/" found at
// positions L-6 down to 6 (1-based), with the four-character extension dropped.
std::string TitleFromUrl(std::string_view url);

// A text the audio library hands out (a tag, a metadata notice): it ends with
// two NULs, so a comment list and a single string alike are bounded by the
// first pair. Null gives an empty text.
std::string_view LibraryText(const char *text);

// Comment-list title: the first string whose key is TITLE gives the text
// after "TITLE=". With `anyCase` the key matches in any letter case. The
// list is "KEY=value" strings separated by NULs; nothing past its end is read.
std::string TitleFromComments(std::string_view list, bool anyCase);

// The title of a metadata notice of the library: "StreamTitle='...';"
// metadata when the text holds "StreamTitle=", else a comment list (any case).
// The title ends at the quote followed by ";" or at the end of the text, so
// a title holding ";" or "'" comes through whole.
std::string TitleFromMetadata(std::string_view text);

// "StreamTitle=" metadata alone (the text after the key).
std::string TitleFromStreamTitle(std::string_view text);

// Titles are handed on in at most 255 bytes; a cut never splits a UTF-8
// character.
inline constexpr std::size_t MaxTitleBytes = 255;
std::string CutTitle(std::string title);

} // namespace quaverly::audio
