#pragma once

#include <string>

namespace quaverly {

// The few facilities of the running process that the shell's handlers use
// directly: the file system probe, the style's scroll bar, and the immediate
// end of the process. Tests record these.
class IShellPlatform {
public:
    virtual ~IShellPlatform() = default;
    // True when a regular file (or a link to one) exists at path.
    virtual bool FileExists(const std::string &path) = 0;
    // Width of a vertical scroll bar, pixels.
    virtual int VerticalScrollBarWidth() = 0;
    // Ends the process at once, without any further clean-up (a fake may
    // return; the caller then does nothing more).
    virtual void EndProcessNow() = 0;
};

}  // namespace quaverly
