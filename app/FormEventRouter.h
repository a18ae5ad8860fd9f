#pragma once

#include <functional>
#include <map>
#include <utility>

#include "app/Main.h"
#include "ui/FormEvents.h"

namespace quaverly {

// Turns the window's events into handler calls: the life cycle goes to the
// main form, control events to the handlers bound to each control. A control
// without a bound handler ignores the event.
class TFormEventRouter final : public IFormEvents {
public:
    using Handler = std::function<void()>;
    using MouseHandler = std::function<void(TMouseButton button, TShiftState shift, int x, int y)>;
    using MoveHandler = std::function<void(TShiftState shift, int x, int y)>;
    using KeyHandler = std::function<void(int &key, TShiftState shift)>;

    explicit TFormEventRouter(TMainForm &form) : form_(form) {}

    void OnClick(TControlId control, Handler handler) { clicks_[control] = std::move(handler); }
    void OnDblClick(TControlId control, Handler handler) { dblClicks_[control] = std::move(handler); }
    void OnMouseDown(TControlId control, MouseHandler handler) { mouseDowns_[control] = std::move(handler); }
    void OnMouseUp(TControlId control, MouseHandler handler) { mouseUps_[control] = std::move(handler); }
    void OnMouseMove(TControlId control, MoveHandler handler) { mouseMoves_[control] = std::move(handler); }
    void OnKeyDown(TControlId control, KeyHandler handler) { keyDowns_[control] = std::move(handler); }

    void FormShow() override { form_.FormShow(); }
    void FormActivate() override { form_.FormActivate(); }
    void ApplicationActivate() override { form_.ApplicationActivate(); }
    bool FormCloseQuery() override { return form_.FormCloseQuery(); }
    bool FormClose() override { return form_.FormClose(); }
    void SettingChange(int flag) override { form_.ApplicationSettingChange(flag); }

    void Click(TControlId control) override { Call(clicks_, control); }
    void DblClick(TControlId control) override { Call(dblClicks_, control); }
    void MouseDown(TControlId control, TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TControlId control, TShiftState shift, int x, int y) override;
    void MouseUp(TControlId control, TMouseButton button, TShiftState shift, int x, int y) override;
    void KeyDown(TControlId control, int &key, TShiftState shift) override;

private:
    static void Call(const std::map<TControlId, Handler> &table, TControlId control);

    TMainForm &form_;
    std::map<TControlId, Handler> clicks_, dblClicks_;
    std::map<TControlId, MouseHandler> mouseDowns_, mouseUps_;
    std::map<TControlId, MoveHandler> mouseMoves_;
    std::map<TControlId, KeyHandler> keyDowns_;
};

}  // namespace quaverly
