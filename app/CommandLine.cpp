#include "app/CommandLine.h"

namespace quaverly {

TCommandLine TCommandLine::FromMain(int argc, const char *const *argv)
{
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i] ? argv[i] : "");
    return TCommandLine(std::move(arguments));
}

std::string TCommandLine::Arg(int n) const
{
    if (n < 1 || n > Count())
        return {};
    return arguments_[size_t(n - 1)];
}

TArgumentKind ClassifyArgument(const TCommandLine &commandLine)
{
    if (commandLine.Count() == 0)
        return TArgumentKind::None;
    const std::string upper = UpperAscii(commandLine.Arg(1));
    if (upper == "/AUTO")
        return TArgumentKind::Auto;
    if (upper == "/PLAY")
        return TArgumentKind::Play;
    if (ExtensionOf(upper) == ".M3U")
        return TArgumentKind::Playlist;
    return TArgumentKind::MediaFile;
}

}  // namespace quaverly
