#include "app/SettingsLines.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace quaverly {

namespace {
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
}

void TSettingsHeadReader::EndLine()
{
    head_.Lines.push_back(std::move(line_));
    line_.clear();
    inLine_ = false;
}

bool TSettingsHeadReader::Feed(std::string_view bytes)
{
    if (done_)
        return false;
    if (bomChecked_)
        return Scan(bytes);
    // The mark can only be told once three bytes are there.
    prefix_.append(bytes);
    if (prefix_.size() < kUtf8Bom.size())
        return true;
    bomChecked_ = true;
    const std::string first = std::move(prefix_);
    std::string_view view = first;
    if (view.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        view.remove_prefix(kUtf8Bom.size());
        offset_ = std::int64_t(kUtf8Bom.size());
    }
    return Scan(view);
}

void TSettingsHeadReader::Complete(bool hasTail)
{
    done_ = true;
    head_.TailOffset = offset_;
    head_.HasTail = hasTail;
}

bool TSettingsHeadReader::Scan(std::string_view bytes)
{
    for (const char c : bytes) {
        if (afterCr_) {
            afterCr_ = false;
            if (c == '\n') {   // the LF of a CR LF
                ++offset_;
                continue;
            }
        }
        // The head ends at the first byte after the fourth line's end, so
        // where the input was cut into chunks does not matter.
        if (head_.Lines.size() == kMaxSettingsLines) {
            Complete(true);
            return false;
        }
        ++offset_;
        if (c == '\r' || c == '\n') {
            EndLine();
            afterCr_ = c == '\r';
            continue;
        }
        inLine_ = true;
        if (line_.size() < kMaxSettingsLineBytes)
            line_.push_back(c);
    }
    return true;
}

TSettingsHead TSettingsHeadReader::Finish()
{
    if (!bomChecked_) {
        // Fewer than three bytes in all: they are text, not a mark.
        bomChecked_ = true;
        const std::string first = std::move(prefix_);
        Scan(first);
    }
    if (!done_) {
        if (inLine_ && head_.Lines.size() < kMaxSettingsLines)
            EndLine();
        Complete(false);
    }
    return std::move(head_);
}

std::optional<TSettingsHead> ReadSettingsHead(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    TSettingsHeadReader reader;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || !reader.Feed(std::string_view(buffer, std::size_t(n))))
            break;
    }
    ::close(fd);
    return reader.Finish();
}

std::string TrimSettingsLine(std::string_view line)
{
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!line.empty() && blank(line.front()))
        line.remove_prefix(1);
    while (!line.empty() && blank(line.back()))
        line.remove_suffix(1);
    return std::string(line);
}

std::optional<int> ParseSettingsInt(std::string_view text)
{
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value < INT_MIN || value > INT_MAX)
        return std::nullopt;
    return int(value);
}

}  // namespace quaverly
