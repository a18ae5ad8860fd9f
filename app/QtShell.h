#pragma once

#include <QStringList>
#include <QWidget>

#include "core/FormModel.h"
#include "core/IDialogs.h"

namespace quaverly {

struct IFormEvents;

// Modal message boxes with one OK button and the open-file dialog, as Qt
// shows them.
class TQtDialogs final : public IDialogs {
public:
    void MessageBox(const std::string &text, const std::string &caption) override;
    std::optional<std::vector<std::string>> OpenFiles(const std::string &filter,
                                                      const std::string &initialDir) override;
};

// "name|patterns|name|patterns" (patterns separated by ";") as Qt name
// filters "name (patterns)", one per pair; a trailing lone name is dropped.
// Extensions match without regard to case, as on the system the filters were
// written for: "*.mp3" becomes "*.[mM][pP]3".
QStringList QtFileFilters(const std::string &filter);

// The width of a vertical scroll bar in the application's style, pixels.
int QtScrollBarWidth();

}  // namespace quaverly
