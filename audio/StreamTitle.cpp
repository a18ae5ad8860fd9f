#include "audio/StreamTitle.h"

#include <algorithm>

namespace quaverly::audio {

namespace {

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

bool KeyIsTitle(std::string_view entry, bool anyCase)
{
    constexpr std::string_view key = "TITLE=";
    if (entry.size() < key.size())
        return false;
    for (std::size_t i = 0; i < key.size(); ++i) {
        const char c = anyCase ? AsciiUpper(entry[i]) : entry[i];
        if (c != key[i])
            return false;
    }
    return true;
}

} // namespace

bool IsStreamUrl(std::string_view path)
{
    return path.starts_with("http://") || path.starts_with("mmst://") || path.starts_with("ftp://") ||
           path.starts_with("mms://");
}

std::string UrlExtension(std::string_view url)
{
    const std::size_t at = url.find_last_of(".\\:");
    if (at == std::string_view::npos || url[at] != '.')
        return {};
    std::string ext(url.substr(at));
    for (char &c : ext)
        c = AsciiUpper(c);
    return ext;
}

std::string TitleFromUrl(std::string_view url)
{
    const long length = static_cast<long>(url.size());
    for (long pos = length - 6; pos >= 6; --pos) {
        if (url[static_cast<std::size_t>(pos - 1)] == '/') {
            const long count = length - pos - 4;
            return std::string(url.substr(static_cast<std::size_t>(pos), static_cast<std::size_t>(count)));
        }
    }
    return {};
}

std::string_view LibraryText(const char *text)
{
    if (text == nullptr)
        return {};
    std::size_t n = 0;
    while (text[n] != '\0' || text[n + 1] != '\0')
        ++n;
    return std::string_view(text, n);
}

std::string TitleFromComments(std::string_view list, bool anyCase)
{
    while (!list.empty() && list.front() != '\0') {
        const std::size_t n = std::min(list.find('\0'), list.size());
        if (KeyIsTitle(list.substr(0, n), anyCase))
            return CutTitle(std::string(list.substr(6, n - 6)));
        list.remove_prefix(std::min(n + 1, list.size()));
    }
    return {};
}

std::string TitleFromStreamTitle(std::string_view text)
{
    constexpr std::string_view key = "StreamTitle=";
    const std::size_t at = text.find(key);
    if (at == std::string_view::npos)
        return {};
    // The value is normally quoted; the character after "=" is the opening quote.
    const std::size_t start = at + key.size() + 1;
    if (start >= text.size())
        return {};
    const std::size_t close = text.find("';", start);
    if (close != std::string_view::npos)
        return CutTitle(std::string(text.substr(start, close - start)));
    std::string_view rest = text.substr(start);
    if (!rest.empty() && rest.back() == '\'')
        rest.remove_suffix(1);
    return CutTitle(std::string(rest));
}

std::string TitleFromMetadata(std::string_view text)
{
    if (text.find("StreamTitle=") != std::string_view::npos)
        return TitleFromStreamTitle(text);
    return TitleFromComments(text, true);
}

std::string CutTitle(std::string title)
{
    if (title.size() <= MaxTitleBytes)
        return title;
    std::size_t cut = MaxTitleBytes;
    // Step back over UTF-8 continuation bytes so the cut falls between characters.
    while (cut > 0 && (static_cast<unsigned char>(title[cut]) & 0xC0) == 0x80)
        --cut;
    title.resize(cut);
    return title;
}

} // namespace quaverly::audio
