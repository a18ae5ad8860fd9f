#include "app/FormTimers.h"

namespace quaverly {

TFormTimers::TFormTimers(TFormModel &form, std::function<void(const std::function<void()> &)> run)
    : form_(form), run_(std::move(run))
{
    timer1_.setInterval(100);
    timer2_.setInterval(1000);
    // The schedule's second is checked against the wall clock; a coarse
    // timer may come up to 5 % late, which the trigger allows for.
    timer2_.setTimerType(Qt::PreciseTimer);
    connect(&timer1_, &QTimer::timeout, this, [this] { Tick1(); });
    connect(&timer2_, &QTimer::timeout, this, [this] { Tick2(); });
}

void TFormTimers::Follow()
{
    const TMainState &state = form_.State;
    if (state.Timer1Enabled != timer1_.isActive()) {
        if (state.Timer1Enabled)
            timer1_.start();
        else
            timer1_.stop();
    }
    if (state.Timer2Enabled != timer2_.isActive()) {
        if (state.Timer2Enabled)
            timer2_.start();
        else
            timer2_.stop();
    }
}

void TFormTimers::Tick1()
{
    if (form_.ModalOpen()) {
        deferred1_ = true;
        return;
    }
    if (form_.State.Timer1Enabled && OnTimer1)
        run_(OnTimer1);
}

void TFormTimers::Tick2()
{
    if (form_.ModalOpen() || form_.State.Connecting) {
        deferred2_ = true;
        return;
    }
    if (form_.State.Timer2Enabled && OnTimer2)
        run_(OnTimer2);
}

void TFormTimers::TakeUpDeferredTicks()
{
    if (deferred1_ && !form_.ModalOpen()) {
        deferred1_ = false;
        if (form_.State.Timer1Enabled && OnTimer1)
            run_(OnTimer1);
    }
    if (deferred2_ && !form_.ModalOpen() && !form_.State.Connecting) {
        deferred2_ = false;
        if (form_.State.Timer2Enabled && OnTimer2)
            run_(OnTimer2);
    }
}

}  // namespace quaverly
