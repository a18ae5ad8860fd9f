#include "OpenFailure.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace quaverly::tools {

namespace {

// ".MID" for "/m/song.mid"; empty without an extension.
std::string UpperExtension(const std::string &path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = path.substr(dot);
    for (char &c : ext)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return ext;
}

} // namespace

std::string OpenFailureReason(const std::string &item, const audio::TAudioPlayer &player)
{
    if (item.find("://") != std::string::npos)
        return "the stream could not be opened (no server, no answer in time, an error from the server, "
               "or nothing the audio engine plays)";
    struct stat st {};
    if (::stat(item.c_str(), &st) != 0)
        return errno == ENOENT ? "no such file" : std::string("cannot be read: ") + std::strerror(errno);
    if (S_ISDIR(st.st_mode))
        return "a folder, not a file";
    if (::access(item.c_str(), R_OK) != 0)
        return std::string("cannot be read: ") + std::strerror(errno);
    std::string supported = player.SupportedExtensions();  // "*.wav;*.mp3;..."
    for (char &c : supported)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    const std::string ext = UpperExtension(item);
    if (ext.empty() || supported.find("*" + ext + ";") == std::string::npos)
        return "not a type the audio engine plays" + (ext.empty() ? std::string() : " (" + ext + ")");
    return "no stream the audio engine can decode";
}

} // namespace quaverly::tools
