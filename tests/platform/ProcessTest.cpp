#include "platform/DynamicLibrary.h"
#include "platform/InstanceLock.h"
#include "platform/ProcessSpawn.h"
#include "platform/ProgramPaths.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <unistd.h>
#include <filesystem>
#include <gtest/gtest.h>

#include "TempFolder.h"

using namespace quaverly;
using quaverly::test::ReadFile;
using quaverly::test::TempFolder;

TEST(ProgramPaths, ProgramFolderIsTheFolderOfTheRunningExecutable)
{
    std::string exe = ExecutablePath();
    EXPECT_EQ(std::filesystem::canonical("/proc/self/exe").string(), exe);
    std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ('/', folder.back());
    EXPECT_EQ(folder, exe.substr(0, folder.size()));
    EXPECT_EQ(std::string::npos, exe.find('/', folder.size()));
}

TEST(ProgramPaths, SettingsFileReplacesOrAppendsTheExtension)
{
    EXPECT_EQ("/opt/q/quaverly.ini", SettingsPathFor("/opt/q/quaverly"));
    EXPECT_EQ("/opt/q/Quaverly.ini", SettingsPathFor("/opt/q/Quaverly.exe"));
    EXPECT_EQ("/opt/q/a.b.ini", SettingsPathFor("/opt/q/a.b.c"));
    EXPECT_EQ("/opt/q.d/run.ini", SettingsPathFor("/opt/q.d/run"));
    EXPECT_EQ("/opt/.hidden.ini", SettingsPathFor("/opt/.hidden"));
    EXPECT_EQ("run.ini", SettingsPathFor("run"));
}

TEST(DynamicLibrary, BindsEntryPointsByName)
{
    DynamicLibrary lib(std::string(QUAVERLY_PLATFORM_TEST_LIBRARY));
    ASSERT_TRUE(lib.loaded()) << lib.error();
    int (*add)(int, int) = nullptr;
    ASSERT_TRUE(lib.Bind("QUAVERLY_Add", add));
    EXPECT_EQ(5, add(2, 3));
    const char *(*name)() = nullptr;
    ASSERT_TRUE(lib.Bind("QUAVERLY_Name", name));
    EXPECT_STREQ("entry points", name());
    EXPECT_FALSE(lib.Bind("QUAVERLY_Missing", add));
    EXPECT_EQ(nullptr, add);

    DynamicLibrary moved(std::move(lib));
    EXPECT_FALSE(lib.loaded());
    EXPECT_TRUE(moved.Bind("QUAVERLY_Add", add));
}

TEST(DynamicLibrary, MissingOrBrokenFilesAreNotLoaded)
{
    TempFolder folder;
    DynamicLibrary missing(folder / "libbass.so");
    EXPECT_FALSE(missing.loaded());
    EXPECT_FALSE(missing.error().empty());
    void (*fn)() = nullptr;
    EXPECT_FALSE(missing.Bind("BASS_Init", fn));

    quaverly::test::WriteFile(folder / "libbroken.so", "\x7f" "ELF but not really");
    DynamicLibrary broken(folder / "libbroken.so");
    EXPECT_FALSE(broken.loaded());
}

TEST(ProcessSpawn, ArgumentsArriveUntouchedWithoutAShell)
{
    TempFolder folder;
    const std::string out = folder / "args.txt";
    const std::string marker = folder / "pwned";
    std::vector<std::string> argv = {QUAVERLY_PLATFORM_ARGS_WRITER, out, "/music/a b.mid",
                                     "; touch " + marker, "$(touch " + marker + ")", "\"quoted\" 'x' *"};
    int error = -1;
    pid_t pid = SpawnProcess(argv, &error);
    ASSERT_GT(pid, 0);
    EXPECT_EQ(0, error);
    EXPECT_EQ(7, WaitForExit(pid, 5000));
    EXPECT_EQ("/music/a b.mid\n; touch " + marker + "\n$(touch " + marker + ")\n\"quoted\" 'x' *\n", ReadFile(out));
    EXPECT_FALSE(std::filesystem::exists(marker));
}

TEST(ProcessSpawn, AMissingProgramIsReportedAndNotSearchedOnPath)
{
    int error = 0;
    EXPECT_EQ(-1, SpawnProcess({"/nonexistent/XGPlayer.exe", "x.mid"}, &error));
    EXPECT_EQ(ENOENT, error);
    EXPECT_EQ(-1, SpawnProcess({"true"}, &error));  // a bare name is a relative path, not a PATH search
    EXPECT_EQ(-1, SpawnProcess({}, &error));
    EXPECT_EQ(EINVAL, error);
}

TEST(ProcessSpawn, WaitIsBoundedAndReportsSignals)
{
    pid_t pid = SpawnProcess({"/bin/sleep", "5"});
    ASSERT_GT(pid, 0);
    EXPECT_EQ(-2, WaitForExit(pid, 50));
    kill(pid, SIGKILL);
    EXPECT_EQ(128 + SIGKILL, WaitForExit(pid, 5000));
}

TEST(ProcessSpawn, TheChildInheritsNoDescriptorBeyondTheStandardThree)
{
    TempFolder folder;
    std::optional<InstanceLock> lock(std::in_place, folder.path());
    ASSERT_EQ(InstanceLock::Result::Acquired, lock->result());
    int leaky = open(folder.path().c_str(), O_RDONLY | O_DIRECTORY);  // no O_CLOEXEC on purpose
    ASSERT_GE(leaky, 3);
    const std::string out = folder / "fds.txt";
    pid_t pid = SpawnProcess({QUAVERLY_PLATFORM_ARGS_WRITER, out, "--fds"});
    ASSERT_GT(pid, 0);
    EXPECT_EQ(7, WaitForExit(pid, 5000));
    close(leaky);
    std::string fds = ReadFile(out);
    for (std::size_t pos = 0; pos < fds.size(); pos = fds.find('\n', pos) + 1)
        EXPECT_LT(std::atoi(fds.c_str() + pos), 3) << fds;

    // A child that outlives the lock's owner leaves the lock free.
    pid_t sleeper = SpawnProcess({"/bin/sleep", "5"});
    ASSERT_GT(sleeper, 0);
    lock.reset();
    EXPECT_EQ(InstanceLock::Result::Acquired, InstanceLock(folder.path()).result());
    kill(sleeper, SIGKILL);
    EXPECT_EQ(128 + SIGKILL, WaitForExit(sleeper, 5000));
    EXPECT_EQ(-1, WaitForExit(sleeper, 0));  // reaped: no zombie remains
}
