#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "core/SameFile.h"
#include "platform/TempFolder.h"

namespace quaverly::test {
namespace {

TEST(SameFile, NamesDifferingInCaseAreTwoFilesAndOtherSpellingsOfOneFileAreOne)
{
    TempFolder folder;
    const std::string upper = folder / "Song.mp3", lower = folder / "song.mp3";
    WriteFile(upper, "one");
    WriteFile(lower, "two");
    EXPECT_FALSE(SameFile(upper, lower));

    // A link, a doubled "/", "./" and a hard link name the same file.
    ASSERT_EQ(0, ::symlink(upper.c_str(), (folder / "link.mp3").c_str()));
    ASSERT_EQ(0, ::link(upper.c_str(), (folder / "hard.mp3").c_str()));
    EXPECT_TRUE(SameFile(upper, folder / "link.mp3"));
    EXPECT_TRUE(SameFile(folder.path() + "//./Song.mp3", upper));
    EXPECT_TRUE(SameFile(folder / "hard.mp3", upper));
    EXPECT_FALSE(SameFile(folder / "link.mp3", lower));

    // Missing files are the same only when their texts are.
    EXPECT_TRUE(SameFile(folder / "gone.mp3", folder / "gone.mp3"));
    EXPECT_FALSE(SameFile(folder / "gone.mp3", folder / "Gone.mp3"));
    EXPECT_FALSE(SameFile(folder / "gone.mp3", upper));
    EXPECT_FALSE(SameFile("", upper));
    // A text with a NUL is not cut short into another file's name.
    EXPECT_FALSE(SameFile(upper + std::string(1, '\0') + "x", upper));
}

TEST(SameFile, FoldersCompareWithoutTrailingSeparatorsAndWithoutFoldingCase)
{
    TempFolder folder;
    const std::string lower = folder / "quaverly", upper = folder / "Quaverly";
    ASSERT_EQ(0, ::mkdir(lower.c_str(), 0755));
    ASSERT_EQ(0, ::mkdir(upper.c_str(), 0755));
    EXPECT_TRUE(SameFolder(lower + "/", lower));
    EXPECT_TRUE(SameFolder(lower + "//", folder.path() + "/./quaverly/"));
    EXPECT_FALSE(SameFolder(upper + "/", lower + "/"));
    EXPECT_FALSE(SameFolder(lower + "/a/", lower + "/"));
    // Folders that do not exist compare by their texts.
    EXPECT_TRUE(SameFolder("/no/such/folder/", "/no/such/folder"));
    EXPECT_FALSE(SameFolder("/no/such/Folder/", "/no/such/folder/"));
}

}  // namespace
}  // namespace quaverly::test
