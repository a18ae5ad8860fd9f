// The shared visualisation block and its notification, against a real POSIX
// block and real X windows. The block names are private to the test process.
#include "XTestWindow.h"
#include "audio/SharedMemory.h"
#include "audio/VisFrame.h"
#include "core/IDialogs.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace quaverly;
using namespace quaverly::audio;

namespace {

class RecordingDialogs final : public IDialogs {
public:
    void MessageBox(const std::string &text, const std::string &caption) override
    {
        texts.push_back(caption + "|" + text);
    }
    std::optional<std::vector<std::string>> OpenFiles(const std::string &, const std::string &) override
    {
        return std::nullopt;
    }
    std::vector<std::string> texts;
};

std::string PrivateName(const char *what) { return std::string("QuaverlyTest_") + what + "_" + std::to_string(getpid()); }

struct Unlinker {
    std::string name;
    ~Unlinker() { SharedMemory::Unlink(name); }
};

} // namespace

TEST(TSharedMemoryMapping, CoversAWholeFrameOnceAndNotTwice)
{
    const Unlinker u{PrivateName("map")};
    TSharedMemory mem(nullptr, nullptr);
    mem.ShareName = u.name;
    mem.Size = 2600;
    EXPECT_EQ(nullptr, mem.MapView());
    ASSERT_TRUE(mem.CreateMapping());
    EXPECT_FALSE(mem.CreateMapping()); // already held: false, the block stays
    ASSERT_TRUE(mem.HasMapping());
    EXPECT_GE(mem.MappedSize(), visframe::FrameEnd);
    std::uint8_t *view = mem.MapView();
    ASSERT_NE(nullptr, view);
    view[visframe::FrameEnd - 1] = 0x5A;

    // Another attachment sees the byte; the object is private to the user.
    SharedMemory other(u.name, 0, SharedMemory::Mode::OpenReadOnly);
    ASSERT_TRUE(other.valid());
    ASSERT_GE(other.size(), visframe::FrameEnd);
    EXPECT_EQ(0x5A, other.data()[visframe::FrameEnd - 1]);
    struct stat st {};
    ASSERT_EQ(0, stat(("/dev/shm/" + u.name).c_str(), &st));
    EXPECT_EQ(0600u, st.st_mode & 0777);
    EXPECT_TRUE(access(("/dev/shm/sem." + u.name + "_SMMutex").c_str(), F_OK) == 0);

    mem.UnmapView(view);
    mem.CloseHandles();
    EXPECT_FALSE(mem.HasMapping());
    EXPECT_EQ(nullptr, mem.MapView());
}

TEST(TSharedMemoryMapping, ABlockThatCannotBeCreatedLeavesNothingHeld)
{
    TSharedMemory mem(nullptr, nullptr);
    mem.ShareName = "bad/name/with/slashes";
    mem.Size = 2600;
    EXPECT_FALSE(mem.CreateMapping());
    EXPECT_FALSE(mem.HasMapping());
    EXPECT_EQ(nullptr, mem.MapView());
    mem.Notify(10, 2320); // no mutex: nothing, no crash
    TSharedMemory unnamed(nullptr, nullptr);
    EXPECT_FALSE(unnamed.CreateMapping());
}

class TSharedMemoryNotify : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X display";
        ASSERT_TRUE(windows.connected());
        mem = std::make_unique<TSharedMemory>(&windows, &dialogs);
        mem->ShareName = unlinker.name;
        mem->Size = 2600;
        ASSERT_TRUE(mem->CreateMapping());
    }
    Unlinker unlinker{PrivateName("notify")};
    X11WindowSystem windows;
    RecordingDialogs dialogs;
    std::unique_ptr<TSharedMemory> mem;
};

TEST_F(TSharedMemoryNotify, PostsTheRegisteredMessageToTheTApplicationWindowOfThatTitle)
{
    const std::string title = "VisOutTest" + std::to_string(getpid());
    test::XTestWindow impostor(title, "SomethingElse"); // right title, wrong class
    test::XTestWindow target(title, "TApplication");
    ASSERT_TRUE(target.ok());
    mem->SetTargetApplication("  " + title + " \t");
    EXPECT_EQ(title, mem->TargetApplication());
    EXPECT_EQ(target.id(), mem->TargetWindow());
    EXPECT_EQ(target.Atom("WM_SendingData"), mem->SendingDataMsg());

    mem->Notify(10, 2320);
    const auto got = target.Receive(2000, 1);
    ASSERT_EQ(1u, got.size());
    EXPECT_EQ(mem->SendingDataMsg(), got[0].type);
    EXPECT_EQ(10u, got[0].data[0]);
    EXPECT_EQ(2320u, got[0].data[1]);
    EXPECT_TRUE(impostor.Receive(100).empty());
}

TEST_F(TSharedMemoryNotify, AGoneTargetIsDroppedSilentlyOrReportedWhenAsked)
{
    const std::string title = "VisOutGone" + std::to_string(getpid());
    auto target = std::make_unique<test::XTestWindow>(title, "TApplication");
    mem->SetTargetApplication(title);
    ASSERT_NE(0u, mem->TargetWindow());
    target->Destroy(); // its client stays connected, so its id is not handed out again
    mem->Notify(10, 2320);
    EXPECT_TRUE(dialogs.texts.empty());

    mem->MsgOutOnErr = true;
    mem->Notify(10, 2320);
    ASSERT_EQ(1u, dialogs.texts.size());
    EXPECT_EQ("Warning...|The target application is not active on your system.\n"
              "The notification message has not been sent.",
              dialogs.texts[0]);

    // A window that has gone is not looked up again by Notify: a new one of
    // the same name is only found when the name is set again.
    test::XTestWindow again(title, "TApplication");
    mem->Notify(10, 2320);
    EXPECT_TRUE(again.Receive(150).empty());
    mem->SetTargetApplication(title);
    mem->Notify(10, 2320);
    EXPECT_EQ(1u, again.Receive(2000, 1).size());
}

TEST_F(TSharedMemoryNotify, WithoutATargetNameTheMessageSaysNoneIsSpecified)
{
    mem->MsgOutOnErr = true;
    mem->Notify(10, 2320);
    ASSERT_EQ(1u, dialogs.texts.size());
    EXPECT_EQ("Warning...|The target application is not specified.\n"
              "The notification message has not been sent.",
              dialogs.texts[0]);
}
