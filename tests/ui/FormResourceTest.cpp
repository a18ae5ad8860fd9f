#include <gtest/gtest.h>

#include "platform/SystemColours.h"
#include "ui/ControlId.h"
#include "core/FormModel.h"

namespace quaverly {
namespace {

struct Expected {
    TControlId Id;
    int Left, Top, Width, Height;
    const char *Hint;
    bool Visible;
};

// The component table of the main window.
const Expected kComponents[] = {
    {TControlId::BtnPanel, 0, 0, 195, 30, "", true},
    {TControlId::sbPlay, 3, 3, 27, 27, "播放", true},
    {TControlId::sbNext, 3, 3, 27, 27, "下一个", false},
    {TControlId::sbAbout, 3, 3, 27, 27, "版权所有", false},
    {TControlId::sbStop, 30, 3, 27, 27, "停止", true},
    {TControlId::sbNormal, 57, 3, 27, 27, "电平表", true},
    {TControlId::sbLevel, 57, 3, 27, 27, "电平表", false},
    {TControlId::sbOrder, 84, 3, 27, 27, "顺序", true},
    {TControlId::sbRandom, 84, 3, 27, 27, "随机", false},
    {TControlId::sbAdd, 111, 3, 27, 27, "打开", true},
    {TControlId::sbMin, 138, 3, 27, 27, "最小化", true},
    {TControlId::sbPower, 165, 3, 27, 27, "电源", true},
    {TControlId::Gauge1, 0, 30, 195, 1, "", true},
    {TControlId::Gauge2, 0, 31, 195, 1, "", true},
    {TControlId::lbProgress, 0, 30, 195, 3, "", true},
    {TControlId::MListPanel, 5, 36, 185, 72, "", true},
    {TControlId::pnRect, 0, 0, 185, 67, "", true},
    {TControlId::lbResize, 0, 67, 185, 5, "", true},
    {TControlId::sbNext2, -1, -1, 5, 55, "下一个", false},
    {TControlId::sbStop2, -1, 54, 5, 55, "停止", false},
    {TControlId::sbPower2, 190, 0, 5, 54, "电源", false},
    {TControlId::sbNext3, 0, 0, 133, 6, "下一个", false},
    {TControlId::sbStop3, 133, 0, 134, 6, "停止", false},
    {TControlId::sbPower3, 267, 0, 133, 6, "电源", false},
    {TControlId::VdoPanel, 4, -105, 187, 105, "", true},
    {TControlId::VisPanel, 4, 3, 187, 105, "", false},
    {TControlId::VisBox, 8, 12, 171, 92, "", false},
    {TControlId::lbTitle, 0, 0, 187, 12, "", true},
};

TEST(FormResource, EveryComponentStandsAtItsPlaceWithItsHint)
{
    TFormModel form;
    InitFormResource(form);
    for (const Expected &e : kComponents) {
        SCOPED_TRACE(ControlName(e.Id));
        const TControl *c = ControlOf(form, e.Id);
        ASSERT_NE(nullptr, c);
        EXPECT_EQ(e.Left, c->Left);
        EXPECT_EQ(e.Top, c->Top);
        EXPECT_EQ(e.Width, c->Width);
        EXPECT_EQ(e.Height, c->Height);
        EXPECT_EQ(std::string(e.Hint), c->Hint);
        EXPECT_EQ(e.Visible, c->Visible);
    }
    // lbTime is right-aligned against x = 187 at y = -1.
    EXPECT_EQ(187, form.lbTime.Left + form.lbTime.Width);
    EXPECT_EQ(-1, form.lbTime.Top);
    EXPECT_EQ(taRightJustify, form.lbTime.Alignment);
}

TEST(FormResource, WindowColoursAndMarkersStartInTheStoppedNormalView)
{
    TFormModel form;
    InitFormResource(form);
    const TColor caption = SystemColour(COLOR_GRADIENTACTIVECAPTION);
    EXPECT_EQ(195, form.Form.Width);
    EXPECT_EQ(108, form.Form.Height);
    EXPECT_EQ(caption, form.Form.Color);
    EXPECT_EQ(caption, form.BtnPanel.Color);
    EXPECT_EQ(caption, form.lbResize.Color);
    EXPECT_EQ(SystemColour(COLOR_ACTIVEBORDER), form.lbTitle.FontColor);
    EXPECT_EQ(SystemColour(COLOR_ACTIVEBORDER), form.lbTime.FontColor);
    // The two gauges show the progress in opposite colour orders.
    EXPECT_EQ(SystemColour(COLOR_BACKGROUND), form.Gauge1.BackColor);
    EXPECT_EQ(caption, form.Gauge1.ForeColor);
    EXPECT_EQ(form.Gauge1.ForeColor, form.Gauge2.BackColor);
    EXPECT_EQ(form.Gauge1.BackColor, form.Gauge2.ForeColor);

    EXPECT_FALSE(form.Playing());
    EXPECT_FALSE(form.RandomOrder());
    EXPECT_FALSE(form.ExternalMidiMode());
    EXPECT_FALSE(form.AudioEngineAvailable());
    EXPECT_FALSE(form.CreditShown());
    EXPECT_TRUE(form.NormalView());
    EXPECT_FALSE(form.StripView());
    EXPECT_FALSE(form.lbResize.Enabled);
    EXPECT_EQ(crSizeNS, form.lbResize.Cursor);
    EXPECT_EQ("Quaverly", form.ApplicationTitle);

    ASSERT_EQ(4u, form.MList.Columns.size());
    EXPECT_EQ(143, form.MList.Columns[0].Width);
    EXPECT_EQ(126, form.MList.Columns[0].MinWidth);
    EXPECT_EQ(143, form.MList.Columns[0].MaxWidth);
    EXPECT_EQ(0, form.MList.Columns[1].Width);
    EXPECT_EQ(0, form.MList.Columns[2].Width);
    EXPECT_EQ(42, form.MList.Columns[3].Width);
}

TEST(FormResource, ControlNamesMatchTheirIds)
{
    TFormModel form;
    EXPECT_STREQ("sbPlay", ControlName(TControlId::sbPlay));
    EXPECT_STREQ("lbTime", ControlName(TControlId::lbTime));
    EXPECT_STREQ("pmDel", ControlName(TControlId::pmDel));
    EXPECT_EQ(&form.sbPower3, ControlOf(form, TControlId::sbPower3));
    EXPECT_EQ(&form.Gauge2, ControlOf(form, TControlId::Gauge2));
    EXPECT_EQ(nullptr, ControlOf(form, TControlId::MList));
    EXPECT_EQ(nullptr, ControlOf(form, TControlId::Form));
}

}  // namespace
}  // namespace quaverly
