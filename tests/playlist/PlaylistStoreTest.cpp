#include "PlaylistFixture.h"
#include "core/PathText.h"

#include <algorithm>

namespace quaverly::test {
namespace {

using Strings = std::vector<std::string>;

class PlaylistStore : public PlaylistTest {
protected:
    void Load(const std::string &path)
    {
        form.State.PlaylistPath = path;
        playlist.LoadPlaylist();
    }
};

TEST_F(PlaylistStore, LoadSortsSetsFlagsAndPicksARandomRow)
{
    const std::string a = Media("a.mp3"), b = Media("b.mid");
    controller.midiAvailable = true;
    playlist.ShowCredit();
    WriteBytes(folder / "l.m3u", "#EXTM3U Random,VisMIDI\r\n#EXTINF:62,Zulu\r\n" + a + "\r\n" + b +
                                     "\r\nhttp://radio/x\r\n");
    random.values = {0};
    Load(folder / "l.m3u");
    EXPECT_EQ((Strings{"b", "http://radio/x", "Zulu"}), Titles());
    EXPECT_EQ(3, random.ranges.back());
    EXPECT_EQ(0, form.State.NextIndex);  // the number, though the row moved
    EXPECT_EQ("Zulu", form.MList.Items[size_t(form.MList.FirstSelected())].Caption);
    EXPECT_TRUE(form.RandomOrder());
    EXPECT_FALSE(form.sbOrder.Visible);
    EXPECT_TRUE(form.ExternalMidiMode());
    EXPECT_TRUE(form.State.SavedRandom);
    EXPECT_TRUE(form.State.SavedVisMidi);
    EXPECT_FALSE(form.CreditShown());
    EXPECT_FALSE(form.State.PlaylistDirty);
    EXPECT_EQ((Strings{"UpdateMidiButtons", "BackupExternalPlayerSettings"}), log.calls);
    EXPECT_EQ(0, form.State.ShufflePos);
}

TEST_F(PlaylistStore, UnusableFileInTheProgramFolderIsDeletedOnlyWithoutAnyEntry)
{
    WriteBytes(folder / "empty.m3u", "#EXTM3U Random\r\n#EXTINF:5,No path\r\n");
    Load(folder / "empty.m3u");
    ASSERT_EQ(1u, dialogs.messages.size());
    EXPECT_EQ("该文件已失效,即将删除之!", dialogs.messages[0].text);
    EXPECT_EQ(folder / "empty.m3u", dialogs.messages[0].caption);
    EXPECT_FALSE(FileThere(folder / "empty.m3u"));
    EXPECT_TRUE(form.State.PlaylistPath.empty());
    EXPECT_TRUE(form.CreditShown());
    EXPECT_EQ(1, host.broughtToFront);

    // Elsewhere: reported, kept.
    WriteBytes(folder / "keep/only-header.m3u", "#EXTM3U\r\n");
    Load(folder / "keep/only-header.m3u");
    EXPECT_EQ("该文件已失效!", dialogs.messages.back().text);
    EXPECT_TRUE(FileThere(folder / "keep/only-header.m3u"));

    // Entries that are all missing, in a folder that is there or not: the
    // list is reported and kept, whatever folder it lies in.
    std::filesystem::create_directories(folder / "m");
    for (const std::string &entry : {folder / "m/gone.mp3", folder / "not-mounted/a.mp3"}) {
        const std::string bytes = "#EXTM3U\r\n" + entry + "\r\n";
        WriteBytes(folder / "missing.m3u", bytes);
        Load(folder / "missing.m3u");
        EXPECT_EQ("该文件已失效!", dialogs.messages.back().text) << entry;
        EXPECT_EQ(bytes, ReadBytes(folder / "missing.m3u")) << entry;
        EXPECT_TRUE(form.State.PlaylistPath.empty());
        EXPECT_TRUE(form.CreditShown());
    }

    // The program folder is compared as a file, not as a text without case:
    // a list in another folder whose name differs only in case is kept.
    const std::string program = folder / "quaverly/", other = folder / "Quaverly/";
    std::filesystem::create_directories(program);
    WriteBytes(other + "empty.m3u", "#EXTM3U\r\n");
    form.State.ProgramFolder = program;
    Load(other + "empty.m3u");
    EXPECT_EQ("该文件已失效!", dialogs.messages.back().text);
    EXPECT_TRUE(FileThere(other + "empty.m3u"));
    // Under another spelling of the program folder it goes.
    form.State.ProgramFolder = folder.path() + "./Quaverly";
    Load(other + "empty.m3u");
    EXPECT_EQ("该文件已失效,即将删除之!", dialogs.messages.back().text);
    EXPECT_FALSE(FileThere(other + "empty.m3u"));
}

TEST_F(PlaylistStore, UnreadableFileEndsTheCommandWithAMessageAndKeepsTheFile)
{
    std::filesystem::create_directories(folder / "folder.m3u");
    Load(folder / "folder.m3u");
    ASSERT_EQ(1u, dialogs.messages.size());
    EXPECT_EQ(TPlaylist::UnreadableText, dialogs.messages[0].text);
    EXPECT_TRUE(form.State.PlaylistPath.empty());
    EXPECT_TRUE(form.CreditShown());
    EXPECT_TRUE(files.removed.empty());

    // Through the open command while playing: playback stops, nothing is written.
    const std::string list = folder / "other/locked.m3u";
    WriteBytes(list, "#EXTM3U\r\nhttp://a/1\r\n");
    form.MList.Items = {{"x", {"http://x/"}, true}};
    form.sbAbout.Visible = false;
    form.sbStop.Enabled = true;
    files.failReads = true;
    dialogs.answers.push_back(Strings{list});
    playlist.sbAddClick();
    EXPECT_EQ((Strings{"StopPlayback", "ShowStoppedState"}), log.calls);
    EXPECT_EQ("#EXTM3U\r\nhttp://a/1\r\n", ReadBytes(list));
    EXPECT_EQ(0, files.writes);
    EXPECT_TRUE(form.State.Timer2Enabled);
}

TEST_F(PlaylistStore, SaveWithOnlyTheOrderChangedRewritesOnlyTheHeader)
{
    const std::string a = Media("a.mp3");
    const std::string body = "#EXTINF:5,a\n" + a + "\r\n#EXTINF:7,b\r\nhttp://x/b\r\n";
    WriteBytes(folder / "l.m3u", "#EXTM3U\r\n" + body);
    Load(folder / "l.m3u");
    ASSERT_FALSE(form.State.PlaylistDirty);
    playlist.sbOrderClick();
    playlist.SavePlaylistIfChanged();
    EXPECT_EQ("#EXTM3U Random\r\n" + body, ReadBytes(folder / "l.m3u"));
    EXPECT_TRUE(form.State.SavedRandom);
    // Nothing changed now: no write at all.
    const int writes = files.writes;
    playlist.SavePlaylistIfChanged();
    EXPECT_EQ(writes, files.writes);
}

TEST_F(PlaylistStore, OrderToggledOnAFileWithoutHeaderPutsTheHeaderInFront)
{
    const std::string a = Media("a.mp3"), b = Media("b.mp3");
    WriteBytes(folder / "l.m3u", a + "\n" + b + "\n");
    Load(folder / "l.m3u");
    playlist.sbOrderClick();
    playlist.SavePlaylistIfChanged();
    EXPECT_EQ("#EXTM3U Random\r\n" + a + "\n" + b + "\n", ReadBytes(folder / "l.m3u"));
}

TEST_F(PlaylistStore, VisMidiReachesTheHeaderOnlyWhenItsButtonIsEnabled)
{
    form.MList.Items = {{"a", {"http://a/"}, false}};
    form.State.PlaylistDirty = true;
    form.State.PlaylistPath = folder / "l.m3u";
    form.sbLevel.Visible = true;
    form.sbNormal.Visible = false;
    playlist.SavePlaylist();
    EXPECT_EQ("#EXTM3U\r\nhttp://a/\r\n", ReadBytes(folder / "l.m3u"));
    EXPECT_TRUE(form.State.SavedVisMidi);
    form.sbLevel.Enabled = true;
    playlist.sbOrderClick();
    playlist.SavePlaylistIfChanged();
    EXPECT_EQ("#EXTM3U Random,VisMIDI\r\nhttp://a/\r\n", ReadBytes(folder / "l.m3u"));
}

TEST_F(PlaylistStore, DirtyListIsRewrittenWholeAndReadsBackTheSame)
{
    const std::string a = Media("a.mp3"), b = Media("b.mp3"), c = Media("c.mp3");
    WriteBytes(folder / "l.m3u",
               "#EXTM3U VisMIDI\r\n#EXTINF:,NoTime\r\n" + a + "\r\n#EXTINF:Unknown\r\n" + b +
                   "\r\n#junk\r\n#EXTINF:200,Long\r\n" + c + "\r\n" + folder.path() + "gone.mp3\r\n" +
                   "HTTP://S/1\r\n#EXTINF:9,Twice\r\nhttp://S/1\r\n");
    Load(folder / "l.m3u");
    ASSERT_TRUE(form.State.PlaylistDirty);
    const auto rows = form.MList.Items;
    playlist.SavePlaylist();
    EXPECT_FALSE(form.State.PlaylistDirty);
    // Sorted by title: HTTP://S/1, Long, NoTime (no duration: no info line), Unknown.
    EXPECT_EQ("#EXTM3U\r\nHTTP://S/1\r\n#EXTINF:200,Long\r\n" + c + "\r\n" + a + "\r\n#EXTINF:0,Unknown\r\n" + b + "\r\n",
              ReadBytes(folder / "l.m3u"));
    Load(folder / "l.m3u");
    EXPECT_FALSE(form.State.PlaylistDirty);
    ASSERT_EQ(rows.size(), form.MList.Items.size());
    for (const auto &row : rows) {
        const int i = playlist.IndexOfPath(row.SubItems[0]);
        ASSERT_GE(i, 0);
        EXPECT_EQ(row.SubItems, form.MList.Items[size_t(i)].SubItems);
        if (row.SubItems.size() >= 2) {
            EXPECT_EQ(row.Caption, form.MList.Items[size_t(i)].Caption);
        }
    }
    EXPECT_EQ("a", form.MList.Items[size_t(playlist.IndexOfPath(a))].Caption);
}

TEST_F(PlaylistStore, NewListsTakeTheFirstFreeDefaultName)
{
    WriteBytes(folder / "newlist1.m3u", "#EXTM3U\r\nhttp://k/\r\n");
    WriteBytes(folder / "newlist2.m3u", "#EXTM3U\r\nhttp://k/\r\n");
    form.MList.Items = {{"a", {"http://a/"}, false}};
    form.State.PlaylistDirty = true;
    playlist.SavePlaylist();
    EXPECT_EQ(folder / "newlist3.m3u", form.State.PlaylistPath);
    EXPECT_EQ("#EXTM3U\r\nhttp://a/\r\n", ReadBytes(folder / "newlist3.m3u"));
}

TEST_F(PlaylistStore, FailedWriteKeepsTheOldFileAndTheListDirty)
{
    WriteBytes(folder / "l.m3u", "#EXTM3U\r\nhttp://old/\r\n");
    form.State.PlaylistPath = folder / "l.m3u";
    form.MList.Items = {{"a", {"http://new/"}, false}};
    form.State.PlaylistDirty = true;
    files.failWrites = true;
    playlist.SavePlaylist();
    EXPECT_TRUE(form.State.PlaylistDirty);
    EXPECT_EQ("#EXTM3U\r\nhttp://old/\r\n", ReadBytes(folder / "l.m3u"));
    // A failed header rewrite leaves the saved flags, so the next save retries.
    form.State.PlaylistDirty = false;
    playlist.sbOrderClick();
    playlist.SavePlaylistIfChanged();
    EXPECT_FALSE(form.State.SavedRandom);
    files.failWrites = false;
    playlist.SavePlaylistIfChanged();
    EXPECT_TRUE(form.State.SavedRandom);
    EXPECT_EQ("#EXTM3U Random\r\nhttp://old/\r\n", ReadBytes(folder / "l.m3u"));
}

TEST_F(PlaylistStore, AtomicWriteLeavesNoTemporaryFileAndKeepsTheMode)
{
    TPosixPlaylistFiles real;
    const std::string path = folder / "m.m3u";
    WriteBytes(path, "old");
    std::filesystem::permissions(path, std::filesystem::perms(0640));
    ASSERT_TRUE(real.WriteAtomic(path, "new"));
    EXPECT_EQ("new", ReadBytes(path));
    EXPECT_EQ(std::filesystem::perms(0640), std::filesystem::status(path).permissions() & std::filesystem::perms::all);
    int entries = 0;
    for ([[maybe_unused]] const auto &e : std::filesystem::directory_iterator(folder.path()))
        ++entries;
    EXPECT_EQ(1, entries);
    EXPECT_FALSE(real.WriteAtomic(folder / "no/such/folder/x.m3u", "x"));
    EXPECT_FALSE(real.WriteAtomic("", "x"));
}

TEST_F(PlaylistStore, NothingIsSavedInTheCreditViewOrForASingleFileStart)
{
    form.MList.Items = {{"a", {"http://a/"}, false}};
    form.State.PlaylistDirty = true;
    form.State.StartMode = 2;
    playlist.SavePlaylist();
    playlist.ShowCredit();
    form.State.StartMode = 0;
    playlist.SavePlaylist();
    EXPECT_EQ(0, files.writes);
}

TEST_F(PlaylistStore, OpeningAListFromAnotherFolderCopiesItIntoTheProgramFolder)
{
    const std::string a = Media("a.mp3");
    const std::string original = "#EXTM3U\r\n" + a + "\r\nhttp://x/\r\n";
    const std::string elsewhere = folder / "away/Fav.m3u";
    WriteBytes(elsewhere, original);
    WriteBytes(folder / "Fav.m3u", "#EXTM3U\r\nhttp://taken/\r\n");
    WriteBytes(folder / "Fav2.m3u", "#EXTM3U\r\nhttp://taken/\r\n");
    dialogs.answers.push_back(Strings{elsewhere});
    playlist.sbAddClick();
    EXPECT_EQ(folder / "Fav3.m3u", form.State.PlaylistPath);
    EXPECT_EQ(original, ReadBytes(elsewhere));
    EXPECT_EQ("#EXTM3U\r\nhttp://taken/\r\n", ReadBytes(folder / "Fav.m3u"));
    EXPECT_EQ("#EXTM3U\r\n" + a + "\r\nhttp://x/\r\n", ReadBytes(folder / "Fav3.m3u"));

    // Opening the list that is loaded changes nothing.
    form.State.Timer2Enabled = false;
    const int writes = files.writes;
    dialogs.answers.push_back(Strings{folder.path() + "./Fav3.m3u"});
    playlist.sbAddClick();
    EXPECT_TRUE(form.State.Timer2Enabled);
    EXPECT_EQ(writes, files.writes);
    EXPECT_EQ(folder / "Fav3.m3u", form.State.PlaylistPath);

    // A list whose name differs only in case is another list, and opens.
    WriteBytes(folder / "FAV3.m3u", "#EXTM3U\r\nhttp://upper/\r\n");
    dialogs.answers.push_back(Strings{folder / "FAV3.m3u"});
    playlist.sbAddClick();
    EXPECT_EQ(folder / "FAV3.m3u", form.State.PlaylistPath);
    EXPECT_EQ((Strings{"http://upper/"}), Paths());
}

TEST_F(PlaylistStore, OpeningAListWhilePlayingPlaysFromTheNewList)
{
    form.MList.Items = {{"x", {"http://x/"}, true}};
    form.sbStop.Enabled = true;
    form.State.Timer1Enabled = true;
    WriteBytes(folder / "p.m3u", "#EXTM3U\r\nhttp://a/1\r\n");
    dialogs.answers.push_back(Strings{folder / "p.m3u"});
    playlist.sbAddClick();
    EXPECT_EQ((Strings{"UpdateMidiButtons", "StopPlayback", "PlayCurrentItem"}), log.calls);
    EXPECT_FALSE(form.State.Timer1Enabled);
    EXPECT_EQ((Strings{"http://a/1"}), Paths());
}

TEST_F(PlaylistStore, RandomPickPassesOverUnusableFilesItCannotDelete)
{
    WriteBytes(folder / "a-bad.m3u", "#EXTM3U\r\n");
    WriteBytes(folder / "b-good.M3U", "#EXTM3U\r\nhttp://g/\r\n");
    WriteBytes(folder / ".hidden.m3u", "#EXTM3U\r\nhttp://h/\r\n");
    std::filesystem::create_directories(folder / "dir.m3u");
    files.failRemoves = true;
    random.values = {0, 0, 0, 0};
    playlist.PickRandomPlaylist();
    EXPECT_EQ(folder / "b-good.M3U", form.State.PlaylistPath);
    EXPECT_EQ((std::vector<int>{2, 1, 1}), random.ranges);  // two names, then one, then the row
    EXPECT_EQ(1u, dialogs.messages.size());
    EXPECT_TRUE(FileThere(folder / "a-bad.m3u"));

    // Already loaded: stops without loading again.
    random.ranges.clear();
    random.values = {0};
    playlist.PickRandomPlaylist();
    EXPECT_EQ((std::vector<int>{1}), random.ranges);
}

TEST_F(PlaylistStore, RandomPickEndsWhenNoListIsUsableAndKeepsListsWithMissingEntries)
{
    // An unattended start before the music drive is mounted: the lists whose
    // entries cannot be seen are reported, kept and passed over.
    WriteBytes(folder / "a.m3u", "#EXTM3U\r\n/media/not-mounted/a.mp3\r\n");
    WriteBytes(folder / "b.m3u", "#EXTM3U\r\n/media/not-mounted/b.mp3\r\n");
    WriteBytes(folder / "x.m3u", "junk\r\n");
    WriteBytes(folder / "y.m3u", "");
    random.values = {0, 0, 0, 0};
    playlist.PickRandomPlaylist();
    EXPECT_TRUE(form.State.PlaylistPath.empty());
    EXPECT_EQ((std::vector<int>{4, 3, 2, 1}), random.ranges);
    EXPECT_EQ(4u, dialogs.messages.size());
    EXPECT_EQ("#EXTM3U\r\n/media/not-mounted/a.mp3\r\n", ReadBytes(folder / "a.m3u"));
    EXPECT_TRUE(FileThere(folder / "b.m3u"));
    EXPECT_TRUE(FileThere(folder / "x.m3u"));  // "junk" is an entry, if a missing one
    EXPECT_FALSE(FileThere(folder / "y.m3u"));
    EXPECT_TRUE(form.CreditShown());
}

TEST_F(PlaylistStore, DemoPlaylistOfTheBuildLoadsEveryPiece)
{
    const std::string demo = std::string(QUAVERLY_BIN_DIR) + "/demo.m3u";
    if (!FileThere(demo))
        GTEST_SKIP() << "this build writes no demo playlist";
    const std::string before = ReadBytes(demo);
    Load(demo);
    EXPECT_FALSE(form.State.PlaylistDirty);
    EXPECT_TRUE(dialogs.messages.empty());
    Strings titles = Titles();
    std::sort(titles.begin(), titles.end());
    EXPECT_EQ((Strings{"Demo bass line", "Demo chime", "Demo progression", "demo-melody"}), titles);
    for (const auto &item : form.MList.Items) {
        const std::string &path = item.SubItems[0];
        EXPECT_EQ('/', path[0]);
        EXPECT_GT(std::filesystem::file_size(path), 100u) << path;
        EXPECT_EQ(path.find("melody") != std::string::npos ? 1u : 3u, item.SubItems.size()) << path;
    }
    EXPECT_EQ(before, ReadBytes(demo));
}

}  // namespace
}  // namespace quaverly::test
