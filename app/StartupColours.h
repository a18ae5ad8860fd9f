#pragma once

#include "core/FormModel.h"

namespace quaverly {

// Outside the NT family the window takes the system's button-face colour;
// the button row, the resize strip and the progress line's foreground take
// the window's colour, and the gauge under it takes that foreground.
void ApplyButtonFaceColours(TFormModel &form);

}  // namespace quaverly
