#include "PlaylistFixture.h"

namespace quaverly::test {
namespace {

class PlaylistSizing : public PlaylistTest {
protected:
    void Rows(int n)
    {
        form.MList.Items.clear();
        for (int i = 0; i < n; ++i)
            form.MList.Items.push_back({"t", {"http://r/" + std::to_string(i)}, false});
    }
    int TitleWidth() const { return form.MList.Columns[0].Width; }
};

TEST_F(PlaylistSizing, FewRowsKeepTheSmallPanelAndNoResizeStrip)
{
    Rows(4);
    playlist.FitListHeight();
    EXPECT_EQ(72, form.MListPanel.Height);
    EXPECT_EQ(108, form.Form.Height);
    EXPECT_FALSE(form.lbResize.Enabled);
    EXPECT_EQ(143, TitleWidth());
    Rows(5);  // 5 * 13 + 7 = 72: they just fit
    playlist.FitListHeight();
    EXPECT_FALSE(form.lbResize.Enabled);
    EXPECT_EQ(143, TitleWidth());
    Rows(6);
    playlist.FitListHeight();
    EXPECT_TRUE(form.lbResize.Enabled);
    EXPECT_EQ(72, form.MListPanel.Height);
    EXPECT_EQ(126, TitleWidth());
}

TEST_F(PlaylistSizing, OverflowingRowsNarrowTheTitleColumn)
{
    Rows(20);
    playlist.FitListHeight();
    EXPECT_EQ(72, form.MListPanel.Height);
    EXPECT_EQ(126, TitleWidth());
}

TEST_F(PlaylistSizing, ATallWindowShrinksToItsRowsAndTheWorkAreaCapsIt)
{
    form.Form.Height = 400;
    Rows(10);
    playlist.FitListHeight();
    EXPECT_EQ(137, form.MListPanel.Height);
    EXPECT_EQ(173, form.Form.Height);
    EXPECT_TRUE(form.State.GeometryDirty);
    EXPECT_EQ(143, TitleWidth());
    EXPECT_GE(host.regionRefreshes, 1);

    host.workAreaHeight = 200;
    form.Form.Height = 400;
    Rows(100);
    playlist.FitListHeight();
    EXPECT_EQ(164, form.MListPanel.Height);
    EXPECT_EQ(126, TitleWidth());

    // Outside the normal view the panel height is the base and the window stays.
    form.Gauge1.Top = 0;
    form.Form.Height = 300;
    form.MListPanel.Height = 50;
    Rows(2);
    playlist.FitListHeight();
    EXPECT_EQ(72, form.MListPanel.Height);
    EXPECT_EQ(300, form.Form.Height);
}

TEST_F(PlaylistSizing, AFullListNarrowsTheTitleBeforeTheNextRow)
{
    Rows(4);
    form.MList.Columns[0].Width = 143;
    playlist.PrepareForNewRow();
    EXPECT_EQ(143, TitleWidth());
    Rows(5);  // (72 - 7) / 13 = 5 rows fit
    playlist.PrepareForNewRow();
    EXPECT_EQ(126, TitleWidth());
    EXPECT_TRUE(form.lbResize.Enabled);
}

TEST_F(PlaylistSizing, AWiderScrollBarMovesTheTitleMinimum)
{
    Rows(20);
    playlist.FitListHeight();
    host.scrollBarWidth = 20;
    playlist.OnSettingChange(7);
    EXPECT_EQ(126, form.MList.Columns[0].MinWidth);
    playlist.OnSettingChange(42);
    EXPECT_EQ(123, form.MList.Columns[0].MinWidth);
    EXPECT_EQ(123, TitleWidth());
    host.scrollBarWidth = 14;  // never below the 17 of the form resource
    Rows(2);
    form.MList.Columns[0].Width = 143;
    playlist.OnSettingChange(42);
    EXPECT_EQ(126, form.MList.Columns[0].MinWidth);
    EXPECT_EQ(143, TitleWidth());
}

TEST_F(PlaylistSizing, CreditViewShrinksATallWindowAndShowsItsThreeRows)
{
    form.Form.Height = 300;
    form.MListPanel.Height = 264;
    form.lbResize.Visible = form.lbResize.Enabled = true;
    playlist.ShowCredit();
    EXPECT_EQ(108, form.Form.Height);
    EXPECT_EQ(72, form.MListPanel.Height);
    EXPECT_TRUE(form.State.GeometryDirty);
    EXPECT_FALSE(form.lbResize.Visible);
    EXPECT_EQ(clBlack, form.Form.Color);
    EXPECT_EQ(143, TitleWidth());
    EXPECT_EQ(3, form.MList.Count());
    playlist.LeaveCredit();
    EXPECT_EQ(RGB(1, 2, 3), form.Form.Color);
    EXPECT_TRUE(form.lbResize.Visible);
    EXPECT_TRUE(form.sbPlay.Visible);
    EXPECT_FALSE(form.sbAbout.Visible);
    EXPECT_TRUE(form.MList.Focused);
}

}  // namespace
}  // namespace quaverly::test
