#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace quaverly {

// SIGTERM, SIGINT and SIGHUP (a kill, Ctrl+C, the terminal going away) and
// the end of the desktop session become a close request on the
// user-interface thread, so the exit work runs (settings, playlist) as it
// does for the power button. The signal handler only writes one byte into a
// pipe; the notifier reads it on the user-interface thread.
class TExitSignals final : public QObject {
public:
    explicit TExitSignals(std::function<void()> closeRequest);
    ~TExitSignals() override;

private:
    void Drain();

    std::function<void()> closeRequest_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace quaverly
