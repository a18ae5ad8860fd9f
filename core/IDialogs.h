#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quaverly {

// Modal dialogs: the message box with one OK button, and the open dialog.
// The Qt layer shows real ones; tests script them.
class IDialogs {
public:
    virtual ~IDialogs() = default;
    virtual void MessageBox(const std::string &text, const std::string &caption) = 0;
    // Shows the open dialog with the filter ("name|patterns|name|patterns..."),
    // multi-selection and the initial folder; the chosen files in dialog order,
    // or nothing when cancelled.
    virtual std::optional<std::vector<std::string>> OpenFiles(const std::string &filter,
                                                              const std::string &initialDir) = 0;
};

}  // namespace quaverly
