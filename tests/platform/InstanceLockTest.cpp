#include "platform/InstanceLock.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TempFolder.h"

using quaverly::InstanceLock;
using quaverly::test::TempFolder;

TEST(InstanceLock, SecondHolderIsRefusedUntilTheFirstEnds)
{
    TempFolder folder;
    auto first = std::make_unique<InstanceLock>(folder.path());
    EXPECT_EQ(InstanceLock::Result::Acquired, first->result());
    EXPECT_EQ(folder / "Quaverly 2008.lock", first->path());
    {
        InstanceLock second(folder.path());
        EXPECT_EQ(InstanceLock::Result::HeldByAnother, second.result());
    }
    // The refused attempt must not have taken the lock from the holder.
    EXPECT_EQ(InstanceLock::Result::HeldByAnother, InstanceLock(folder.path()).result());
    first.reset();
    EXPECT_EQ(InstanceLock::Result::Acquired, InstanceLock(folder.path()).result());
}

TEST(InstanceLock, MissingFolderIsCouldNotCreate)
{
    TempFolder folder;
    InstanceLock lock(folder / "not-there");
    EXPECT_EQ(InstanceLock::Result::CouldNotCreate, lock.result());
}

TEST(InstanceLock, DefaultFolderIsRuntimeDirElsePrivateTempFolder)
{
    TempFolder folder;
    const char *saved = std::getenv("XDG_RUNTIME_DIR");
    std::string keep = saved ? saved : "";
    setenv("XDG_RUNTIME_DIR", folder.path().c_str(), 1);
    EXPECT_EQ(folder.path(), InstanceLock::DefaultFolder());

    unsetenv("XDG_RUNTIME_DIR");
    setenv("TMPDIR", folder.path().c_str(), 1);
    std::string fallback = InstanceLock::DefaultFolder();
    EXPECT_EQ(folder / ("quaverly-" + std::to_string(getuid())), fallback);
    struct stat st {};
    ASSERT_EQ(0, stat(fallback.c_str(), &st));
    EXPECT_EQ(0700u, st.st_mode & 0777);
    EXPECT_EQ(InstanceLock::Result::Acquired, InstanceLock().result());
    unsetenv("TMPDIR");
    if (saved)
        setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
}
