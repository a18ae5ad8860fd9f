#include "core/SameFile.h"

#include <sys/stat.h>

#include "core/PathText.h"

namespace quaverly {

namespace {
std::string_view WithoutTrailingSeparators(std::string_view s)
{
    while (s.size() > 1 && (s.back() == '/' || s.back() == '\\'))
        s.remove_suffix(1);
    return s;
}
}  // namespace

std::optional<TFileId> FileIdOf(const std::string &path)
{
    struct stat st {};
    if (path.empty() || path.find('\0') != std::string::npos || ::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return TFileId{st.st_dev, st.st_ino};
}

bool SamePathText(std::string_view a, std::string_view b)
{
    if (a == b)
        return true;
    const size_t scheme = a.find("://");
    return scheme != std::string_view::npos && b.size() == a.size() && b.substr(scheme, 3) == "://" &&
           SameTextAscii(a.substr(0, scheme), b.substr(0, scheme)) && a.substr(scheme) == b.substr(scheme);
}

std::string PathKey(std::string_view path)
{
    const size_t scheme = path.find("://");
    if (scheme == std::string_view::npos)
        return std::string(path);
    return UpperAscii(path.substr(0, scheme)) + std::string(path.substr(scheme));
}

bool SameFile(std::string_view a, std::string_view b)
{
    if (SamePathText(a, b))
        return true;
    if (IsUrl(a) || IsUrl(b))
        return false;
    const std::optional<TFileId> first = FileIdOf(std::string(a));
    if (!first)
        return false;
    const std::optional<TFileId> second = FileIdOf(std::string(b));
    return second && *first == *second;
}

bool SameFolder(std::string_view a, std::string_view b)
{
    return SameFile(WithoutTrailingSeparators(a), WithoutTrailingSeparators(b));
}

}  // namespace quaverly
