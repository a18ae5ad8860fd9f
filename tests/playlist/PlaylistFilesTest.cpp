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

// The bulk check must give for every path exactly what IsFile gives.
void ExpectSameAsIsFile(TPosixPlaylistFiles &files, const std::vector<std::string> &paths)
{
    const std::vector<std::string_view> views(paths.begin(), paths.end());
    const std::vector<bool> found = files.AreFiles(views);
    ASSERT_EQ(paths.size(), found.size());
    for (size_t i = 0; i < paths.size(); ++i)
        EXPECT_EQ(files.IsFile(paths[i]), bool(found[i])) << paths[i];
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
    ExpectSameAsIsFile(files, paths);
    const std::vector<std::string_view> views(paths.begin(), paths.end());
    const std::vector<bool> found = files.AreFiles(views);
    EXPECT_TRUE(found[0]);
    EXPECT_TRUE(found[24 + 1]) << "a link to a file is a file";
    EXPECT_FALSE(found[24 + 2]) << "a link to a folder is not";
    EXPECT_FALSE(found[24 + 6]) << "names are compared with their case";
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
