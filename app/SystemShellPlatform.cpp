#include "app/SystemShellPlatform.h"

#include <cstdlib>
#include <sys/stat.h>

#include "app/ShellConstants.h"

namespace quaverly {

bool TSystemShellPlatform::FileExists(const std::string &path)
{
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

int TSystemShellPlatform::VerticalScrollBarWidth()
{
    return scrollBarWidth_ ? scrollBarWidth_() : kDefaultScrollBarWidth;
}

void TSystemShellPlatform::EndProcessNow()
{
    // A network open may still be pending inside the engines: no destructors,
    // no atexit handlers.
    std::_Exit(0);
}

}  // namespace quaverly
