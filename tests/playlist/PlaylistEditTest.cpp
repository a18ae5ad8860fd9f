#include <unistd.h>

#include "PlaylistFixture.h"

namespace quaverly::test {
namespace {

using Strings = std::vector<std::string>;

class PlaylistEdit : public PlaylistTest {
protected:
    // Fills the list through the dialog with existing files and clears the log.
    void Fill(const Strings &names)
    {
        Strings paths;
        for (const auto &n : names)
            paths.push_back(Media(n));
        dialogs.answers.push_back(paths);
        playlist.sbAddClick();
        log.calls.clear();
    }
};

TEST_F(PlaylistEdit, AddShowsTheDialogWithItsFilterAndFolderAndAddsSortedRows)
{
    playlist.ShowCredit();
    const std::string other = folder / "sub/";
    WriteBytes(other + "b.mp3", "x");
    WriteBytes(other + "A.mid", "x");
    dialogs.answers.push_back(Strings{other + "b.mp3", other + "A.mid", other + "b.mp3"});
    form.State.Timer2Enabled = true;
    playlist.sbAddClick();

    EXPECT_EQ(TPlaylist::OpenDialogFilter, dialogs.lastFilter);
    EXPECT_EQ(0u, dialogs.lastFilter.find("媒体文件(所有类型)|*.mid;*.rmi;"));
    EXPECT_NE(std::string::npos, dialogs.lastFilter.find("|播放列表(M3U)|*.m3u|所有文件(*)|*.*"));
    EXPECT_EQ(folder.path(), dialogs.lastInitialDir);
    EXPECT_EQ((Strings{"A", "b"}), Titles());
    EXPECT_EQ((Strings{other + "A.mid", other + "b.mp3"}), Paths());
    EXPECT_EQ(1u, form.MList.Items[0].SubItems.size());
    // The credit view was left, the dialog folder moved, the list saved.
    EXPECT_FALSE(form.CreditShown());
    EXPECT_TRUE(form.sbPlay.Visible);
    EXPECT_EQ(other, form.State.OpenDialogInitialDir);
    EXPECT_EQ(1, host.settingsForced);
    EXPECT_EQ(folder / "newlist1.m3u", form.State.PlaylistPath);
    EXPECT_FALSE(form.State.PlaylistDirty);
    EXPECT_TRUE(form.State.Timer2Enabled);
    EXPECT_EQ("#EXTM3U\r\n" + other + "A.mid\r\n" + other + "b.mp3\r\n", ReadBytes(folder / "newlist1.m3u"));
    // Sequential order: the first dialog file is selected (b, now row 1).
    EXPECT_EQ(1, form.MList.FirstSelected());
    EXPECT_EQ(1, form.MList.ScrollRequest);
    EXPECT_EQ((Strings{"UpdateMidiButtons"}), log.calls);
}

TEST_F(PlaylistEdit, CancelledDialogOnlySavesWhatChanged)
{
    Fill({"a.mp3"});
    playlist.sbOrderClick();
    form.State.Timer2Enabled = true;
    dialogs.answers.push_back(std::nullopt);
    playlist.sbAddClick();
    EXPECT_TRUE(form.State.Timer2Enabled);
    EXPECT_EQ("#EXTM3U Random\r\n", ReadBytes(form.State.PlaylistPath).substr(0, 16));
    EXPECT_TRUE(form.State.SavedRandom);
}

TEST_F(PlaylistEdit, TheSameFileUnderAnyTextIsRefusedAndTheExistingRowIsTaken)
{
    Fill({"a.mp3", "b.mp3"});
    ASSERT_EQ(0, ::symlink((folder / "b.mp3").c_str(), (folder / "link.mp3").c_str()));
    const int writes = files.writes;
    for (const std::string &same : {folder / "b.mp3", folder.path() + "./b.mp3", folder / "link.mp3"}) {
        dialogs.answers.push_back(Strings{same});
        playlist.sbAddClick();
        EXPECT_EQ(2, form.MList.Count()) << same;
        EXPECT_EQ(1, form.MList.FirstSelected()) << same;
        EXPECT_EQ(1, form.State.NextIndex) << same;
    }
    EXPECT_EQ(writes, files.writes);  // nothing changed, nothing written

    // A name that differs in case is another file; both stay, also when the
    // dialog hands the same file twice in one choice.
    dialogs.answers.push_back(Strings{Media("B.mp3"), folder / "B.mp3", folder.path() + "/B.mp3"});
    playlist.sbAddClick();
    EXPECT_EQ((Strings{folder / "a.mp3", folder / "b.mp3", folder / "B.mp3"}), Paths());
    EXPECT_EQ(writes + 1, files.writes);
}

TEST_F(PlaylistEdit, RandomOrderWhileStoppedSelectsARandomAddedFile)
{
    Fill({"z.mp3"});
    playlist.sbOrderClick();
    random.values = {2};
    dialogs.answers.push_back(Strings{Media("c.mp3"), Media("a.mp3"), Media("b.mp3")});
    playlist.sbAddClick();
    EXPECT_EQ(3, random.ranges.back());
    ASSERT_EQ(1, form.MList.SelCount());
    EXPECT_EQ("b", form.MList.Items[size_t(form.MList.FirstSelected())].Caption);
}

TEST_F(PlaylistEdit, AddingWhilePlayingKeepsThePlayingRowSelectedAndCurrent)
{
    Fill({"m.mp3", "n.mp3"});
    StartPlaying(1);  // n
    playlist.sbOrderClick();
    dialogs.answers.push_back(Strings{Media("a.mp3")});
    playlist.sbAddClick();
    EXPECT_TRUE(random.ranges.empty());  // no random pick while playing
    EXPECT_EQ((Strings{"a", "m", "n"}), Titles());
    EXPECT_EQ(2, form.State.CurrentIndex);
    EXPECT_EQ(2, form.MList.FirstSelected());
    EXPECT_EQ(1, form.MList.SelCount());
}

TEST_F(PlaylistEdit, RightClickReplacesTheListAndSavesToANewDefaultFile)
{
    Fill({"old1.mp3", "old2.mp3"});
    const std::string first = form.State.PlaylistPath;
    dialogs.answers.push_back(Strings{Media("c.mp3"), Media("a.mp3"), Media("b.mp3")});
    playlist.MListMouseUp(true);
    EXPECT_EQ((Strings{"a", "b", "c"}), Titles());
    EXPECT_EQ(folder / "newlist2.m3u", form.State.PlaylistPath);
    EXPECT_TRUE(FileThere(first));  // the old list stays as it was
    EXPECT_EQ(0, form.State.ReplaceOnAdd);
    EXPECT_EQ(3u, Paths().size());
    // A left button release does nothing.
    playlist.MListMouseUp(false);
    EXPECT_EQ(2, dialogs.openCount);
}

TEST_F(PlaylistEdit, UserCommandsWaitWhileConnecting)
{
    Fill({"a.mp3"});
    form.State.Connecting = true;
    form.State.Timer2Enabled = true;
    playlist.sbAddClick();
    form.MList.Items.Select(0);
    playlist.MListDblClick();
    EXPECT_EQ(1, dialogs.openCount);
    EXPECT_TRUE(form.State.Timer2Enabled);
    EXPECT_TRUE(log.calls.empty());
}

TEST_F(PlaylistEdit, DoubleClickPlaysAndSwallowsTheReleaseOnThePlayingView)
{
    Fill({"a.mp3", "b.mp3"});
    form.MList.ClearSelection();
    playlist.MListDblClick();
    EXPECT_TRUE(log.calls.empty());
    form.MList.Items.Select(1);
    form.VisPanel.Visible = true;
    playlist.MListDblClick();
    EXPECT_EQ((Strings{"PlaySelected", "PlayCurrentItem"}), log.calls);
    EXPECT_TRUE(form.State.IgnoreNextMouseUp);
}

TEST_F(PlaylistEdit, DeletingTheOnlyRowShowsTheCreditAndDeletesTheProgramFolderList)
{
    Fill({"a.mp3"});
    const std::string path = form.State.PlaylistPath;
    ASSERT_TRUE(FileThere(path));
    form.MList.ClearSelection();
    playlist.pmDelClick();
    EXPECT_TRUE(form.CreditShown());
    EXPECT_FALSE(FileThere(path));
    EXPECT_EQ(path, form.State.PlaylistPath);
    EXPECT_FALSE(form.State.PlaylistDirty);
    ASSERT_EQ(3, form.MList.Count());
    EXPECT_EQ(TPlaylist::CreditTitle, form.MList.Items[2].Caption);
    EXPECT_EQ("制作 ", form.MList.Items[2].SubItems[2]);
    EXPECT_FALSE(form.sbPlay.Visible);
    EXPECT_FALSE(form.sbOrder.Enabled);
    EXPECT_FALSE(form.MListPanel.Enabled);
    // The credit view ignores Delete.
    playlist.pmDelClick();
    EXPECT_EQ(3, form.MList.Count());
}

TEST_F(PlaylistEdit, EmptyingAListKeptOutsideTheProgramFolderKeepsItsFile)
{
    const std::string elsewhere = folder / "mine/list.m3u";
    WriteBytes(elsewhere, "#EXTM3U\r\nhttp://a/1\r\n");
    form.State.PlaylistPath = elsewhere;
    playlist.LoadPlaylist();
    ASSERT_EQ(1, form.MList.Count());
    playlist.pmDelClick();
    EXPECT_TRUE(form.CreditShown());
    EXPECT_TRUE(FileThere(elsewhere));
}

TEST_F(PlaylistEdit, DeletingThePlayingRowPlaysTheRowTakingItsPlace)
{
    Fill({"a.mp3", "b.mp3", "c.mp3", "d.mp3"});
    StartPlaying(1);
    playlist.pmDelClick();  // b is selected and playing
    EXPECT_EQ((Strings{"a", "c", "d"}), Titles());
    EXPECT_EQ((Strings{"StopPlayback", "PlayCurrentItem"}), log.calls);
    EXPECT_EQ(1, controller.playedIndex);
    EXPECT_EQ(1, form.State.CurrentIndex);
    EXPECT_FALSE(form.State.Timer1Enabled);
    EXPECT_FALSE(form.State.PlaylistDirty);  // saved
    EXPECT_EQ(std::string::npos, ReadBytes(form.State.PlaylistPath).find("b.mp3"));

    // The rows at the end: the new last row plays.
    StartPlaying(2);
    form.MList.Items.Select(1);
    playlist.pmDelClick();
    EXPECT_EQ((Strings{"a"}), Titles());
    EXPECT_EQ(0, form.State.CurrentIndex);
}

TEST_F(PlaylistEdit, DeletingOtherRowsKeepsPlayingAndFollowsThePlayingRow)
{
    Fill({"a.mp3", "b.mp3", "c.mp3", "d.mp3"});
    form.sbNormal.Enabled = form.sbLevel.Enabled = true;
    StartPlaying(3);
    form.MList.ClearSelection();
    form.MList.Items.Select(0);
    form.MList.Items.Select(1);
    playlist.pmDelClick();
    EXPECT_EQ((Strings{"c", "d"}), Titles());
    EXPECT_EQ(1, form.State.CurrentIndex);
    EXPECT_EQ(1, form.State.NextIndex);
    EXPECT_EQ(1, form.MList.FirstSelected());
    EXPECT_EQ((Strings{"UpdateMidiButtons"}), log.calls);
    EXPECT_EQ(0, form.State.ShufflePos);
}

TEST_F(PlaylistEdit, DeletingWithNothingSelectedOrOutsideTheNormalViewDoesNothing)
{
    Fill({"a.mp3", "b.mp3"});
    form.MList.ClearSelection();
    playlist.pmDelClick();
    EXPECT_EQ(2, form.MList.Count());
    form.MList.Items.Select(0);
    form.Gauge1.Top = 0;
    playlist.pmDelClick();
    EXPECT_EQ(2, form.MList.Count());
}

TEST_F(PlaylistEdit, DeletingTheLastRowWhilePlayingStops)
{
    Fill({"a.mp3"});
    StartPlaying(0);
    form.State.Timer1Enabled = true;
    playlist.pmDelClick();
    EXPECT_EQ((Strings{"StopPlayback", "ShowStoppedState"}), log.calls);
    EXPECT_FALSE(form.State.Timer1Enabled);
}

TEST_F(PlaylistEdit, OrderAndExternalMidiButtonsSwapVisibility)
{
    playlist.sbOrderClick();
    EXPECT_TRUE(form.RandomOrder());
    EXPECT_FALSE(form.sbOrder.Visible);
    playlist.sbRandomClick();
    EXPECT_FALSE(form.RandomOrder());
    EXPECT_TRUE(form.sbOrder.Visible);
    playlist.sbNormalClick();
    EXPECT_TRUE(form.ExternalMidiMode());
    EXPECT_FALSE(form.sbNormal.Visible);
    EXPECT_EQ((Strings{"BackupExternalPlayerSettings"}), log.calls);
    playlist.sbLevelClick();
    EXPECT_FALSE(form.ExternalMidiMode());
    EXPECT_TRUE(form.sbNormal.Visible);
}

TEST_F(PlaylistEdit, RevealPutsTheSelectionBackOnTheCurrentRow)
{
    Fill({"a.mp3", "b.mp3", "c.mp3"});
    form.State.CurrentIndex = 2;
    form.MList.ClearSelection();
    playlist.RevealCurrentItem();
    EXPECT_EQ(2, form.MList.FirstSelected());
    EXPECT_EQ(2, form.MList.ScrollRequest);
    // Another row selected: kept, unless a network item is connecting.
    form.MList.ClearSelection();
    form.MList.Items.Select(0);
    playlist.RevealCurrentItem();
    EXPECT_EQ(0, form.MList.FirstSelected());
    form.State.Connecting = true;
    playlist.RevealCurrentItem();
    EXPECT_EQ(2, form.MList.FirstSelected());
    EXPECT_EQ(1, form.MList.SelCount());
}

TEST_F(PlaylistEdit, SortIsCaseAwareAndCarriesSelectionAndFocus)
{
    form.MList.Items = {{"b", {"/b"}, false}, {"Apple", {"/A"}, true}, {"apple", {"/a"}, false}, {"Zed", {"/z"}, false}};
    form.MList.ItemFocused = 1;
    const std::vector<int> order = playlist.SortByTitle();
    EXPECT_EQ((Strings{"apple", "Apple", "b", "Zed"}), Titles());
    EXPECT_EQ((std::vector<int>{2, 1, 0, 3}), order);
    EXPECT_EQ(1, form.MList.FirstSelected());
    EXPECT_EQ(1, form.MList.ItemFocused);
}

TEST_F(PlaylistEdit, IndexOfPathFindsTheSameFileButNotAnotherCase)
{
    const std::string upper = Media("A.mp3"), lower = Media("a.mp3");
    form.MList.Items = {{"x", {"HTTP://h/x"}, false}, {"A", {upper}, false}, {"a", {lower}, false},
                        {"gone", {"/no/such/B.mp3"}, false}};
    EXPECT_EQ(1, playlist.IndexOfPath(upper));
    EXPECT_EQ(2, playlist.IndexOfPath(lower));
    EXPECT_EQ(2, playlist.IndexOfPath(folder.path() + "/./a.mp3"));
    EXPECT_EQ(3, playlist.IndexOfPath("/no/such/B.mp3"));
    EXPECT_EQ(-1, playlist.IndexOfPath("/no/such/b.mp3"));
    // A URL's scheme has no case.
    EXPECT_EQ(0, playlist.IndexOfPath("http://h/x"));
    EXPECT_EQ(-1, playlist.IndexOfPath("http://h/X"));
}

}  // namespace
}  // namespace quaverly::test
