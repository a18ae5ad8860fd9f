#include "app/WindowGeometry.h"

#include "app/SettingsLines.h"

namespace quaverly {

namespace {

constexpr int kNormalWidth = 195;
constexpr int kNormalHeight = 108;
constexpr int kListTop = 36;   // the normal view is the list panel's height + 36 high

void ApplyHeight(std::string_view text, TFormModel &form, IWindowPlacement &placement)
{
    int height = ParseSettingsInt(TrimSettingsLine(text)).value_or(kNormalHeight);
    if (height <= kNormalHeight) {
        form.State.GeometryDirty = true;
        return;
    }
    const int area = placement.WorkAreaHeight();
    if (height > area) {
        height = area;
        form.State.GeometryDirty = true;
    }
    placement.SetWindowHeight(height);
}

}  // namespace

void ApplyWindowGeometry(std::string_view text, TFormModel &form, IWindowPlacement &placement)
{
    const auto comma = text.find(',');
    if (comma == std::string_view::npos) {
        ApplyHeight(text, form, placement);
        return;
    }
    const std::string_view xs = text.substr(0, comma);
    std::string_view ys = text.substr(comma + 1);
    const auto second = ys.find(',');
    if (second != std::string_view::npos) {
        ApplyHeight(ys.substr(second + 1), form, placement);
        ys = ys.substr(0, second);
    }
    TFormWindow &window = form.Form;
    const int x = ParseSettingsInt(TrimSettingsLine(xs)).value_or(-window.Width);
    const int y = ParseSettingsInt(TrimSettingsLine(ys)).value_or(-window.Height);
    if (x > -window.Width && y > -window.Height) {
        window.Left = placement.ClampToWorkArea(x, window.Width, true);
        window.Top = placement.ClampToWorkArea(y, window.Height, false);
        form.State.WindowCentred = false;
    } else {
        form.State.GeometryDirty = true;
    }
}

std::string FormatWindowGeometry(const TFormModel &form)
{
    const TFormWindow &window = form.Form;
    const int height = form.State.FormActivated ? form.MListPanel.Height + kListTop : window.Height;
    std::string text;
    if (!form.State.WindowCentred) {
        const int x = window.Left + (window.Width - kNormalWidth) / 2;
        const int y = window.Top + (window.Height - height) / 2;
        text = std::to_string(x) + "," + std::to_string(y);
    }
    if (height > kNormalHeight) {
        if (!text.empty())
            text += ",";
        text += std::to_string(height);
    }
    return text;
}

}  // namespace quaverly
