#include "playlist/M3uFormat.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>

#include "core/PathText.h"

namespace quaverly {

namespace {

constexpr std::string_view kHeaderTag = "#EXTM3U";
constexpr std::string_view kInfoTag = "#EXTINF:";
// Stands for the absence of a previous line: neither a comment nor a path.
constexpr std::string_view kPlaceholder = "!";

bool IsComment(std::string_view line) { return !line.empty() && line[0] == '#'; }

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

// A line after the clean-up pass, with what the file system said about it
// when it names a local file.
struct TLine {
    std::string_view Text;
    std::optional<TFileId> Id;
    bool Unavailable = false;
};

// The paths accepted so far: texts the same by SamePathText, and texts
// naming the same existing file, are one path. Two open-addressing tables
// of line numbers, one by text and one by file identity: no allocation per
// path, and O(1) probes.
class TAcceptedPaths {
public:
    explicit TAcceptedPaths(const std::vector<TLine> &lines) : lines_(lines)
    {
        size_t capacity = 16;
        while (capacity < lines.size() * 2)
            capacity *= 2;
        byText_.assign(capacity, Empty);
        byFile_.assign(capacity, Empty);
    }
    // Adds line `index` unless the same path is there; tells whether it was
    // added. At most every line is added, so each table stays at most half full.
    bool Insert(uint32_t index)
    {
        const TLine &line = lines_[index];
        const size_t mask = byText_.size() - 1;
        // Only URLs need a key of their own; a local path is its own key.
        const size_t hash = IsUrl(line.Text) ? std::hash<std::string>()(PathKey(line.Text))
                                             : std::hash<std::string_view>()(line.Text);
        size_t t = hash & mask;
        for (; byText_[t] != Empty; t = (t + 1) & mask)
            if (SamePathText(lines_[byText_[t]].Text, line.Text))
                return false;
        size_t f = 0;
        if (line.Id) {
            for (f = TFileIdHash()(*line.Id) & mask; byFile_[f] != Empty; f = (f + 1) & mask)
                if (lines_[byFile_[f]].Id == line.Id)
                    return false;
            byFile_[f] = index;
        }
        byText_[t] = index;
        return true;
    }

private:
    static constexpr uint32_t Empty = UINT32_MAX;
    const std::vector<TLine> &lines_;
    std::vector<uint32_t> byText_, byFile_;
};

// The row of an "#EXTINF:" line and the path line after it.
TListItem RowOfInfoLine(std::string_view line, std::string_view path)
{
    TListItem row;
    const size_t comma = line.find(',');
    std::string_view seconds;
    int n = 0;
    if (comma != std::string_view::npos && comma > kInfoTag.size()) {
        seconds = TrimControl(line.substr(kInfoTag.size(), comma - kInfoTag.size()));
        n = DecimalOrZero(seconds);
    }
    row.SubItems.reserve(comma == std::string_view::npos ? 2 : comma == kInfoTag.size() ? 1 : n >= 1 ? 3 : 2);
    row.SubItems.emplace_back(path);
    if (comma == std::string_view::npos) {
        row.Caption = std::string(TrimControl(line.substr(kInfoTag.size())));
        row.SubItems.emplace_back("0");
        return row;
    }
    row.Caption = std::string(TrimControl(line.substr(comma + 1)));
    if (comma > kInfoTag.size()) {
        if (n >= 1) {
            row.SubItems.emplace_back(seconds);
            row.SubItems.push_back(FormatDuration(n));
        } else {
            row.SubItems.emplace_back("0");
        }
    }
    return row;
}

}  // namespace

std::vector<std::string_view> SplitLines(std::string_view bytes)
{
    const size_t nul = bytes.find('\0');
    if (nul != std::string_view::npos)
        bytes = bytes.substr(0, nul);
    std::vector<std::string_view> lines;
    lines.reserve(size_t(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t end = std::min(bytes.find_first_of("\r\n", start), bytes.size());
        lines.push_back(bytes.substr(start, end - start));
        start = end + 1;
        if (end < bytes.size() && bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n')
            ++start;
    }
    return lines;
}

TM3uContent ParseM3u(std::string_view bytes, const TPathLookOne &lookUp)
{
    return ParseM3u(bytes, TPathLooks([&lookUp](const std::vector<std::string_view> &paths) {
                        std::vector<TPathLook> looks(paths.size());
                        for (size_t i = 0; i < paths.size(); ++i)
                            if (lookUp)
                                looks[i] = lookUp(std::string(paths[i]));
                        return looks;
                    }));
}

TM3uContent ParseM3u(std::string_view bytes, const TPathLooks &lookUp)
{
    TM3uContent out;
    // Every line below is a view into `bytes`; only the rows copy text.
    std::vector<TLine> lines;
    {
        const std::vector<std::string_view> raw = SplitLines(bytes);
        lines.reserve(raw.size());
        for (const std::string_view text : raw)
            lines.push_back({text, std::nullopt, false});
    }

    // Clean-up: trimmed lines that are comments, contain a comma, are URLs or
    // name a file that exists or cannot be seen. The comma rule keeps such
    // lines unchecked. The remaining lines are checked all at once, so the
    // file system can be asked folder by folder.
    std::vector<size_t> checked;
    std::vector<std::string_view> checkPaths;
    size_t kept = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = TrimControl(lines[i].Text);
        if (line.empty()) {
            out.Repaired = true;
            continue;
        }
        if (line[0] != '#') {
            out.HasPathLines = true;
            if (line.find(',') == std::string_view::npos && !IsUrl(line)) {
                checked.push_back(kept);
                checkPaths.push_back(line);
            }
        }
        lines[kept++].Text = line;
    }
    lines.resize(kept);
    if (!checked.empty()) {
        const std::vector<TPathLook> looks = lookUp ? lookUp(checkPaths) : std::vector<TPathLook>();
        std::vector<bool> drop(lines.size(), false);
        for (size_t k = 0; k < checked.size(); ++k) {
            const TPathLook look = k < looks.size() ? looks[k] : TPathLook{};
            TLine &line = lines[checked[k]];
            if (look.State == TPathState::File)
                line.Id = look.Id;
            else if (look.State == TPathState::Unavailable)
                line.Unavailable = true;
            else
                drop[checked[k]] = true;
        }
        kept = 0;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (drop[i])
                out.Repaired = true;
            else
                lines[kept++] = lines[i];
        }
        lines.resize(kept);
    }
    if (lines.empty())
        return out;

    // Header: "#EXTM3U" and the flag list, or nothing (then both flags false).
    if (IsHeaderLine(lines[0].Text)) {
        const std::string rest(TrimControl(UpperAscii(lines[0].Text.substr(kHeaderTag.size()))));
        out.Random = StartsWith(rest, "RANDOM");
        out.VisMidi = rest.size() >= 7 && rest.compare(rest.size() - 7, 7, "VISMIDI") == 0;
        lines[0] = {kPlaceholder, std::nullopt, false};
    } else {
        lines.insert(lines.begin(), TLine{kPlaceholder, std::nullopt, false});
    }

    // Comment pass: a comment survives only as an "#EXTINF:" line directly
    // followed by a path line. Whether a line goes depends only on it and on
    // the line after it, so one filtering walk does what repeated deletes would.
    if (lines.size() > 1) {
        kept = 1;
        for (size_t i = 1; i < lines.size(); ++i) {
            if (IsComment(lines[i].Text)) {
                const bool nextIsComment = i + 1 == lines.size() || IsComment(lines[i + 1].Text);
                if (nextIsComment || !IsInfoLine(lines[i].Text)) {
                    out.Repaired = true;
                    continue;
                }
            }
            lines[kept++] = lines[i];
        }
        lines.resize(kept);
    }

    // Row pass. After the comment pass every comment is an "#EXTINF:" line
    // with its path line right after it, so the two are taken together.
    TAcceptedPaths accepted(lines);
    out.Rows.reserve(lines.size());
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line = lines[i].Text;
        if (IsComment(line)) {
            if (i + 1 == lines.size())
                break;  // cannot happen after the comment pass
            const std::string_view path = lines[++i].Text;
            if (!accepted.Insert(uint32_t(i))) {
                out.Repaired = true;  // a duplicate takes its info line with it
                continue;
            }
            out.Rows.push_back(RowOfInfoLine(line, path));
            TListItem &row = out.Rows.back();
            if (row.Caption.empty()) {
                row.Caption = DisplayNameOf(path);
                out.Repaired = true;
            }
        } else if (accepted.Insert(uint32_t(i))) {
            TListItem row;
            row.Caption = DisplayNameOf(line);
            row.SubItems.emplace_back(line);
            out.Rows.push_back(std::move(row));
        } else {
            out.Repaired = true;
            continue;
        }
        if (lines[i].Unavailable)
            ++out.Unavailable;
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
