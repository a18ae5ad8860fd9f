#include "app/PositionTimer.h"

#include <cfenv>
#include <cmath>
#include <algorithm>
#include <cstdint>

namespace quaverly {

int RoundHalfEven(double value)
{
    if (!std::isfinite(value))
        return 0;
    // nearbyint rounds in the current mode, which is to nearest, ties to even.
    const double rounded = std::nearbyint(value);
    if (rounded >= 2147483647.0)
        return 2147483647;
    if (rounded <= -2147483648.0)
        return -2147483647 - 1;
    return int(rounded);
}

bool TPositionTimer::AudioEngineStopped() const
{
    return AudioEngineView() && engines_.Audio->PlayerState() == psStopped;
}

bool TPositionTimer::MediaControlStopped() const
{
    return !engines_.Media.FileName().empty() && engines_.Media.PlayState() == kMediaStopped;
}

void TPositionTimer::Timer1Timer()
{
    IMediaControl &media = engines_.Media;
    if (++state_.TickCount > 9)
        state_.TickCount = 0;

    if (form_.VideoView()) {
        if (media.PictureWidth() != form_.VdoPanel.Width || media.PictureHeight() != form_.VdoPanel.Height)
            views_.ShowPlayingView();
        if (media.PlayState() == kMediaStopped && media.Length() > media.CurrentPosition()) {
            // Stopped with the picture's own controls before its end.
            state_.Timer1Enabled = false;
            controller_.ShowStoppedState();
            return;
        }
    }
    media.SetEnabled(form_.Form.Active || media.PlayState() == kMediaPaused);

    if (state_.TickCount != 0)
        return;
    external_.Poll();

    const bool stoppedByState =
        AudioEngineStopped() || (state_.EngineKind != ekAsx && MediaControlStopped());
    if (stoppedByState) {
        EndOfRow(true);
        return;
    }
    if (state_.DurationUnknown)
        return;
    if (form_.Gauge1.Progress >= form_.Gauge1.MaxValue) {
        EndOfRow(false);
        return;
    }
    if (media.PlayState() == kMediaPaused)
        return;

    state_.FailedStartsInARow = 0;
    if (form_.StripView()) {
        // The external player is never asked for its position: the seconds
        // are counted.
        if (!external_.CountStripSecond())
            return;
    } else if (form_.VisPanel.Visible && engines_.Audio) {
        form_.Gauge1.SetProgress(RoundHalfEven(engines_.Audio->Position() / 1000.0));
    } else {
        form_.Gauge1.SetProgress(RoundHalfEven(media.CurrentPosition()));
    }
    form_.Gauge2.SetProgress(form_.Gauge1.Progress);
}

void TPositionTimer::EndOfRow(bool endedByState)
{
    if (state_.StartMode == 2) {
        form_.Form.CloseRequested = true;
        return;
    }
    // A row that ended by itself on its first second without having moved
    // did not play. When that happens to every row of the list in a row, the
    // list would cycle once a second for ever: stop instead.
    const bool moved = (form_.VisPanel.Visible && engines_.Audio) ? engines_.Audio->Position() > 0
                                                                   : engines_.Media.CurrentPosition() > 0;
    if (endedByState && form_.Gauge1.Progress == 0 && !moved)
        ++state_.FailedStartsInARow;
    else
        state_.FailedStartsInARow = 0;
    state_.Timer1Enabled = false;
    controller_.StopPlayback();
    if (state_.FailedStartsInARow >= std::max(1, form_.MList.Count())) {
        state_.FailedStartsInARow = 0;
        controller_.ShowStoppedState();
        return;
    }
    controller_.PlayNext();
}

void TPositionTimer::lbProgressMouseUp(TMouseButton button, TShiftState, int x, int y)
{
    IMediaControl &media = engines_.Media;
    if (state_.DurationUnknown)
        return;
    if (MediaControlStopped() || AudioEngineStopped())
        return;
    if (!form_.Playing() || button != TMouseButton::mbLeft)
        return;
    if (state_.IgnoreNextMouseUp) {
        state_.IgnoreNextMouseUp = false;
        return;
    }
    const int width = form_.lbProgress.Width;
    if (x < 0 || y < 0 || x >= width || y >= form_.lbProgress.Height || width <= 0)
        return;
    // In 64 bits: a click far along a very long row must not overflow.
    const std::int64_t product = std::int64_t(x) * std::int64_t(form_.Gauge1.MaxValue);
    const int target = RoundHalfEven(double(product) / double(width));

    if (form_.VisPanel.Visible && engines_.Audio) {
        if (!engines_.Audio->Seekable())
            return;
        engines_.Audio->SetPosition(std::uint32_t(std::max(0, target)) * 1000u);
    } else {
        if (state_.IsWindowsMediaFile && !media.CanSeek())
            return;
        media.SetCurrentPosition(double(target));
        const bool url = state_.IsUrl;
        if (url)
            state_.Connecting = true;
        const MediaStartResult restarted = media.Play();
        if (url)
            state_.Connecting = false;
        if (!restarted) {
            // The item is gone (a vanished file, a dead stream): as when it
            // could not start, and never an error out of the handler.
            controller_.MediaRestartFailed();
            return;
        }
    }
    form_.Gauge1.SetProgress(target);
    form_.Gauge2.SetProgress(target);
}

}  // namespace quaverly
