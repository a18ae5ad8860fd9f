#include "app/UnavailableServices.h"

#include <cstdio>

#include "app/CommandLine.h"
#include "ui/FormModel.h"

namespace quaverly {

void TUnavailablePlaybackController::PlayCurrentItem()
{
    if (told_)
        return;
    told_ = true;
    std::fputs("quaverly: playback is not yet available in this build\n", stderr);
}

std::string TUnavailablePlaylist::DisplayNameOf(const std::string &path) const
{
    if (path.find("://") != std::string::npos)
        return path;
    const std::string name = FileNameOf(path);
    return name.substr(0, name.size() - ExtensionOf(name).size());
}

}  // namespace quaverly
