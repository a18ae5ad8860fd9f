#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

#include "core/FormModel.h"

namespace quaverly {

// The two timers of the main window as real Qt timers that follow the
// model's flags: Timer1 (100 ms, the position timer) runs only while a row
// plays, Timer2 (1 s, the schedule) from the first activation to the close.
// A stopped timer is not registered at all, so it never wakes the process.
//
// A tick that comes while a message box or dialog is open, or (for Timer2)
// while a network row connects, is not run inside the box's loop: it is
// kept and run once the guard is lifted (TakeUpDeferredTicks).
class TFormTimers final : public QObject {
public:
    // `run` runs a handler the way the window runs one (mirroring the model
    // afterwards).
    TFormTimers(TFormModel &form, std::function<void(const std::function<void()> &)> run);

    std::function<void()> OnTimer1;
    std::function<void()> OnTimer2;

    // Starts or stops each timer as its flag says.
    void Follow();
    void TakeUpDeferredTicks();

    bool Timer1Active() const { return timer1_.isActive(); }
    bool Timer2Active() const { return timer2_.isActive(); }

private:
    void Tick1();
    void Tick2();

    TFormModel &form_;
    std::function<void(const std::function<void()> &)> run_;
    QTimer timer1_;
    QTimer timer2_;
    bool deferred1_ = false;
    bool deferred2_ = false;
};

}  // namespace quaverly
