#pragma once

#include <functional>

#include "core/IShellPlatform.h"

namespace quaverly {

// The shell's facilities on this system. The scroll bar width comes from the
// window toolkit's style, which the caller supplies.
class TSystemShellPlatform final : public IShellPlatform {
public:
    explicit TSystemShellPlatform(std::function<int()> scrollBarWidth) : scrollBarWidth_(std::move(scrollBarWidth)) {}
    bool FileExists(const std::string &path) override;
    int VerticalScrollBarWidth() override;
    void EndProcessNow() override;

private:
    std::function<int()> scrollBarWidth_;
};

}  // namespace quaverly
