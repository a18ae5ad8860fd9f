#include "app/FormEventRouter.h"

namespace quaverly {

void TFormEventRouter::Call(const std::map<TControlId, Handler> &table, TControlId control)
{
    auto it = table.find(control);
    if (it != table.end() && it->second)
        it->second();
}

void TFormEventRouter::MouseDown(TControlId control, TMouseButton button, TShiftState shift, int x, int y)
{
    auto it = mouseDowns_.find(control);
    if (it != mouseDowns_.end() && it->second)
        it->second(button, shift, x, y);
}

void TFormEventRouter::MouseUp(TControlId control, TMouseButton button, TShiftState shift, int x, int y)
{
    auto it = mouseUps_.find(control);
    if (it != mouseUps_.end() && it->second)
        it->second(button, shift, x, y);
}

void TFormEventRouter::MouseMove(TControlId control, TShiftState shift, int x, int y)
{
    auto it = mouseMoves_.find(control);
    if (it != mouseMoves_.end() && it->second)
        it->second(shift, x, y);
}

void TFormEventRouter::KeyDown(TControlId control, int &key, TShiftState shift)
{
    auto it = keyDowns_.find(control);
    if (it != keyDowns_.end() && it->second)
        it->second(key, shift);
}

}  // namespace quaverly
