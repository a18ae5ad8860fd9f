#pragma once

#include <string>
#include <string_view>

#include "core/FormModel.h"
#include "ui/WindowPlacement.h"

namespace quaverly {

// Line 4 of the settings file: where the window stood and how high it was,
// as "x,y", "x,y,h" or "h".

// Puts the window at the place and height of a line 4 text, clamped into the
// work area. Whatever had to be corrected or dropped (a height of 108 or
// less, one larger than the work area, a place off the screen, a part that
// is not a number) marks the geometry dirty, so that the line is rewritten.
// A usable place clears WindowCentred.
void ApplyWindowGeometry(std::string_view text, TFormModel &form, IWindowPlacement &placement);

// The line 4 text for the window as it stands: the place of the normal
// 195-pixel-wide view, centred on the window's present place and size
// (empty while the window stands centred), and its height when above 108.
std::string FormatWindowGeometry(const TFormModel &form);

}  // namespace quaverly
