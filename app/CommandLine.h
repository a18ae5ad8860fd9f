#pragma once

#include <string>
#include <vector>

#include "core/PathText.h"

namespace quaverly {

// The program's arguments as the platform splits them: argument 1 is the
// first one after the executable, a quoted path being one argument without
// its quotes. Only argument 1 is ever examined.
class TCommandLine {
public:
    TCommandLine() = default;
    explicit TCommandLine(std::vector<std::string> arguments) : arguments_(std::move(arguments)) {}
    // From main()'s argc/argv (argv[0], the executable, is left out).
    static TCommandLine FromMain(int argc, const char *const *argv);

    // The number of arguments, not counting the executable.
    int Count() const { return int(arguments_.size()); }
    // Argument n (1-based); "" when there is none.
    std::string Arg(int n) const;

private:
    std::vector<std::string> arguments_;
};

// What argument 1 asks for, after ASCII upper-casing.
enum class TArgumentKind {
    None,       // no argument: nothing plays
    Auto,       // "/AUTO": unattended start, ruled by the schedule
    Play,       // "/PLAY": play the random playlist at once
    Playlist,   // a path whose extension is ".M3U": that playlist
    MediaFile,  // anything else: one media file
};

TArgumentKind ClassifyArgument(const TCommandLine &commandLine);

}  // namespace quaverly
