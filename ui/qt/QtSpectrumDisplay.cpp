#include "ui/qt/QtSpectrumDisplay.h"

#include <QWidget>

#include "ui/qt/QtMainWindow.h"

namespace quaverly {

// The window may be gone by now: the pictures go without telling it.
TQtSpectrumDisplay::~TQtSpectrumDisplay() = default;

void TQtSpectrumDisplay::InitSpectrumBitmaps()
{
    frame_.Init(state_.DisplayMode, state_.IsNtFamily);
    if (window_)
        window_->SetVisBoxImage(&frame_.Image());
}

void TQtSpectrumDisplay::DrawSpectrumFrame(const TBandOut &bands)
{
    if (!frame_.Ready())
        return;
    frame_.Draw(bands, state_.DisplayMode, state_.IsNtFamily);
    if (window_)
        window_->ControlWidget(TControlId::VisBox)->update();
}

void TQtSpectrumDisplay::FreeSpectrumBitmaps()
{
    if (!frame_.Ready())
        return;
    if (window_)
        window_->SetVisBoxImage(nullptr);
    frame_.Free();
}

void TQtSpectrumDisplay::ClearSpectrum()
{
    frame_.Clear(state_.DisplayMode, state_.IsNtFamily);
}

void TQtSpectrumDisplay::ClearPeaks()
{
    frame_.ClearPeaks();
}

}  // namespace quaverly
