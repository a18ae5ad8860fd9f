#include "ui/WindowLayout.h"

#include <algorithm>

#include "platform/SystemColours.h"

namespace quaverly {

namespace {
constexpr int kNormalWidth = 195;
constexpr int kListTop = 36;         // the list panel's top: the window is panel height + 36 high
constexpr int kMinVideoWidth = 270;
constexpr int kMinVideoHeight = 150;
constexpr int kDoubleVideoWidth = 540;
constexpr int kDoubleVideoHeight = 300;
constexpr TColor kStripFace = RGB(236, 233, 216);
constexpr TColor kStripGaugeBack = RGB(172, 168, 153);
constexpr TColor kStripGaugeFore = RGB(255, 251, 240);
constexpr TColor kClassicPlayingFore = RGB(180, 188, 192);
}  // namespace

std::vector<TRegionRect> TopCornerRegion(int width, int height)
{
    return {TRegionRect{0, 1, width, height}, TRegionRect{1, 0, width - 1, 1}};
}

void SetFormBounds(TFormModel &f, int left, int top, int width, int height)
{
    const int dw = width - f.Form.Width;
    f.Form.Left = left;
    f.Form.Top = top;
    f.Form.Width = width;
    f.Form.Height = height;
    // Panel1 fills the form; sbPower2 keeps its distance to the right edge.
    f.Panel1.SetBounds(0, 0, width, height);
    f.sbPower2.Left += dw;
}

void ApplyListPanelAnchors(TFormModel &f)
{
    const int h = f.MListPanel.Height;
    f.lbResize.SetBounds(0, h - f.lbResize.Height, f.MListPanel.Width, f.lbResize.Height);
    f.pnRect.SetBounds(0, 0, f.MListPanel.Width, h - f.lbResize.Height);
}

void ApplyClassicColourScheme(TFormModel &f)
{
    const TColor face = SystemColour(COLOR_BTNFACE);
    f.Form.Color = face;
    f.BtnPanel.Color = face;
    f.lbResize.Color = face;
    f.Gauge1.ForeColor = face;
    f.Gauge2.BackColor = f.Gauge1.ForeColor;
    f.Gauge2.Color = f.Gauge2.BackColor;
}

void FollowSizing(TFormModel &f, int height)
{
    if (f.Form.Height == height)
        return;
    SetFormBounds(f, f.Form.Left, f.Form.Top, f.Form.Width, height);
    if (f.NormalView()) {
        f.MListPanel.Height = std::max(f.lbResize.Height, height - kListTop);
        ApplyListPanelAnchors(f);
        f.Form.Region = TopCornerRegion(f.Form.Width, f.Form.Height);
    }
}

int TWindowLayout::ClampToWorkArea(int value, int size, bool horizontal)
{
    const TScreenRect area = screen_.WorkArea();
    const int lo = horizontal ? area.Left : area.Top;
    const int hi = lo + (horizontal ? area.Width : area.Height) - size;
    int result = value;
    if (value < lo)
        result = lo;
    if (value > hi)
        result = hi;   // the upper bound wins when the window is larger than the area
    if (result != value)
        form_.State.GeometryDirty = true;
    return result;
}

void TWindowLayout::MoveToGeometry(int left, int top, int width, int height)
{
    const int l = ClampToWorkArea(left, width, true);
    const int t = ClampToWorkArea(top, height, false);
    // The toolkit applies the whole geometry at once, so the collapse to
    // height 0 that keeps the old picture from flashing at the new place is
    // not needed as a separate step.
    SetFormBounds(form_, l, t, width, height);
}

void TWindowLayout::HideEdgeButtons()
{
    form_.sbNext2.Visible = false;
    form_.sbStop2.Visible = false;
    form_.sbPower2.Visible = false;
}

void TWindowLayout::HideStripButtons()
{
    form_.sbNext3.Visible = false;
    form_.sbStop3.Visible = false;
    form_.sbPower3.Visible = false;
}

void TWindowLayout::SetTopCornerRegion()
{
    form_.Form.Region = TopCornerRegion(form_.Form.Width, form_.Form.Height);
}

void TWindowLayout::ShowNormalView()
{
    TFormModel &f = form_;
    HideEdgeButtons();
    HideStripButtons();

    f.Gauge1.Height = 1;
    f.Gauge2.Height = 1;
    f.Gauge1.Width = f.Gauge2.Width = f.lbProgress.Width = kNormalWidth;
    f.Gauge1.Top = 30;
    f.Gauge2.Top = 31;
    f.lbProgress.Top = 30;
    f.Gauge1.BackColor = SystemColour(COLOR_BACKGROUND);
    f.Gauge1.ForeColor = f.BtnPanel.Color;
    f.Gauge2.BackColor = f.Gauge1.ForeColor;
    f.Gauge2.ForeColor = f.Gauge1.BackColor;
    f.Gauge1.Color = f.Gauge1.BackColor;
    f.Gauge2.Color = f.Gauge2.BackColor;

    const int h = f.MListPanel.Height + kListTop;
    int left, top;
    if (f.Form.Height != 0) {
        // keep the window's centre
        left = f.Form.Left + (f.Form.Width - kNormalWidth) / 2;
        top = f.Form.Top + (f.Form.Height - h) / 2;
    } else {
        const TScreenRect s = screen_.WholeScreen();
        left = (s.Width - kNormalWidth) / 2;
        top = (s.Height - h) / 2;
    }
    MoveToGeometry(left, top, kNormalWidth, h);
    SetTopCornerRegion();

    f.VdoPanel.Top = -f.VdoPanel.Height;
    f.VisPanel.Visible = false;
    f.BtnPanel.Visible = true;
    f.Form.Color = f.BtnPanel.Color;
    f.lbResize.Color = f.Form.Color;
    f.MList.Focused = true;
}

void TWindowLayout::ShowPlayingView()
{
    TFormModel &f = form_;
    f.Form.Region.clear();
    f.Form.Color = clBlack;
    f.BtnPanel.Visible = false;

    int w, h;
    if (f.State.EngineKind == ekAudioEngine) {
        if (f.VisPanel.Visible)
            return;
        f.VisPanel.Visible = true;
        f.VdoPanel.Top = -f.VdoPanel.Height;
        w = kNormalWidth;
        h = 108;
    } else {
        int picture = video_.PictureHeight();
        if (picture < 0)
            picture = 0;
        switch (video_.DisplaySize()) {
        case mpHalfSize:
            picture /= 2;
            break;
        case mpDoubleSize:
            if (picture < 150)
                picture *= 2;
            else if (picture < 300)
                picture = 300;
            break;
        default:
            break;
        }
        if (picture < kMinVideoHeight) {
            w = kMinVideoWidth;
            h = kMinVideoHeight;
        } else if (picture == kDoubleVideoHeight) {
            w = kDoubleVideoWidth;
            h = kDoubleVideoHeight;
        } else {
            const TScreenRect area = screen_.WorkArea();
            h = picture + 3;
            w = h * 9 / 5;
            w = std::min(w, area.Width);
            h = std::min(h, area.Height);
        }
        f.VisPanel.Visible = false;
    }

    if (f.Gauge2.Top != 1) {
        if (f.StripView())
            HideStripButtons();
        else
            f.Gauge1.Top = 0;
        f.Gauge1.BackColor = SystemColour(COLOR_BACKGROUND);
        f.Gauge1.ForeColor = f.State.IsNtFamily ? SystemColour(COLOR_GRADIENTACTIVECAPTION) : kClassicPlayingFore;
        f.Gauge2.BackColor = f.Gauge1.ForeColor;
        f.Gauge2.ForeColor = f.Gauge1.BackColor;
        f.Gauge1.Color = f.Gauge1.BackColor;
        f.Gauge2.Color = f.Gauge2.BackColor;
        f.sbNext2.Visible = f.sbStop2.Visible = f.sbPower2.Visible = true;
        f.Gauge2.Top = f.Gauge1.Top + 1;
        f.lbProgress.Top = f.Gauge1.Top;
        f.Gauge2.Height = 2;
    }
    f.Gauge1.Width = f.Gauge2.Width = f.lbProgress.Width = w;

    if (!f.Playing() || w != f.Form.Width || h != f.Form.Height) {
        int left, top;
        if (w <= kMinVideoWidth && f.Form.Height != 0) {
            left = f.Form.Left - (w - f.Form.Width) / 2;
            top = f.Form.Top - (h - f.Form.Height) / 2;
        } else {
            const TScreenRect s = screen_.WholeScreen();
            left = (s.Width - w) / 2;
            top = (s.Height - h) / 2;
            if (!f.State.WindowCentred) {
                f.State.GeometryDirty = true;
                f.State.WindowCentred = true;
            }
        }
        MoveToGeometry(left, top, w, h);
    }

    // The edge buttons split the window's height between them.
    const int v = f.Form.Height / 2;
    if (v != f.sbStop2.Top) {
        f.sbStop2.Top = v;
        f.sbStop2.Height = v + 2;
        f.sbNext2.Height = v + 1;
        f.sbPower2.Height = v;
    }

    if (!f.VisPanel.Visible) {
        f.VdoPanel.Height = f.Form.Height - 3;
        f.VdoPanel.Width = f.Form.Width - 8;
        f.VdoPanel.Top = 3;
    }
}

void TWindowLayout::PlaceStrip()
{
    const TScreenRect area = screen_.WorkArea();
    SetFormBounds(form_, area.Left + area.Width / 2 - 200, area.Top + area.Height / 2 + 43, 400,
                  form_.Form.Height);
}

void TWindowLayout::ShowStripView()
{
    TFormModel &f = form_;
    f.Form.Region.clear();
    f.BtnPanel.Visible = false;
    if (f.Gauge2.Top == 1) {
        f.VdoPanel.Top = 108;
        f.VisPanel.Visible = false;
    }
    // The strip shows only its own three buttons; the edge buttons of the
    // audio and video views would cover its ends.
    HideEdgeButtons();

    SetFormBounds(f, f.Form.Left, f.Form.Top, 0, 6);
    f.Form.Color = kStripFace;
    f.Gauge1.BackColor = kStripGaugeBack;
    f.Gauge1.ForeColor = kStripGaugeFore;
    f.Gauge2.BackColor = f.Gauge1.ForeColor;
    f.Gauge2.ForeColor = f.Form.Color;
    f.Gauge1.Color = f.Gauge1.BackColor;
    f.Gauge2.Color = f.Gauge2.BackColor;
    f.Gauge1.Height = 2;
    f.Gauge2.Height = 4;
    f.Gauge1.Width = f.Gauge2.Width = 400;
    f.Gauge1.Top = 0;
    f.Gauge2.Top = 2;

    f.sbNext3.Visible = f.sbStop3.Visible = f.sbPower3.Visible = true;

    if (f.State.FormActivated)
        PlaceStrip();
    if (!f.State.WindowCentred)
        f.State.GeometryDirty = true;
    f.State.WindowCentred = true;
    f.Form.Tag = 0;                 // StripActivated
    f.State.PlayerWasOpen = true;
}

void TWindowLayout::Panel1MouseDown(TMouseButton button)
{
    if (button != TMouseButton::mbLeft)
        return;
    auto done = [this] {
        form_.State.GeometryDirty = true;
        form_.State.WindowCentred = false;
    };
    if (drag_)
        drag_->RunMoveLoop(done);
    else
        done();
}

void TWindowLayout::lbResizeMouseDown(TMouseButton button)
{
    if (button != TMouseButton::mbLeft || !form_.lbResize.Enabled || !form_.lbResize.Visible)
        return;
    auto done = [this] {
        if (FitListHeight)
            FitListHeight();
        form_.State.GeometryDirty = true;
        form_.State.WindowCentred = false;
    };
    if (drag_)
        drag_->RunSizeLoop(done);
    else
        done();
}

void TWindowLayout::sbMinClick()
{
    form_.Form.Minimized = true;
}

void TWindowLayout::sbPowerClick()
{
    form_.Form.CloseRequested = true;
}

}  // namespace quaverly
