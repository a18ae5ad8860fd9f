#include "core/PathText.h"

namespace quaverly {

namespace {
// Position after the last separator of `path`, 0 when it has none.
size_t NameStart(std::string_view path)
{
    const size_t at = path.find('/') != std::string_view::npos ? path.rfind('/') : path.find_last_of("\\:");
    return at == std::string_view::npos ? 0 : at + 1;
}
}  // namespace

std::string UpperAscii(std::string_view text)
{
    std::string out(text);
    for (char &c : out)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return out;
}

bool SameTextAscii(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = char(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = char(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

std::string_view TrimControl(std::string_view text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 32)
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32)
        --end;
    return text.substr(begin, end - begin);
}

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

bool IsUrl(std::string_view path) { return path.find("://") != std::string_view::npos; }

std::string FolderOf(std::string_view path) { return std::string(path.substr(0, NameStart(path))); }

std::string FileNameOf(std::string_view path) { return std::string(path.substr(NameStart(path))); }

std::string ExtensionOf(std::string_view path)
{
    const std::string name = FileNameOf(path);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string DisplayNameOf(std::string_view path)
{
    if (IsUrl(path))
        return std::string(path);
    std::string name = FileNameOf(path);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

std::string FormatDuration(int seconds)
{
    if (seconds < 0)
        seconds = 0;
    const int minutes = seconds / 60, rest = seconds % 60;
    return std::to_string(minutes) + (rest < 10 ? ":0" : ":") + std::to_string(rest);
}

}  // namespace quaverly
