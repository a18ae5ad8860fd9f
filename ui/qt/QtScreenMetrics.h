#pragma once

#include "ui/ScreenMetrics.h"

namespace quaverly {

// The screen metrics of Qt's primary screen (the work area is its available
// geometry); 1024 x 768 when there is no screen.
class TQtScreenMetrics : public IScreenMetrics {
public:
    TScreenRect WholeScreen() const override;
    TScreenRect WorkArea() const override;
};

}  // namespace quaverly
