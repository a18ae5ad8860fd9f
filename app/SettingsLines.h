#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quaverly {

// The lines of the settings file the player reads: the first four, as they
// stand in the file, and where the lines after them begin, so that a rewrite
// copies those unchanged. Lines end with CR, LF or CR LF; a final line end
// adds no empty line. Reading is bounded whatever the file holds: a line keeps
// at most kMaxSettingsLineBytes bytes, the rest of it is dropped.
struct TSettingsHead {
    std::vector<std::string> Lines;   // at most four, without their line ends
    std::int64_t TailOffset = 0;      // first byte after the fourth line's end
    bool HasTail = false;             // bytes follow the fourth line
};

inline constexpr std::size_t kMaxSettingsLines = 4;
inline constexpr std::size_t kMaxSettingsLineBytes = 4096;

// Splits the head of a settings file; fed chunk by chunk, the whole file or
// any prefix of it. A byte-order mark before line 1 is dropped.
class TSettingsHeadReader {
public:
    // Takes the next bytes; false once the head is complete (four lines
    // and their ends seen), when more bytes are not needed.
    bool Feed(std::string_view bytes);
    // Ends the input and returns the head.
    TSettingsHead Finish();

private:
    bool Scan(std::string_view bytes);
    void EndLine();
    void Complete(bool hasTail);

    TSettingsHead head_;
    std::string line_;
    std::string prefix_;       // the first bytes, until a byte-order mark can be told
    std::int64_t offset_ = 0;
    bool inLine_ = false;      // bytes of an unfinished line were seen
    bool afterCr_ = false;     // the last byte ended a line with CR
    bool done_ = false;
    bool bomChecked_ = false;
};

// Reads the head of the file at path; nothing when it cannot be opened.
std::optional<TSettingsHead> ReadSettingsHead(const std::string &path);

// A line without the blanks and control characters at either end.
std::string TrimSettingsLine(std::string_view line);

// A decimal integer with an optional sign that fits 32 bits; nothing for
// anything else (empty, other characters, too large).
std::optional<int> ParseSettingsInt(std::string_view text);

}  // namespace quaverly
