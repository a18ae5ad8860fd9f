#pragma once

#include <functional>

#include "core/FormModel.h"
#include "core/IDialogs.h"

namespace quaverly {

// The modal guard: every message box and dialog of the program goes through
// here, so the form knows while one is open (TFormModel::ModalOpen). A box
// runs its own event loop; the timers and the close path see the flag and
// wait, and what they put off is taken up by `Closed` once the last box has
// closed.
class TGuardedDialogs final : public IDialogs {
public:
    TGuardedDialogs(TFormModel &form, IDialogs &dialogs) : form_(form), dialogs_(dialogs) {}

    std::function<void()> Closed;

    void MessageBox(const std::string &text, const std::string &caption) override
    {
        TOpen open(*this);
        dialogs_.MessageBox(text, caption);
    }
    std::optional<std::vector<std::string>> OpenFiles(const std::string &filter,
                                                      const std::string &initialDir) override
    {
        TOpen open(*this);
        return dialogs_.OpenFiles(filter, initialDir);
    }

private:
    struct TOpen {
        explicit TOpen(TGuardedDialogs &owner) : owner_(owner) { ++owner_.form_.State.ModalDepth; }
        ~TOpen()
        {
            if (--owner_.form_.State.ModalDepth == 0 && owner_.Closed)
                owner_.Closed();
        }
        TGuardedDialogs &owner_;
    };

    TFormModel &form_;
    IDialogs &dialogs_;
};

}  // namespace quaverly
