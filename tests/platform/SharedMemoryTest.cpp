#include "platform/SharedMemory.h"

#include <atomic>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using quaverly::SharedMemory;

namespace {
// Unique per process so parallel test runs never share an object.
std::string TestName(const char *what)
{
    return std::string("QuaverlyTest_") + what + "_" + std::to_string(getpid());
}
}  // namespace

TEST(SharedMemory, AReaderSeesWhatTheWriterPutThereWithMode0600)
{
    const std::string name = TestName("frame");
    SharedMemory::Unlink(name);
    {
        SharedMemory writer(name, 3440, SharedMemory::Mode::Create);
        ASSERT_TRUE(writer.valid());
        EXPECT_EQ(3440u, writer.size());
        {
            SharedMemory::Lock lock(writer);
            ASSERT_TRUE(lock.owns());
            writer.data()[0] = 1;
            writer.data()[3439] = 0xAB;
        }
        struct stat st {};
        ASSERT_EQ(0, stat(("/dev/shm/" + name).c_str(), &st));
        EXPECT_EQ(0600u, st.st_mode & 0777);

        SharedMemory reader(name, 0, SharedMemory::Mode::OpenReadOnly);
        ASSERT_TRUE(reader.valid());
        EXPECT_EQ(3440u, reader.size());
        EXPECT_EQ(1, reader.data()[0]);
        EXPECT_EQ(0xAB, reader.data()[3439]);

        // Re-creating with the same size keeps the contents.
        SharedMemory again(name, 3440, SharedMemory::Mode::Create);
        EXPECT_EQ(0xAB, again.data()[3439]);
    }
    EXPECT_TRUE(SharedMemory::Unlink(name));
    EXPECT_FALSE(SharedMemory(name, 0, SharedMemory::Mode::OpenReadOnly).valid());
    EXPECT_TRUE(SharedMemory::Unlink(name));  // already gone is fine
}

TEST(SharedMemory, TheLockExcludesAndTimesOut)
{
    const std::string name = TestName("mutex");
    SharedMemory::Unlink(name);
    SharedMemory a(name, 64, SharedMemory::Mode::Create);
    SharedMemory b(name, 64, SharedMemory::Mode::OpenReadWrite);
    ASSERT_TRUE(a.valid());
    ASSERT_TRUE(b.valid());
    {
        SharedMemory::Lock held(a);
        ASSERT_TRUE(held.owns());
        SharedMemory::Lock other(b, 30);
        EXPECT_FALSE(other.owns());
    }
    SharedMemory::Lock after(b, 30);
    EXPECT_TRUE(after.owns());
    SharedMemory::Unlink(name);
}

TEST(SharedMemory, CountersStayExactUnderTheLockAcrossThreads)
{
    const std::string name = TestName("count");
    SharedMemory::Unlink(name);
    SharedMemory a(name, sizeof(int), SharedMemory::Mode::Create);
    SharedMemory b(name, sizeof(int), SharedMemory::Mode::OpenReadWrite);
    ASSERT_TRUE(a.valid() && b.valid());
    std::atomic<bool> go {false};
    auto work = [&go](SharedMemory &m) {
        while (!go)
            std::this_thread::yield();
        for (int i = 0; i < 2000; ++i) {
            SharedMemory::Lock lock(m);
            auto *p = reinterpret_cast<volatile int *>(m.data());
            *p = *p + 1;
        }
    };
    std::thread t1(work, std::ref(a)), t2(work, std::ref(b));
    go = true;
    t1.join();
    t2.join();
    SharedMemory::Lock lock(a);
    EXPECT_EQ(4000, *reinterpret_cast<int *>(a.data()));
    SharedMemory::Unlink(name);
}

TEST(SharedMemory, OpeningWhatDoesNotExistFails)
{
    const std::string name = TestName("absent");
    SharedMemory::Unlink(name);
    EXPECT_FALSE(SharedMemory(name, 100, SharedMemory::Mode::OpenReadWrite).valid());
    SharedMemory none(name, 0, SharedMemory::Mode::OpenReadOnly);
    SharedMemory::Lock lock(none, 10);
    EXPECT_FALSE(lock.owns());
}
