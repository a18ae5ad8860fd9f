#include "playlist/M3uFormat.h"

#include <charconv>
#include <unordered_set>

#include "playlist/PathText.h"

namespace quaverly {

namespace {

constexpr std::string_view kHeaderTag = "#EXTM3U";
constexpr std::string_view kInfoTag = "#EXTINF:";
// Stands for the absence of a previous line: neither a comment nor a path.
const std::string kPlaceholder = "!";

bool IsComment(const std::string &line) { return !line.empty() && line[0] == '#'; }

bool IsInfoLine(std::string_view line)
{
    return line.size() >= kInfoTag.size() && SameTextAscii(line.substr(0, kInfoTag.size()), kInfoTag);
}

bool IsHeaderLine(std::string_view line)
{
    return line.size() >= kHeaderTag.size() && SameTextAscii(line.substr(0, kHeaderTag.size()), kHeaderTag);
}

// A whole decimal integer with an optional sign, or 0.
int DecimalOrZero(std::string_view text)
{
    if (!text.empty() && text[0] == '+')
        text.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return 0;
    return value;
}

// The row an "#EXTINF:" line opens; its path is inserted in front of the
// sub-items when the next line comes.
TListItem RowOfInfoLine(const std::string &line)
{
    TListItem row;
    const size_t comma = line.find(',');
    if (comma == std::string::npos) {
        row.Caption = std::string(TrimControl(std::string_view(line).substr(kInfoTag.size())));
        row.SubItems = {"0"};
        return row;
    }
    row.Caption = std::string(TrimControl(std::string_view(line).substr(comma + 1)));
    if (comma > kInfoTag.size()) {
        const std::string_view seconds =
            TrimControl(std::string_view(line).substr(kInfoTag.size(), comma - kInfoTag.size()));
        const int n = DecimalOrZero(seconds);
        if (n >= 1)
            row.SubItems = {std::string(seconds), FormatDuration(n)};
        else
            row.SubItems = {"0"};
    }
    return row;
}

}  // namespace

std::vector<std::string> SplitLines(std::string_view bytes)
{
    const size_t nul = bytes.find('\0');
    if (nul != std::string_view::npos)
        bytes = bytes.substr(0, nul);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = start;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        lines.emplace_back(bytes.substr(start, end - start));
        if (end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return lines;
}

TM3uContent ParseM3u(std::string_view bytes, const TFileExists &exists)
{
    TM3uContent out;
    std::vector<std::string> lines;

    // Clean-up: trimmed lines that are comments, contain a comma, are URLs or
    // name an existing file. The comma rule keeps such lines unchecked.
    for (const std::string &raw : SplitLines(bytes)) {
        const std::string_view line = TrimControl(raw);
        if (!line.empty()) {
            std::string text(line);
            if (text[0] == '#' || text.find(',') != std::string::npos || IsUrl(text) || (exists && exists(text))) {
                lines.push_back(std::move(text));
                continue;
            }
        }
        out.Repaired = true;
    }
    if (lines.empty())
        return out;

    // Header: "#EXTM3U" and the flag list, or nothing (then both flags false).
    if (IsHeaderLine(lines[0])) {
        const std::string rest(TrimControl(UpperAscii(std::string_view(lines[0]).substr(kHeaderTag.size()))));
        out.Random = StartsWith(rest, "RANDOM");
        out.VisMidi = rest.size() >= 7 && rest.compare(rest.size() - 7, 7, "VISMIDI") == 0;
        lines[0] = kPlaceholder;
    } else {
        lines.insert(lines.begin(), kPlaceholder);
    }

    // Comment pass: a comment survives only as an "#EXTINF:" line directly
    // followed by a path line. Whether a line goes depends only on it and on
    // the line after it, so one filtering walk does what repeated deletes would.
    if (lines.size() > 1) {
        std::vector<std::string> kept;
        kept.reserve(lines.size());
        kept.push_back(std::move(lines[0]));
        for (size_t i = 1; i < lines.size(); ++i) {
            if (IsComment(lines[i])) {
                const bool nextIsComment = i + 1 == lines.size() || IsComment(lines[i + 1]);
                if (nextIsComment || !IsInfoLine(lines[i])) {
                    out.Repaired = true;
                    continue;
                }
            }
            kept.push_back(std::move(lines[i]));
        }
        lines = std::move(kept);
    }

    // Row pass.
    std::unordered_set<std::string> accepted;
    accepted.reserve(lines.size());
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string &line = lines[i];
        if (IsComment(line)) {
            out.Rows.push_back(RowOfInfoLine(line));
            continue;
        }
        std::string upper = UpperAscii(line);
        const bool dup = accepted.count(upper) != 0;
        if (IsComment(lines[i - 1])) {
            TListItem &row = out.Rows.back();
            if (!dup) {
                if (row.Caption.empty()) {
                    row.Caption = DisplayNameOf(line);
                    out.Repaired = true;
                }
                row.SubItems.insert(row.SubItems.begin(), line);
                accepted.insert(std::move(upper));
            } else {
                out.Rows.pop_back();
            }
        } else if (!dup) {
            TListItem row;
            row.Caption = DisplayNameOf(line);
            row.SubItems = {line};
            out.Rows.push_back(std::move(row));
            accepted.insert(std::move(upper));
        }
        if (dup)
            out.Repaired = true;
    }
    return out;
}

std::string M3uHeader(bool random, bool visMidi)
{
    std::string header(kHeaderTag);
    if (random)
        header += visMidi ? " Random,VisMIDI" : " Random";
    else if (visMidi)
        header += " VisMIDI";
    return header;
}

std::string EncodeM3u(const std::vector<TListItem> &rows, const std::string &header)
{
    size_t size = header.size() + 2;
    for (const TListItem &row : rows)
        size += row.Caption.size() + 24 + (row.SubItems.empty() ? 0 : row.SubItems[0].size());
    std::string out;
    out.reserve(size);
    out += header;
    out += "\r\n";
    for (const TListItem &row : rows) {
        if (row.SubItems.empty())
            continue;
        if (row.SubItems.size() >= 2) {
            out += kInfoTag;
            out += row.SubItems[1];
            out += ',';
            out += row.Caption;
            out += "\r\n";
        }
        out += row.SubItems[0];
        out += "\r\n";
    }
    return out;
}

std::string ReplaceM3uHeader(std::string_view bytes, const std::string &header)
{
    size_t end = 0;
    while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
        ++end;
    // The first line as the reader sees it: up to its line end, and a NUL
    // ends the text. Leading blanks are part of the line here, as in a
    // line-list read.
    const std::string_view first = bytes.substr(0, end);
    std::string out;
    if (end < bytes.size() || !first.empty()) {
        if (IsHeaderLine(first) && first.find('\0') == std::string_view::npos) {
            out.reserve(header.size() + bytes.size() - end + 2);
            out += header;
            if (end == bytes.size())
                out += "\r\n";
            out += bytes.substr(end);
            return out;
        }
    }
    out.reserve(header.size() + 2 + bytes.size());
    out += header;
    out += "\r\n";
    out += bytes;
    return out;
}

}  // namespace quaverly
