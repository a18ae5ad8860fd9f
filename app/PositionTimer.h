#pragma once

#include "core/IExternalPlayerPlayback.h"
#include "app/PlaybackController.h"
#include "core/Engines.h"
#include "core/IViews.h"
#include "ui/FormEvents.h"
#include "core/FormModel.h"

namespace quaverly {

// The position timer (Timer1, 100 ms, running only while a row plays) and
// seeking by a click on the progress line. Every tick keeps the video view
// in step with the picture and the media control's input state; once a
// second it reads the position, moves the progress line and ends the row by
// the engine's state or by time.
class TPositionTimer {
public:
    TPositionTimer(TFormModel &form, TEngines &engines, TPlaybackController &controller, IViews &views,
                   IExternalPlayerPlayback &externalPlayer)
        : form_(form), state_(form.State), engines_(engines), controller_(controller), views_(views),
          external_(externalPlayer) {}

    void Timer1Timer();
    void lbProgressMouseUp(TMouseButton button, TShiftState shift, int x, int y);

private:
    bool AudioEngineView() const { return form_.VisPanel.Visible && engines_.Audio; }
    bool AudioEngineStopped() const;
    bool MediaControlStopped() const;
    void EndOfRow(bool endedByState);

    TFormModel &form_;
    TMainState &state_;
    TEngines &engines_;
    TPlaybackController &controller_;
    IViews &views_;
    IExternalPlayerPlayback &external_;
};

// Whole seconds rounded to the nearest integer, halves to even.
int RoundHalfEven(double value);

}  // namespace quaverly
