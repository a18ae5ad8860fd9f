#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "playlist/PathLook.h"
#include "core/ListViewModel.h"

namespace quaverly {

// The extended M3U format of the playlist files, as pure functions over
// bytes: the file is read and written at the edge (TPlaylist), so the reader
// is trivially fuzzed and tested.
//
// A row follows the list view's item record: Caption is the title,
// SubItems[0] the path, SubItems[1] the seconds ("0" when the length is
// unknown), SubItems[2] the time text. The number of sub-items tells whether
// the length was never measured (1), is unknown (2) or known (3).

struct TM3uContent {
    std::vector<TListItem> Rows;   // in file order, not yet sorted
    bool Random = false;           // the header's "Random" flag
    bool VisMidi = false;          // the header's "VisMIDI" flag
    bool Repaired = false;         // something was dropped or repaired: rewrite the file whole
    bool HasPathLines = false;     // the file holds a line that is not a comment
    int Unavailable = 0;           // rows whose folder cannot be seen (kept as they are)
};

// What the file system says about a line that names a local file.
using TPathLookOne = std::function<TPathLook(const std::string &path)>;
// The same for many lines at once: one answer per path, in order.
using TPathLooks = std::function<std::vector<TPathLook>(const std::vector<std::string_view> &paths)>;

// Splits text into lines at LF, CR or CR LF; a NUL byte ends the text. A
// final line end does not open an empty line. The lines are views into
// `bytes`.
std::vector<std::string_view> SplitLines(std::string_view bytes);

// The tolerant reader: clean-up, header, comment and row passes. The lines
// that need an existence check are handed to `lookUp` in one call, and
// duplicates are found through hash tables, so a list of n lines costs O(n)
// besides the file system's answers. A Gone path is dropped; an Unavailable
// one is kept without counting as a repair. Two path lines are one entry
// when they are byte-equal or name the same existing file.
TM3uContent ParseM3u(std::string_view bytes, const TPathLooks &lookUp);
// The same with one question per line.
TM3uContent ParseM3u(std::string_view bytes, const TPathLookOne &lookUp);

// The header line: "#EXTM3U", "#EXTM3U Random", "#EXTM3U VisMIDI" or
// "#EXTM3U Random,VisMIDI".
std::string M3uHeader(bool random, bool visMidi);

// The whole file: the header, then per row an "#EXTINF:" line when the row
// has at least two sub-items, and its path; every line ends in CR LF. Rows
// without a path are left out.
std::string EncodeM3u(const std::vector<TListItem> &rows, const std::string &header);

// The file with its first line replaced by the header when that line is a
// header ("#EXTM3U" in any ASCII case), or with the header put in front of it
// otherwise. Every byte after the first line stays as it was.
std::string ReplaceM3uHeader(std::string_view bytes, const std::string &header);

}  // namespace quaverly
