#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "ui/DisplayModeClicks.h"

namespace quaverly {
namespace {

struct RecordingDisplay final : ISpectrumDisplay {
    std::vector<std::string> Log;
    void InitSpectrumBitmaps() override { Log.push_back("Init"); }
    void DrawSpectrumFrame(const TBandOut &) override { Log.push_back("Draw"); }
    void FreeSpectrumBitmaps() override { Log.push_back("Free"); }
    void ClearSpectrum() override { Log.push_back("ClearSpectrum"); }
    void ClearPeaks() override { Log.push_back("ClearPeaks"); }
};

class DisplayModeClicksTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitFormResource(form);
        form.State.DisplayMode = 3;
        form.State.DisplayModeSetting = 3;
    }
    void LeftUp(TControlId on = TControlId::VisBox, int x = 10, int y = 10)
    {
        clicks.VisPanelMouseUp(on, TMouseButton::mbLeft, x, y);
    }

    TFormModel form;
    RecordingDisplay display;
    TDisplayModeClicks clicks{form, display};
};

TEST_F(DisplayModeClicksTest, SixLeftClicksReturnToTheStartModeAndAFixedSettingFollows)
{
    clicks.VisPanelMouseUp(TControlId::VisBox, TMouseButton::mbRight, 10, 10);
    clicks.VisPanelMouseUp(TControlId::lbTitle, TMouseButton::mbMiddle, 10, 5);
    EXPECT_EQ(3, form.State.DisplayMode);

    std::vector<int> seen;
    const TControlId senders[] = {TControlId::VisBox, TControlId::VisPanel, TControlId::lbTitle,
                                  TControlId::lbTime, TControlId::VisBox, TControlId::VisPanel};
    for (TControlId sender : senders) {
        LeftUp(sender, 2, 2);
        seen.push_back(form.State.DisplayMode);
        EXPECT_EQ(form.State.DisplayMode, form.State.DisplayModeSetting);
    }
    EXPECT_EQ((std::vector<int>{4, 5, 6, 1, 2, 3}), seen);
}

TEST_F(DisplayModeClicksTest, RandomSettingIsNotSaved)
{
    for (int setting : {8, 9}) {
        form.State.DisplayModeSetting = setting;
        LeftUp();
        EXPECT_EQ(setting, form.State.DisplayModeSetting);
    }
    EXPECT_EQ(5, form.State.DisplayMode);
}

TEST_F(DisplayModeClicksTest, EnteringTheHistoryModeKeepsTheWaterfallButRestartsTheRings)
{
    form.State.DisplayMode = 5;
    form.State.IsNtFamily = true;
    LeftUp();
    EXPECT_EQ((std::vector<std::string>{"ClearPeaks"}), display.Log);

    form.State.IsNtFamily = false;
    LeftUp();   // 6 -> 1 clears nothing
    for (int i = 0; i < 5; ++i)
        LeftUp();
    EXPECT_EQ((std::vector<std::string>{"ClearPeaks", "ClearSpectrum"}), display.Log);
}

TEST_F(DisplayModeClicksTest, ReleaseAwayFromTheViewChangesNothing)
{
    // VisBox stands at (8, 12) in the 187 x 105 panel.
    LeftUp(TControlId::VisBox, -9, 10);
    LeftUp(TControlId::VisBox, 179, 10);
    LeftUp(TControlId::VisBox, 10, 93);
    LeftUp(TControlId::VisPanel, 187, 0);
    EXPECT_EQ(3, form.State.DisplayMode);
    LeftUp(TControlId::VisBox, 178, 92);   // the panel's last pixel (186, 104)
    EXPECT_EQ(4, form.State.DisplayMode);
}

TEST_F(DisplayModeClicksTest, ReleaseOfTheStartingDoubleClickIsPassedOverOnce)
{
    form.State.IgnoreNextMouseUp = true;
    clicks.VisPanelMouseUp(TControlId::VisBox, TMouseButton::mbRight, 10, 10);
    EXPECT_TRUE(form.State.IgnoreNextMouseUp);   // only the left button's release counts
    LeftUp();
    EXPECT_FALSE(form.State.IgnoreNextMouseUp);
    EXPECT_EQ(3, form.State.DisplayMode);
    LeftUp();
    EXPECT_EQ(4, form.State.DisplayMode);

    // Moving with the button held keeps the guard; moving without it drops it.
    form.State.IgnoreNextMouseUp = true;
    clicks.VisPanelMouseMove(ssLeft);
    EXPECT_TRUE(form.State.IgnoreNextMouseUp);
    clicks.VisPanelMouseMove(ssShift);
    EXPECT_FALSE(form.State.IgnoreNextMouseUp);
    LeftUp();
    EXPECT_EQ(5, form.State.DisplayMode);
}

}  // namespace
}  // namespace quaverly
