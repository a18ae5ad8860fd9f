#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <string_view>
#include <vector>

#include "PlaylistFixture.h"
#include "playlist/PlaylistFiles.h"

namespace quaverly::test {
namespace {

// The bulk check must find a file exactly where IsFile does, with the
// identity a stat gives.
std::vector<TPathLook> ExpectSameAsIsFile(TPosixPlaylistFiles &files, const std::vector<std::string> &paths)
{
    const std::vector<std::string_view> views(paths.begin(), paths.end());
    const std::vector<TPathLook> looks = files.LookUp(views);
    EXPECT_EQ(paths.size(), looks.size());
    for (size_t i = 0; i < paths.size() && i < looks.size(); ++i) {
        EXPECT_EQ(files.IsFile(paths[i]), looks[i].State == TPathState::File) << paths[i];
        if (looks[i].State == TPathState::File)
            EXPECT_EQ(FileIdOf(paths[i]), looks[i].Id) << paths[i];
        else
            EXPECT_FALSE(looks[i].Id) << paths[i];
    }
    return looks;
}

TEST(PlaylistFiles, BulkCheckOfAListedFolderAnswersAsIsFile)
{
    PlaylistTempFolder folder;
    const std::string dir = folder / "music/";
    std::vector<std::string> paths;
    for (int i = 0; i < 24; ++i) {
        WriteBytes(dir + "song " + std::to_string(i) + ".mp3", "");
        paths.push_back(dir + "song " + std::to_string(i) + ".mp3");
    }
    ASSERT_EQ(0, ::mkdir((dir + "sub").c_str(), 0755));
    ASSERT_EQ(0, ::symlink((dir + "song 1.mp3").c_str(), (dir + "link.mp3").c_str()));
    ASSERT_EQ(0, ::symlink((dir + "sub").c_str(), (dir + "folder link").c_str()));
    ASSERT_EQ(0, ::symlink((dir + "gone.mp3").c_str(), (dir + "dangling.mp3").c_str()));
    ASSERT_EQ(0, ::mkfifo((dir + "pipe").c_str(), 0600));
    WriteBytes(dir + "sub/inner.mp3", "");
    for (const char *name : {"sub", "link.mp3", "folder link", "dangling.mp3", "pipe", "missing.mp3", "SONG 2.MP3",
                             "song 3.mp3", "", ".", "..", "sub/inner.mp3", "sub/../song 4.mp3", "song 5.mp3/"})
        paths.push_back(dir + name);
    // The same folder written another way, a file named as a folder, and
    // relative paths (against the current folder).
    paths.push_back(folder / "music//song 6.mp3");
    paths.push_back(dir + "song 7.mp3/x");
    paths.push_back("definitely-not-here.mp3");
    paths.push_back(".");
    TPosixPlaylistFiles files;
    const std::vector<TPathLook> looks = ExpectSameAsIsFile(files, paths);
    ASSERT_EQ(paths.size(), looks.size());
    EXPECT_EQ(TPathState::File, looks[0].State);
    EXPECT_EQ(TPathState::File, looks[24 + 1].State) << "a link to a file is a file";
    EXPECT_EQ(looks[1].Id, looks[24 + 1].Id) << "and is the file it points to";
    EXPECT_EQ(TPathState::Gone, looks[24 + 2].State) << "a link to a folder is not";
    EXPECT_EQ(TPathState::Gone, looks[24 + 5].State) << "a missing file of a folder that is there";
    EXPECT_EQ(TPathState::Gone, looks[24 + 6].State) << "names are compared with their case";
}

TEST(PlaylistFiles, FilesOfAFolderThatIsNotThereAreUnavailableAndOthersGone)
{
    PlaylistTempFolder folder;
    WriteBytes(folder / "m/here.mp3", "x");
    std::vector<std::string> paths = {folder / "usb/a.mp3", folder / "m/gone.mp3", folder / "m/here.mp3",
                                      folder / "m/here.mp3/x", folder / "usb/deeper/b.mp3"};
    // Enough files in one unmounted folder for the listing path too.
    for (int i = 0; i < 20; ++i)
        paths.push_back(folder / "usb/" + std::to_string(i) + ".mp3");
    TPosixPlaylistFiles files;
    const std::vector<TPathLook> looks = ExpectSameAsIsFile(files, paths);
    ASSERT_EQ(paths.size(), looks.size());
    EXPECT_EQ(TPathState::Unavailable, looks[0].State);
    EXPECT_EQ(TPathState::Gone, looks[1].State);
    EXPECT_EQ(TPathState::File, looks[2].State);
    EXPECT_EQ(TPathState::Gone, looks[3].State) << "a file holds no files";
    EXPECT_EQ(TPathState::Unavailable, looks[4].State);
    for (size_t i = 5; i < looks.size(); ++i)
        EXPECT_EQ(TPathState::Unavailable, looks[i].State) << paths[i];
}

TEST(PlaylistFiles, BulkCheckOfAFolderFarLargerThanTheListStillAnswers)
{
    PlaylistTempFolder folder;
    const std::string dir = folder / "big/";
    // Far more entries than the listing reads for 20 names (16 each and 256).
    WriteBytes(dir + "0", "");
    for (int i = 1; i < 900; ++i)
        ::close(::open((dir + std::to_string(i)).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
    std::vector<std::string> paths;
    for (int i = 0; i < 20; ++i)
        paths.push_back(dir + std::to_string(i * 50));  // 0 .. 950: the last two are missing
    TPosixPlaylistFiles files;
    ExpectSameAsIsFile(files, paths);
}

}  // namespace
}  // namespace quaverly::test
