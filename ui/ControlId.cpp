#include "ui/ControlId.h"

#include <array>

namespace quaverly {

namespace {
constexpr std::array<const char *, kControlIdCount> kNames = {
    "TMainForm", "Panel1", "BtnPanel", "sbPlay", "sbNext", "sbAbout", "sbStop", "sbNormal",
    "sbLevel", "sbOrder", "sbRandom", "sbAdd", "sbMin", "sbPower", "Gauge1", "Gauge2",
    "lbProgress", "MListPanel", "pnRect", "lbResize", "MList", "sbNext2", "sbStop2", "sbPower2",
    "sbNext3", "sbStop3", "sbPower3", "VdoPanel", "VisPanel", "VisBox", "lbTitle", "lbTime", "pmDel",
};
}  // namespace

const TControl *ControlOf(const TFormModel &f, TControlId id)
{
    switch (id) {
    case TControlId::Form: return nullptr;
    case TControlId::Panel1: return &f.Panel1;
    case TControlId::BtnPanel: return &f.BtnPanel;
    case TControlId::sbPlay: return &f.sbPlay;
    case TControlId::sbNext: return &f.sbNext;
    case TControlId::sbAbout: return &f.sbAbout;
    case TControlId::sbStop: return &f.sbStop;
    case TControlId::sbNormal: return &f.sbNormal;
    case TControlId::sbLevel: return &f.sbLevel;
    case TControlId::sbOrder: return &f.sbOrder;
    case TControlId::sbRandom: return &f.sbRandom;
    case TControlId::sbAdd: return &f.sbAdd;
    case TControlId::sbMin: return &f.sbMin;
    case TControlId::sbPower: return &f.sbPower;
    case TControlId::Gauge1: return &f.Gauge1;
    case TControlId::Gauge2: return &f.Gauge2;
    case TControlId::lbProgress: return &f.lbProgress;
    case TControlId::MListPanel: return &f.MListPanel;
    case TControlId::pnRect: return &f.pnRect;
    case TControlId::lbResize: return &f.lbResize;
    case TControlId::MList: return nullptr;
    case TControlId::sbNext2: return &f.sbNext2;
    case TControlId::sbStop2: return &f.sbStop2;
    case TControlId::sbPower2: return &f.sbPower2;
    case TControlId::sbNext3: return &f.sbNext3;
    case TControlId::sbStop3: return &f.sbStop3;
    case TControlId::sbPower3: return &f.sbPower3;
    case TControlId::VdoPanel: return &f.VdoPanel;
    case TControlId::VisPanel: return &f.VisPanel;
    case TControlId::VisBox: return &f.VisBox;
    case TControlId::lbTitle: return &f.lbTitle;
    case TControlId::lbTime: return &f.lbTime;
    case TControlId::pmDel: return nullptr;
    }
    return nullptr;
}

TControl *ControlOf(TFormModel &f, TControlId id)
{
    return const_cast<TControl *>(ControlOf(static_cast<const TFormModel &>(f), id));
}

const char *ControlName(TControlId id)
{
    const int i = int(id);
    return i >= 0 && i < kControlIdCount ? kNames[std::size_t(i)] : "";
}

}  // namespace quaverly
