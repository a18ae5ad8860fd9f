#pragma once

#include <Qt>

#include "ui/FormEvents.h"

namespace quaverly {

// Qt's mouse buttons, modifiers and keys in the terms of IFormEvents.
TMouseButton ToMouseButton(Qt::MouseButton button);
TShiftState ToShiftState(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);
// The virtual key code of a Qt key; 0 for keys without one.
int ToVirtualKey(int qtKey);

}  // namespace quaverly
