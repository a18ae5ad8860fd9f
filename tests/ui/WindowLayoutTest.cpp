#include <gtest/gtest.h>

#include "platform/SystemColours.h"
#include "ui/WindowLayout.h"
#include "ui/LayoutFakes.h"

namespace quaverly {
namespace {

using test::FakeScreen;
using test::FakeVideo;
using test::RecordingDrag;
using test::RegionContains;

class WindowLayoutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitFormResource(form);
        // FormShow centres the window on the screen.
        SetFormBounds(form, (1024 - 195) / 2, (768 - 108) / 2, 195, 108);
    }
    void StartVideo(int pictureHeight, int displaySize)
    {
        video.Height = pictureHeight;
        video.Size = displaySize;
        form.State.EngineKind = ekMediaControl;
        layout.ShowPlayingView();
        form.sbStop.Enabled = true;
    }

    TFormModel form;
    FakeScreen screen;
    FakeVideo video;
    TWindowLayout layout{form, screen, video};
};

TEST_F(WindowLayoutTest, ClampToWorkAreaKeepsInsideValuesAndMarksClamps)
{
    screen.Work = {10, 20, 800, 600};
    EXPECT_EQ(100, layout.ClampToWorkArea(100, 195, true));
    EXPECT_FALSE(form.State.GeometryDirty);
    EXPECT_EQ(10 + 800 - 195, layout.ClampToWorkArea(10 + 800 - 195, 195, true));
    EXPECT_FALSE(form.State.GeometryDirty);

    EXPECT_EQ(10, layout.ClampToWorkArea(-50, 195, true));
    EXPECT_TRUE(form.State.GeometryDirty);
    form.State.GeometryDirty = false;
    EXPECT_EQ(20 + 600 - 108, layout.ClampToWorkArea(700, 108, false));
    EXPECT_TRUE(form.State.GeometryDirty);
    form.State.GeometryDirty = false;
    // A window taller than the area: the upper bound wins.
    EXPECT_EQ(20 + 600 - 700, layout.ClampToWorkArea(20, 700, false));
    EXPECT_TRUE(form.State.GeometryDirty);
}

struct VideoCase {
    int Picture, DisplaySize, Width, Height;
};

TEST_F(WindowLayoutTest, VideoViewSizeFollowsPictureHeightAndDisplaySize)
{
    const VideoCase cases[] = {
        {240, mpDefaultSize, 437, 243},   // (240 + 3) * 9 div 5
        {200, mpDoubleSize, 540, 300},
        {100, mpDoubleSize, 365, 203},
        {120, mpHalfSize, 270, 150},
        {0, mpDefaultSize, 270, 150},     // unknown picture height
        {-1, mpDefaultSize, 270, 150},
        {149, mpDefaultSize, 270, 150},
        {150, mpDefaultSize, 275, 153},
        {150, mpDoubleSize, 540, 300},
        {300, mpDefaultSize, 540, 300},
        {400, mpDoubleSize, 725, 403},    // at least 300 stays as it is
        {299, mpHalfSize, 270, 150},
        {600, mpDefaultSize, 1024, 603},  // width limited to the work area
        {900, mpDefaultSize, 1024, 768},
    };
    for (const VideoCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.Picture << " size " << c.DisplaySize);
        SetUp();
        StartVideo(c.Picture, c.DisplaySize);
        EXPECT_EQ(c.Width, form.Form.Width);
        EXPECT_EQ(c.Height, form.Form.Height);
        EXPECT_EQ(c.Width, form.Gauge1.Width);
        EXPECT_EQ(c.Width, form.Gauge2.Width);
        EXPECT_EQ(c.Width, form.lbProgress.Width);
        // The media control's panel fills the window below the progress line.
        EXPECT_EQ(3, form.VdoPanel.Top);
        EXPECT_EQ(4, form.VdoPanel.Left);
        EXPECT_EQ(c.Height - 3, form.VdoPanel.Height);
        EXPECT_EQ(c.Width - 8, form.VdoPanel.Width);
    }
}

TEST_F(WindowLayoutTest, VideoViewStaysInsideASmallWorkArea)
{
    screen.Work = {0, 0, 800, 500};
    StartVideo(600, mpDefaultSize);
    EXPECT_EQ(800, form.Form.Width);
    EXPECT_EQ(500, form.Form.Height);
    EXPECT_EQ(0, form.Form.Left);
    EXPECT_EQ(0, form.Form.Top);
}

TEST_F(WindowLayoutTest, AudioViewKeepsTheEdgeButtonsOfTheResource)
{
    form.State.EngineKind = ekAudioEngine;
    layout.ShowPlayingView();
    EXPECT_EQ(195, form.Form.Width);
    EXPECT_EQ(108, form.Form.Height);
    EXPECT_TRUE(form.Form.Region.empty());
    EXPECT_EQ(clBlack, form.Form.Color);
    EXPECT_FALSE(form.BtnPanel.Visible);
    EXPECT_TRUE(form.VisPanel.Visible);
    EXPECT_EQ(-form.VdoPanel.Height, form.VdoPanel.Top);
    EXPECT_FALSE(form.NormalView());
    // The three-pixel progress line at the top.
    EXPECT_EQ(0, form.Gauge1.Top);
    EXPECT_EQ(1, form.Gauge1.Height);
    EXPECT_EQ(1, form.Gauge2.Top);
    EXPECT_EQ(2, form.Gauge2.Height);
    EXPECT_EQ(0, form.lbProgress.Top);
    EXPECT_EQ(SystemColour(COLOR_GRADIENTACTIVECAPTION), form.Gauge1.ForeColor);
    EXPECT_EQ(form.Gauge1.ForeColor, form.Gauge2.BackColor);
    // sbNext2 over rows -1..53, sbStop2 over 54..108, sbPower2 over 0..53.
    EXPECT_TRUE(form.sbNext2.Visible && form.sbStop2.Visible && form.sbPower2.Visible);
    EXPECT_EQ(-1, form.sbNext2.Top);
    EXPECT_EQ(55, form.sbNext2.Height);
    EXPECT_EQ(54, form.sbStop2.Top);
    EXPECT_EQ(55, form.sbStop2.Height);
    EXPECT_EQ(0, form.sbPower2.Top);
    EXPECT_EQ(54, form.sbPower2.Height);
    EXPECT_EQ(190, form.sbPower2.Left);
    // Same centre as the list window it replaced.
    EXPECT_EQ((1024 - 195) / 2, form.Form.Left);
    EXPECT_EQ((768 - 108) / 2, form.Form.Top);
}

TEST_F(WindowLayoutTest, AudioViewAlreadyShownIsLeftAlone)
{
    form.State.EngineKind = ekAudioEngine;
    layout.ShowPlayingView();
    form.sbStop.Enabled = true;
    form.Gauge1.Width = 1;   // a marker the second call would overwrite
    SetFormBounds(form, 5, 6, 195, 108);
    layout.ShowPlayingView();
    EXPECT_EQ(1, form.Gauge1.Width);
    EXPECT_EQ(5, form.Form.Left);
}

TEST_F(WindowLayoutTest, EdgeButtonsAndRightAnchorFollowATallVideoWindow)
{
    StartVideo(240, mpDefaultSize);   // 437 x 243
    EXPECT_EQ(121, form.sbStop2.Top);
    EXPECT_EQ(123, form.sbStop2.Height);
    EXPECT_EQ(122, form.sbNext2.Height);
    EXPECT_EQ(121, form.sbPower2.Height);
    EXPECT_EQ(437 - 5, form.sbPower2.Left);
    // A larger video is centred on the screen.
    EXPECT_EQ((1024 - 437) / 2, form.Form.Left);
    EXPECT_EQ((768 - 243) / 2, form.Form.Top);
}

TEST_F(WindowLayoutTest, VideoAfterDraggingOffScreenComesBackAndMarksTheGeometry)
{
    // The user dragged the window partly off the left edge.
    form.State.WindowCentred = false;
    SetFormBounds(form, -100, 300, 195, 108);
    StartVideo(120, mpDefaultSize);   // 270 x 150, keeps the centre
    EXPECT_EQ(0, form.Form.Left);
    EXPECT_EQ(300 - (150 - 108) / 2, form.Form.Top);
    EXPECT_TRUE(form.State.GeometryDirty);
    EXPECT_FALSE(form.State.WindowCentred);
}

TEST_F(WindowLayoutTest, LargeVideoRecentresAWindowTheUserHadMoved)
{
    form.State.WindowCentred = false;
    SetFormBounds(form, 10, 10, 195, 108);
    StartVideo(240, mpDefaultSize);
    EXPECT_TRUE(form.State.WindowCentred);
    EXPECT_TRUE(form.State.GeometryDirty);
}

TEST_F(WindowLayoutTest, SameSizedVideoWhilePlayingDoesNotMoveTheWindow)
{
    StartVideo(240, mpDefaultSize);
    SetFormBounds(form, 7, 8, 437, 243);
    layout.ShowPlayingView();
    EXPECT_EQ(7, form.Form.Left);
    EXPECT_EQ(8, form.Form.Top);
}

TEST_F(WindowLayoutTest, NormalViewRestoresTheListLayoutAroundTheSameCentre)
{
    StartVideo(240, mpDefaultSize);   // 437 x 243 at (293, 262)
    form.sbStop.Enabled = false;
    layout.ShowNormalView();
    EXPECT_EQ(195, form.Form.Width);
    EXPECT_EQ(108, form.Form.Height);
    EXPECT_EQ(293 + (437 - 195) / 2, form.Form.Left);
    EXPECT_EQ(262 + (243 - 108) / 2, form.Form.Top);
    EXPECT_TRUE(form.NormalView());
    EXPECT_EQ(31, form.Gauge2.Top);
    EXPECT_EQ(1, form.Gauge2.Height);
    EXPECT_EQ(195, form.Gauge1.Width);
    EXPECT_EQ(SystemColour(COLOR_BACKGROUND), form.Gauge1.BackColor);
    EXPECT_EQ(form.BtnPanel.Color, form.Gauge1.ForeColor);
    EXPECT_FALSE(form.sbNext2.Visible || form.sbStop2.Visible || form.sbPower2.Visible);
    EXPECT_TRUE(form.BtnPanel.Visible);
    EXPECT_FALSE(form.VisPanel.Visible);
    EXPECT_EQ(-form.VdoPanel.Height, form.VdoPanel.Top);
    EXPECT_EQ(form.BtnPanel.Color, form.Form.Color);
    EXPECT_EQ(form.Form.Color, form.lbResize.Color);
    EXPECT_EQ(190, form.sbPower2.Left);
    EXPECT_TRUE(form.MList.Focused);
    // Both top corners are cut off, the rest of the top row is kept.
    EXPECT_FALSE(RegionContains(form, 0, 0));
    EXPECT_FALSE(RegionContains(form, 194, 0));
    EXPECT_TRUE(RegionContains(form, 1, 0));
    EXPECT_TRUE(RegionContains(form, 193, 0));
    EXPECT_TRUE(RegionContains(form, 0, 1));
    EXPECT_TRUE(RegionContains(form, 194, 107));
    EXPECT_FALSE(RegionContains(form, 195, 50));
}

TEST_F(WindowLayoutTest, NormalViewOfACollapsedWindowCentresOnTheScreen)
{
    form.MListPanel.Height = 137;
    SetFormBounds(form, 40, 40, 400, 0);
    layout.ShowNormalView();
    EXPECT_EQ((1024 - 195) / 2, form.Form.Left);
    EXPECT_EQ((768 - 173) / 2, form.Form.Top);
    EXPECT_EQ(173, form.Form.Height);
}

TEST_F(WindowLayoutTest, StripViewBeforeActivationWaitsForThePlacement)
{
    layout.ShowStripView();
    EXPECT_EQ(0, form.Form.Width);
    EXPECT_EQ(6, form.Form.Height);
    EXPECT_TRUE(form.StripView());
    EXPECT_TRUE(form.sbStop3.Visible && form.sbPower3.Visible);
    EXPECT_FALSE(form.BtnPanel.Visible);
    EXPECT_TRUE(form.Form.Region.empty());
    EXPECT_EQ(RGB(236, 233, 216), form.Form.Color);
    EXPECT_EQ(RGB(172, 168, 153), form.Gauge1.BackColor);
    EXPECT_EQ(RGB(255, 251, 240), form.Gauge1.ForeColor);
    EXPECT_EQ(form.Gauge1.ForeColor, form.Gauge2.BackColor);
    EXPECT_EQ(form.Form.Color, form.Gauge2.ForeColor);
    EXPECT_EQ(0, form.Gauge1.Top);
    EXPECT_EQ(2, form.Gauge1.Height);
    EXPECT_EQ(2, form.Gauge2.Top);
    EXPECT_EQ(4, form.Gauge2.Height);
    EXPECT_EQ(400, form.Gauge2.Width);
    EXPECT_TRUE(form.State.PlayerWasOpen);
}

TEST_F(WindowLayoutTest, StripViewAfterActivationSitsBelowTheWorkAreaCentre)
{
    screen.Work = {0, 0, 1024, 742};
    form.State.FormActivated = true;
    form.State.WindowCentred = false;
    form.Form.Tag = 1;
    layout.ShowStripView();
    EXPECT_EQ(512 - 200, form.Form.Left);
    EXPECT_EQ(371 + 43, form.Form.Top);
    EXPECT_EQ(400, form.Form.Width);
    EXPECT_EQ(6, form.Form.Height);
    EXPECT_TRUE(form.State.WindowCentred);
    EXPECT_TRUE(form.State.GeometryDirty);
    EXPECT_EQ(0, form.Form.Tag);
}

TEST_F(WindowLayoutTest, StripViewFromTheVideoViewPutsThePictureAwayAndHidesTheEdgeButtons)
{
    StartVideo(240, mpDefaultSize);
    layout.ShowStripView();
    EXPECT_EQ(108, form.VdoPanel.Top);
    EXPECT_FALSE(form.VisPanel.Visible);
    EXPECT_FALSE(form.sbNext2.Visible || form.sbStop2.Visible || form.sbPower2.Visible);

    // and back to a playing view: the strip buttons go, the line stays on top
    form.State.EngineKind = ekAudioEngine;
    layout.ShowPlayingView();
    EXPECT_FALSE(form.StripView());
    EXPECT_EQ(0, form.Gauge1.Top);
    EXPECT_EQ(1, form.Gauge2.Top);
    EXPECT_TRUE(form.sbNext2.Visible);
}

TEST_F(WindowLayoutTest, ClassicSystemsUseButtonFaceColours)
{
    ApplyClassicColourScheme(form);
    const TColor face = SystemColour(COLOR_BTNFACE);
    EXPECT_EQ(face, form.Form.Color);
    EXPECT_EQ(face, form.BtnPanel.Color);
    EXPECT_EQ(face, form.lbResize.Color);
    EXPECT_EQ(face, form.Gauge1.ForeColor);
    EXPECT_EQ(face, form.Gauge2.BackColor);

    form.State.IsNtFamily = false;
    form.State.EngineKind = ekAudioEngine;
    layout.ShowPlayingView();
    EXPECT_EQ(RGB(180, 188, 192), form.Gauge1.ForeColor);
    EXPECT_EQ(RGB(180, 188, 192), form.Gauge2.BackColor);
}

TEST_F(WindowLayoutTest, DragMarksTheGeometryOnlyWhenTheMoveLoopEnds)
{
    RecordingDrag drag;
    layout.SetWindowDrag(&drag);
    layout.Panel1MouseDown(TMouseButton::mbRight);
    EXPECT_EQ(0, drag.Moves);

    layout.Panel1MouseDown(TMouseButton::mbLeft);
    ASSERT_EQ(1, drag.Moves);
    EXPECT_FALSE(form.State.GeometryDirty);
    EXPECT_TRUE(form.State.WindowCentred);
    drag.Move();
    EXPECT_TRUE(form.State.GeometryDirty);
    EXPECT_FALSE(form.State.WindowCentred);
}

TEST_F(WindowLayoutTest, SizingSnapsTheListWhenTheLoopEnds)
{
    RecordingDrag drag;
    int fits = 0;
    layout.SetWindowDrag(&drag);
    layout.FitListHeight = [&] { ++fits; };

    layout.lbResizeMouseDown(TMouseButton::mbLeft);   // disabled strip: four rows or fewer
    EXPECT_EQ(0, drag.Sizes);

    form.lbResize.Enabled = true;
    layout.lbResizeMouseDown(TMouseButton::mbRight);
    EXPECT_EQ(0, drag.Sizes);
    layout.lbResizeMouseDown(TMouseButton::mbLeft);
    ASSERT_EQ(1, drag.Sizes);
    FollowSizing(form, 200);
    EXPECT_EQ(0, fits);
    drag.Size();
    EXPECT_EQ(1, fits);
    EXPECT_TRUE(form.State.GeometryDirty);
    EXPECT_FALSE(form.State.WindowCentred);
}

TEST_F(WindowLayoutTest, FollowSizingGrowsTheListPanelAndRenewsTheRegion)
{
    FollowSizing(form, 250);
    EXPECT_EQ(195, form.Form.Width);
    EXPECT_EQ(250, form.Form.Height);
    EXPECT_EQ(214, form.MListPanel.Height);
    EXPECT_EQ(209, form.lbResize.Top);
    EXPECT_EQ(209, form.pnRect.Height);
    EXPECT_TRUE(RegionContains(form, 100, 249));
    EXPECT_FALSE(RegionContains(form, 194, 0));
}

}  // namespace
}  // namespace quaverly
