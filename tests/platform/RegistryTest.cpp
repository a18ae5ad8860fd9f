#include "platform/Registry.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TempFolder.h"

using quaverly::Registry;
using quaverly::RegistryRoot;
using quaverly::test::ReadFile;
using quaverly::test::TempFolder;
using quaverly::test::WriteFile;
namespace fs = std::filesystem;

namespace {
constexpr auto HKCU = RegistryRoot::HKEY_CURRENT_USER;
constexpr auto HKLM = RegistryRoot::HKEY_LOCAL_MACHINE;
constexpr auto HKCR = RegistryRoot::HKEY_CLASSES_ROOT;

int FilesIn(const std::string &folder)
{
    int n = 0;
    for ([[maybe_unused]] auto &e : fs::directory_iterator(folder))
        ++n;
    return n;
}
}  // namespace

TEST(Registry, ValuesSurviveAReopenWithQuotesBackslashesAndUtf8)
{
    TempFolder folder;
    const std::string tricky = "C:\\Music\\\"best\" of 宋体 = [x]";
    {
        Registry reg(folder.path());
        ASSERT_TRUE(reg.WriteString(HKCU, "Software\\Quaverly", "Path", tricky));
        ASSERT_TRUE(reg.WriteString(HKCU, "Software\\Quaverly", "", "the default"));
        ASSERT_TRUE(reg.WriteString(HKCR, ".m3u", "", "Quaverly.Playlist"));
        ASSERT_TRUE(reg.WriteString(HKCU, "Software\\Quaverly", "Empty", ""));
    }
    Registry reg(folder.path());
    EXPECT_EQ(tricky, reg.ReadString(HKCU, "Software\\Quaverly", "Path"));
    EXPECT_EQ("the default", reg.ReadString(HKCU, "Software\\Quaverly", ""));
    EXPECT_EQ("Quaverly.Playlist", reg.ReadString(HKCR, ".m3u", ""));
    EXPECT_EQ("", reg.ReadString(HKCU, "Software\\Quaverly", "Empty"));
    EXPECT_TRUE(reg.ValueExists(HKCU, "Software\\Quaverly", "Empty"));
    // Keys and names ignore case, as the registry does.
    EXPECT_EQ(tricky, reg.ReadString(HKCU, "SOFTWARE\\quaverly", "PATH"));
    // Roots are separate files.
    EXPECT_FALSE(reg.KeyExists(HKLM, "Software\\Quaverly"));
    EXPECT_FALSE(reg.KeyExists(HKCU, ".m3u"));
    EXPECT_EQ(0u, ReadFile(reg.FilePath(HKCU)).find("REGEDIT4\r\n"));
}

TEST(Registry, ReadingNeverCreatesAKeyOrAFile)
{
    TempFolder folder;
    Registry reg(folder / "absent");
    EXPECT_FALSE(reg.KeyExists(HKCU, "Software\\Quaverly"));
    EXPECT_EQ(std::nullopt, reg.ReadString(HKCU, "Software\\Quaverly", "x"));
    EXPECT_FALSE(reg.ValueExists(HKCU, "Software", ""));
    EXPECT_FALSE(fs::exists(folder / "absent"));
    EXPECT_FALSE(reg.KeyExists(HKCU, "Software"));
}

TEST(Registry, MissingFolderIsCreatedOnFirstWrite)
{
    TempFolder folder;
    Registry reg(folder / "a/b/registry");
    ASSERT_TRUE(reg.CreateKey(HKLM, "Software\\Empty"));
    EXPECT_TRUE(fs::exists(folder / "a/b/registry/HKEY_LOCAL_MACHINE.reg"));
    Registry again(folder / "a/b/registry");
    EXPECT_TRUE(again.KeyExists(HKLM, "Software\\Empty"));
}

TEST(Registry, AWriteThatCannotReachTheDiskReportsFailure)
{
    TempFolder folder;
    WriteFile(folder / "file", "not a folder");
    Registry reg(folder / "file/registry");
    EXPECT_FALSE(reg.WriteString(HKCU, "K", "n", "v"));
    EXPECT_EQ("not a folder", ReadFile(folder / "file"));
}

TEST(Registry, WritesReplaceTheFileWholeAndLeaveNoTemporaryFiles)
{
    TempFolder folder;
    Registry reg(folder.path());
    ASSERT_TRUE(reg.WriteString(HKCU, "K", "a", "1"));
    std::string hardLink = folder / "old-link";
    fs::create_hard_link(reg.FilePath(HKCU), hardLink);
    ASSERT_TRUE(reg.WriteString(HKCU, "K", "b", "2"));
    // A rename put a new file in place: the old inode keeps the old text.
    EXPECT_EQ(std::string::npos, ReadFile(hardLink).find("\"b\""));
    EXPECT_NE(std::string::npos, ReadFile(reg.FilePath(HKCU)).find("\"b\"=\"2\""));
    EXPECT_EQ(3, FilesIn(folder.path()));  // the file, the old link and the lock file
}

TEST(Registry, AFileThatCannotBeParsedOrReadIsNeverWrittenOver)
{
    const char *bad[] = {
        "",                                                // empty: no header
        "Windows Registry Editor Version 5.00\r\n",        // the UTF-16 format
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n",             // another root's key
        "REGEDIT4\n\"n\"=\"v\"\n",                         // a value outside a section
        "REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"n\"=\"v\" junk\n",
        "REGEDIT4\n[HKEY_CURRENT_USER\\K\n",
        "REGEDIT4\n[-HKEY_CURRENT_USER\\K]\n",
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n\"unterminated=\"x\r\n",
    };
    for (const char *text : bad) {
        TempFolder folder;
        WriteFile(folder / "HKEY_CURRENT_USER.reg", text);
        Registry reg(folder.path());
        EXPECT_FALSE(reg.KeyExists(HKCU, "K")) << text;
        EXPECT_FALSE(reg.WriteString(HKCU, "K", "n", "v")) << text;
        EXPECT_FALSE(reg.CreateKey(HKCU, "Other")) << text;
        EXPECT_EQ(text, ReadFile(folder / "HKEY_CURRENT_USER.reg"));
        // Other roots are not affected.
        EXPECT_TRUE(reg.WriteString(HKLM, "K", "n", "v")) << text;
    }
    // A folder where the file should be: open succeeds, read fails.
    TempFolder folder;
    fs::create_directory(folder / "HKEY_CURRENT_USER.reg");
    WriteFile(folder / "HKEY_CURRENT_USER.reg/inside", "keep");
    Registry reg(folder.path());
    EXPECT_FALSE(reg.WriteString(HKCU, "K", "n", "v"));
    EXPECT_EQ("keep", ReadFile(folder / "HKEY_CURRENT_USER.reg/inside"));
}

TEST(Registry, HandWrittenFilesWithCrlfAndOtherValueTypesReadAndSurviveRewriting)
{
    TempFolder folder;
    WriteFile(folder / "HKEY_LOCAL_MACHINE.reg",
              "\xEF\xBB\xBFREGEDIT4\r\n\r\n; a comment\r\n[HKEY_LOCAL_MACHINE\\Software\\A]\r\n@=\"def\"\r\n"
              "\"Count\"=dword:0000002a\r\n\"Bin\"=hex:01,02,\\\r\n  03\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\A\\B]\r\n");
    Registry reg(folder.path());
    EXPECT_EQ("def", reg.ReadString(HKLM, "Software\\A", ""));
    EXPECT_TRUE(reg.ValueExists(HKLM, "Software\\A", "Count"));
    EXPECT_EQ(std::nullopt, reg.ReadString(HKLM, "Software\\A", "Count"));  // not a string
    EXPECT_TRUE(reg.KeyExists(HKLM, "Software\\A\\B"));
    ASSERT_TRUE(reg.WriteString(HKLM, "Software\\A", "New", "x"));
    std::string text = ReadFile(reg.FilePath(HKLM));
    EXPECT_NE(std::string::npos, text.find("\"Count\"=dword:0000002a\r\n"));
    EXPECT_NE(std::string::npos, text.find("\"Bin\"=hex:01,02,03\r\n"));
    EXPECT_TRUE(Registry(folder.path()).KeyExists(HKLM, "Software\\A\\B"));
}

TEST(Registry, CopyKeyCopiesTheWholeTreeAcrossRoots)
{
    TempFolder folder;
    Registry reg(folder.path());
    ASSERT_TRUE(reg.WriteString(HKLM, "Software\\Src", "a", "1"));
    ASSERT_TRUE(reg.WriteString(HKLM, "Software\\Src\\Sub\\Deep", "", "2"));
    ASSERT_TRUE(reg.WriteString(HKCU, "Software\\Dst", "keep", "3"));
    ASSERT_TRUE(reg.CopyKey(HKLM, "Software\\Src", HKCU, "Software\\Dst"));
    Registry again(folder.path());
    EXPECT_EQ("1", again.ReadString(HKCU, "Software\\Dst", "a"));
    EXPECT_EQ("2", again.ReadString(HKCU, "Software\\Dst\\Sub\\Deep", ""));
    EXPECT_EQ("3", again.ReadString(HKCU, "Software\\Dst", "keep"));
    EXPECT_EQ("1", again.ReadString(HKLM, "Software\\Src", "a"));  // source untouched
    EXPECT_FALSE(reg.CopyKey(HKLM, "Software\\Missing", HKCU, "X"));
    EXPECT_FALSE(reg.KeyExists(HKCU, "X"));
}

TEST(Registry, CopyIntoItsOwnSubtreeIsRefused)
{
    TempFolder folder;
    Registry reg(folder.path());
    ASSERT_TRUE(reg.WriteString(HKCU, "A", "n", "v"));
    EXPECT_FALSE(reg.CopyKey(HKCU, "A", HKCU, "a\\B"));
    EXPECT_FALSE(reg.KeyExists(HKCU, "A\\B"));
    EXPECT_TRUE(reg.CopyKey(HKCU, "A", HKCU, "A"));
    EXPECT_TRUE(reg.CopyKey(HKCU, "A", HKCU, "AB"));  // a prefix of the name is not the subtree
    EXPECT_EQ("v", reg.ReadString(HKCU, "AB", "n"));
}

TEST(Registry, DeleteKeyRemovesTheTreeAndOnlyIt)
{
    TempFolder folder;
    Registry reg(folder.path());
    ASSERT_TRUE(reg.WriteString(HKCU, "Software\\Q\\Sub", "n", "v"));
    ASSERT_TRUE(reg.WriteString(HKCU, "Software\\Other", "n", "v"));
    EXPECT_TRUE(reg.DeleteKey(HKCU, "software\\q"));
    EXPECT_FALSE(reg.DeleteKey(HKCU, "Software\\Q"));
    EXPECT_FALSE(reg.DeleteKey(HKCU, ""));
    Registry again(folder.path());
    EXPECT_FALSE(again.KeyExists(HKCU, "Software\\Q"));
    EXPECT_FALSE(again.KeyExists(HKCU, "Software\\Q\\Sub"));
    EXPECT_EQ("v", again.ReadString(HKCU, "Software\\Other", "n"));
}

TEST(Registry, DefaultFolderFollowsTheEnvironment)
{
    const char *names[] = {"QUAVERLY_REGISTRY_DIR", "XDG_CONFIG_HOME", "HOME"};
    std::string saved[3];
    bool had[3];
    for (int i = 0; i < 3; ++i) {
        const char *v = std::getenv(names[i]);
        had[i] = v != nullptr;
        saved[i] = v ? v : "";
    }
    setenv("QUAVERLY_REGISTRY_DIR", "/r", 1);
    setenv("XDG_CONFIG_HOME", "/c", 1);
    setenv("HOME", "/h", 1);
    EXPECT_EQ("/r", Registry::DefaultFolder());
    unsetenv("QUAVERLY_REGISTRY_DIR");
    EXPECT_EQ("/c/quaverly/registry", Registry::DefaultFolder());
    setenv("XDG_CONFIG_HOME", "", 1);
    EXPECT_EQ("/h/.config/quaverly/registry", Registry::DefaultFolder());
    for (int i = 0; i < 3; ++i) {
        if (had[i])
            setenv(names[i], saved[i].c_str(), 1);
        else
            unsetenv(names[i]);
    }
}

TEST(Registry, TypedValuesKeepTheirTypeAndBytesThroughAMove)
{
    TempFolder folder;
    const std::string values =
        "\"Count\"=dword:0000002a\r\n"
        "\"Bin\"=hex:01,02,ff\r\n"
        "\"Expand\"=hex(2):25,00,41,00,00,00\r\n"
        "\"Multi\"=hex(7):61,00,00,\\\r\n  62,00,00,00\r\n"
        "\"Quote \\\"d\\\"\"=\"C:\\\\x \\\"y\\\"\"\r\n";
    WriteFile(folder / "HKEY_CURRENT_USER.reg",
              "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\P]\r\n" + values + "\r\n");
    Registry reg(folder.path());
    EXPECT_EQ("C:\\x \"y\"", reg.ReadString(HKCU, "Software\\P", "Quote \"d\""));
    ASSERT_TRUE(reg.MoveKey(HKCU, "Software\\P", "Software\\P~", Registry::MoveMode::KeepTarget));
    ASSERT_TRUE(reg.MoveKey(HKCU, "Software\\P~", "Software\\P", Registry::MoveMode::KeepTarget));
    std::string text = ReadFile(reg.FilePath(HKCU));
    EXPECT_NE(std::string::npos, text.find("\"Count\"=dword:0000002a\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("\"Bin\"=hex:01,02,ff\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("\"Expand\"=hex(2):25,00,41,00,00,00\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("\"Multi\"=hex(7):61,00,00,62,00,00,00\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("\"Quote \\\"d\\\"\"=\"C:\\\\x \\\"y\\\"\"\r\n")) << text;
    EXPECT_EQ(std::nullopt, reg.ReadString(HKCU, "Software\\P", "Count"));  // not a string
    EXPECT_FALSE(reg.KeyExists(HKCU, "Software\\P~"));
}

TEST(Registry, KeyNamesMatchWholePartsSoATrailingTildeIsAnotherKey)
{
    TempFolder folder;
    Registry reg(folder.path());
    ASSERT_TRUE(reg.WriteString(HKCU, "Software\\Y\\XGPlayer", "v", "live"));
    ASSERT_TRUE(reg.WriteString(HKCU, "Software\\Y\\XGPlayer\\List File", "File Name  0", "/a.mid"));
    ASSERT_TRUE(reg.WriteString(HKCU, "Software\\Y\\XGPlayer~", "v", "backup"));
    EXPECT_FALSE(reg.KeyExists(HKCU, "Software\\Y\\XGPlay"));
    EXPECT_TRUE(reg.DeleteKey(HKCU, "software\\y\\xgplayer"));
    EXPECT_FALSE(reg.KeyExists(HKCU, "Software\\Y\\XGPlayer\\List File"));
    EXPECT_EQ("backup", reg.ReadString(HKCU, "Software\\Y\\XGPlayer~", "v"));
}

TEST(Registry, MoveKeyRefusesWithoutChangingAnythingOrReplacesWhole)
{
    TempFolder folder;
    Registry reg(folder.path());
    ASSERT_TRUE(reg.WriteString(HKCU, "S\\K", "v", "new"));
    ASSERT_TRUE(reg.WriteString(HKCU, "S\\K\\Sub", "w", "1"));
    ASSERT_TRUE(reg.WriteString(HKCU, "S\\K~", "v", "old"));
    ASSERT_TRUE(reg.WriteString(HKCU, "S\\K~\\OnlyInBackup", "x", "2"));
    const std::string before = ReadFile(reg.FilePath(HKCU));
    using Mode = Registry::MoveMode;
    EXPECT_FALSE(reg.MoveKey(HKCU, "S\\K", "S\\K~", Mode::KeepTarget));  // a backup is never overwritten
    EXPECT_FALSE(reg.MoveKey(HKCU, "S\\Missing", "S\\K", Mode::ReplaceTarget));
    EXPECT_FALSE(reg.MoveKey(HKCU, "S\\K", "S\\K\\Sub\\In", Mode::ReplaceTarget));
    EXPECT_FALSE(reg.MoveKey(HKCU, "S\\K\\Sub", "s\\k", Mode::ReplaceTarget));
    EXPECT_EQ(before, ReadFile(reg.FilePath(HKCU)));

    ASSERT_TRUE(reg.MoveKey(HKCU, "S\\K~", "S\\K", Mode::ReplaceTarget));
    EXPECT_FALSE(reg.KeyExists(HKCU, "S\\K~"));
    EXPECT_EQ("old", reg.ReadString(HKCU, "S\\K", "v"));
    EXPECT_TRUE(reg.KeyExists(HKCU, "S\\K\\OnlyInBackup"));
    EXPECT_FALSE(reg.KeyExists(HKCU, "S\\K\\Sub"));  // replaced, not merged
}

TEST(Registry, TwoProcessesWritingOneRootAtOnceLoseNoValue)
{
    TempFolder folder;
    constexpr int kEach = 40;
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            Registry reg(folder.path());
            bool ok = true;
            for (int i = 0; i < kEach; ++i)
                ok = reg.WriteString(HKCU, "K", std::to_string(c) + "-" + std::to_string(i), "v") && ok;
            _exit(ok ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(child, waitpid(child, &status, 0));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    Registry reg(folder.path());
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < kEach; ++i)
            EXPECT_TRUE(reg.ValueExists(HKCU, "K", std::to_string(c) + "-" + std::to_string(i))) << c << "-" << i;
}
