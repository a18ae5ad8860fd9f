#pragma once

#include "core/FormModel.h"

namespace quaverly {

// Names every control of the main window, so that toolkit-neutral events and
// the Qt mirror can refer to them without widget pointers.
enum class TControlId : int {
    Form,
    Panel1,
    BtnPanel,
    sbPlay,
    sbNext,
    sbAbout,
    sbStop,
    sbNormal,
    sbLevel,
    sbOrder,
    sbRandom,
    sbAdd,
    sbMin,
    sbPower,
    Gauge1,
    Gauge2,
    lbProgress,
    MListPanel,
    pnRect,
    lbResize,
    MList,
    sbNext2,
    sbStop2,
    sbPower2,
    sbNext3,
    sbStop3,
    sbPower3,
    VdoPanel,
    VisPanel,
    VisBox,
    lbTitle,
    lbTime,
    pmDel,      // the list's pop-up menu entry "删除" (also the Delete key over the list)
};

constexpr int kControlIdCount = int(TControlId::pmDel) + 1;

// The control record of an id; nullptr for Form, MList and pmDel, which are
// not TControl records (see TFormModel::Form and TFormModel::MList).
TControl *ControlOf(TFormModel &form, TControlId id);
const TControl *ControlOf(const TFormModel &form, TControlId id);

// The control's name as the form resource spells it ("sbPlay").
const char *ControlName(TControlId id);

}  // namespace quaverly
