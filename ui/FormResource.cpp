// The form resource of the main window: every component's place, size,
// colour, hint and initial state before FormCreate runs.
#include "platform/SystemColours.h"
#include "core/FormModel.h"
#include "ui/WindowLayout.h"

namespace quaverly {

namespace {

void Button(TControl &c, int left, int top, int width, int height, const char *hint, bool visible = true)
{
    c.SetBounds(left, top, width, height);
    c.Hint = hint;
    c.Visible = visible;
    c.Transparent = true;
}

void Panel(TControl &c, int left, int top, int width, int height)
{
    c.SetBounds(left, top, width, height);
    c.ParentColor = true;
}

}  // namespace

void InitFormResource(TFormModel &f)
{
    f = TFormModel{};
    const TColor caption = SystemColour(COLOR_GRADIENTACTIVECAPTION);

    f.Form.Left = 0;
    f.Form.Top = 0;
    f.Form.Width = 195;
    f.Form.Height = 108;
    f.Form.Color = caption;
    f.Form.Region = TopCornerRegion(195, 108);

    Panel(f.Panel1, 0, 0, 195, 108);
    f.BtnPanel.SetBounds(0, 0, 195, 30);
    f.BtnPanel.Color = caption;

    Button(f.sbPlay, 3, 3, 27, 27, "播放");
    Button(f.sbNext, 3, 3, 27, 27, "下一个", false);
    Button(f.sbAbout, 3, 3, 27, 27, "版权所有", false);
    Button(f.sbStop, 30, 3, 27, 27, "停止");
    f.sbStop.Enabled = false;
    Button(f.sbNormal, 57, 3, 27, 27, "电平表");
    Button(f.sbLevel, 57, 3, 27, 27, "电平表", false);
    Button(f.sbOrder, 84, 3, 27, 27, "顺序");
    Button(f.sbRandom, 84, 3, 27, 27, "随机", false);
    Button(f.sbAdd, 111, 3, 27, 27, "打开");
    Button(f.sbMin, 138, 3, 27, 27, "最小化");
    Button(f.sbPower, 165, 3, 27, 27, "电源");

    // The progress line: two one-pixel gauges, each showing the progress in
    // the other's colour order, under a transparent click target.
    for (TGauge *g : {&f.Gauge1, &f.Gauge2}) {
        g->SetBounds(0, g == &f.Gauge1 ? 30 : 31, 195, 1);
        g->MaxValue = 100;
        g->Progress = 0;
    }
    f.Gauge1.BackColor = SystemColour(COLOR_BACKGROUND);
    f.Gauge1.ForeColor = caption;
    f.Gauge2.BackColor = f.Gauge1.ForeColor;
    f.Gauge2.ForeColor = f.Gauge1.BackColor;
    f.Gauge1.Color = f.Gauge1.BackColor;
    f.Gauge2.Color = f.Gauge2.BackColor;
    f.lbProgress.SetBounds(0, 30, 195, 3);
    f.lbProgress.Transparent = true;

    // The playlist panel: the list view inside pnRect and the resize strip
    // below it.
    Panel(f.MListPanel, 5, 36, 185, 72);
    Panel(f.pnRect, 0, 0, 185, 67);
    f.lbResize.SetBounds(0, 67, 185, 5);
    f.lbResize.Color = caption;
    f.lbResize.Cursor = crSizeNS;
    f.lbResize.Enabled = false;   // enabled once the rows fill the panel

    f.MList.Columns = {
        TListColumn{143, 126, 143},   // title
        TListColumn{0, 0, 0},         // path
        TListColumn{0, 0, 0},         // seconds
        TListColumn{42, 42, 42},      // duration text
    };

    // Edge buttons of the audio and video views, strip buttons of the strip view.
    Button(f.sbNext2, -1, -1, 5, 55, "下一个", false);
    Button(f.sbStop2, -1, 54, 5, 55, "停止", false);
    Button(f.sbPower2, 190, 0, 5, 54, "电源", false);
    Button(f.sbNext3, 0, 0, 133, 6, "下一个", false);
    Button(f.sbStop3, 133, 0, 134, 6, "停止", false);
    Button(f.sbPower3, 267, 0, 133, 6, "电源", false);

    f.VdoPanel.SetBounds(4, -105, 187, 105);   // out of sight until a picture shows
    f.VdoPanel.Color = clBlack;
    f.VisPanel.SetBounds(4, 3, 187, 105);
    f.VisPanel.Color = clBlack;
    f.VisPanel.Visible = false;
    f.VisBox.SetBounds(8, 12, 171, 92);
    f.VisBox.Visible = false;
    f.VisBox.Color = clBlack;

    f.lbTitle.SetBounds(0, 0, 187, 12);
    f.lbTitle.FontColor = SystemColour(COLOR_ACTIVEBORDER);
    f.lbTitle.Transparent = true;
    f.lbTitle.FontName = "宋体";
    f.lbTitle.FontPixels = 12;
    // Right-aligned against x = 187; wide enough for "999:59".
    f.lbTime.SetBounds(187 - 40, -1, 40, 13);
    f.lbTime.Alignment = taRightJustify;
    f.lbTime.FontColor = SystemColour(COLOR_ACTIVEBORDER);
    f.lbTime.Transparent = true;
    f.lbTime.FontName = "MS Sans Serif";
    f.lbTime.FontPixels = 11;

    f.ApplicationTitle = "Quaverly";
}

}  // namespace quaverly
