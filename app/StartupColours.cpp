#include "app/StartupColours.h"

#include "platform/SystemColours.h"

namespace quaverly {

void ApplyButtonFaceColours(TFormModel &form)
{
    form.Form.Color = SystemColour(COLOR_BTNFACE);
    form.BtnPanel.Color = form.Form.Color;
    form.lbResize.Color = form.Form.Color;
    form.Gauge1.ForeColor = form.Form.Color;
    form.Gauge2.BackColor = form.Gauge1.ForeColor;
}

}  // namespace quaverly
