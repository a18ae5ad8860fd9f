// The player's hidden window under a real X server: messages posted from
// library threads and commands sent by another X client reach the handler on
// the UI thread, complete and in arrival order.
#include "XTestWindow.h"
#include "audio/PlayerWindow.h"
#include "platform/X11WindowSystem.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>
#include <thread>
#include <vector>

using namespace quaverly;
using namespace quaverly::audio;

namespace {

struct Received {
    std::uint32_t msg;
    std::int32_t w, l;
    bool onUiThread;
};

template <typename Pred>
bool PumpUntil(Pred done, int ms = 3000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

class PlayerWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X display";
        window = std::make_unique<PlayerWindow>([this](std::uint32_t m, std::int32_t w, std::int32_t l) {
            got.push_back({m, w, l, std::this_thread::get_id() == ui});
        });
        ASSERT_NE(0u, window->Window());
    }
    std::thread::id ui = std::this_thread::get_id();
    std::vector<Received> got;
    std::unique_ptr<PlayerWindow> window;
};

} // namespace

// Every child of the root titled `title` (a never-mapped window is missing
// from a window manager's stacking list, so the tree is asked directly).
std::vector<XWindow> TopLevelWindowsTitled(X11WindowSystem &x, const std::string &title)
{
    auto *c = static_cast<xcb_connection_t *>(x.connection());
    std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> tree(
        xcb_query_tree_reply(c, xcb_query_tree(c, x.Root()), nullptr), &std::free);
    std::vector<XWindow> found;
    if (!tree)
        return found;
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i)
        if (x.Title(children[i]) == title)
            found.push_back(children[i]);
    return found;
}

TEST_F(PlayerWindowTest, IsAFindableNeverMappedTopLevelWindow)
{
    X11WindowSystem x;
    ASSERT_TRUE(x.connected());
    // Another test process on the same display may have a player window of
    // its own: ours has to be among those with the title, and the title
    // lookup has to find one of them.
    const std::vector<XWindow> titled = TopLevelWindowsTitled(x, PlayerWindow::Title);
    EXPECT_NE(titled.end(), std::find(titled.begin(), titled.end(), window->Window()));
    const XWindow found = x.FindByTitle(PlayerWindow::Title);
    EXPECT_NE(titled.end(), std::find(titled.begin(), titled.end(), found));
    EXPECT_EQ(PlayerWindow::ClassName, x.ClassName(window->Window()));
    EXPECT_FALSE(x.IsVisible(window->Window()));
}

TEST_F(PlayerWindowTest, PostsFromManyThreadsAllArriveOnTheUiThreadInEachThreadsOrder)
{
    constexpr int threads = 4, each = 200;
    std::vector<std::thread> posters;
    for (int t = 0; t < threads; ++t)
        posters.emplace_back([&, t] {
            for (int i = 0; i < each; ++i)
                window->Post(1131 + std::uint32_t(t), t, i);
        });
    for (auto &p : posters)
        p.join();
    ASSERT_TRUE(PumpUntil([&] { return got.size() >= std::size_t(threads * each); }));
    std::vector<int> next(threads, 0);
    for (const auto &r : got) {
        ASSERT_TRUE(r.onUiThread);
        ASSERT_EQ(1131u + std::uint32_t(r.w), r.msg);
        ASSERT_EQ(next[std::size_t(r.w)]++, r.l);
    }
    EXPECT_EQ(std::size_t(threads * each), got.size());
}

TEST_F(PlayerWindowTest, CommandsOfAnotherClientAndLibraryPostsKeepTheirArrivalOrder)
{
    test::XTestWindow outside("VisOut", "TApplication");
    ASSERT_TRUE(outside.ok());
    const std::uint32_t sendingData = outside.Atom("WM_SendingData");
    window->Post(1131, 1, 0);
    outside.Send(window->Window(), sendingData, 60, 1);
    window->Post(1135, 2, 0);
    outside.Send(window->Window(), sendingData, 55, std::uint32_t(-5));
    ASSERT_TRUE(PumpUntil([&] { return got.size() >= 4; }));
    ASSERT_EQ(4u, got.size());
    EXPECT_EQ(1131u, got[0].msg);
    EXPECT_EQ(PlayerWindow::SendingData, got[1].msg);
    EXPECT_EQ(60, got[1].w);
    EXPECT_EQ(1, got[1].l);
    EXPECT_EQ(1135u, got[2].msg);
    EXPECT_EQ(PlayerWindow::SendingData, got[3].msg);
    EXPECT_EQ(-5, got[3].l); // negative values survive the 32-bit slot
    // Other message types of the same client are not mistaken for commands.
    outside.Send(window->Window(), outside.Atom("SOMETHING_ELSE"), 60, 1);
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(4u, got.size());
}

TEST_F(PlayerWindowTest, PostsOfTheUiThreadWaitForTheEventLoopAndKeepTheOrderWithOtherThreads)
{
    window->Post(1131, 0, 1);
    EXPECT_TRUE(got.empty()); // never handled inside Post
    QEventLoop loop;
    QTimer::singleShot(0, [&] {
        const std::size_t before = got.size();
        window->Post(1131, 0, 2);
        std::thread([&] { window->Post(1131, 0, 3); }).join();
        window->Post(1131, 0, 4);
        EXPECT_EQ(before, got.size());
    });
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec(); // a blocking loop: drained before it sleeps
    ASSERT_EQ(4u, got.size());
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(i + 1, got[std::size_t(i)].l);
        EXPECT_TRUE(got[std::size_t(i)].onUiThread);
    }
}

TEST_F(PlayerWindowTest, EachPostedTitleIsItsOwnCopyTakenOnce)
{
    std::string buffer = "First";
    window->PostTitle(1134, 7, buffer);
    buffer = "Second, longer, overwriting the first";
    window->PostTitle(1134, 7, buffer);
    buffer.clear();
    ASSERT_TRUE(PumpUntil([&] { return got.size() >= 2; }));
    EXPECT_EQ(7, got[0].w);
    EXPECT_NE(got[0].l, got[1].l);
    EXPECT_EQ("First", window->TakeTitle(got[0].l));
    EXPECT_EQ("Second, longer, overwriting the first", window->TakeTitle(got[1].l));
    EXPECT_EQ("", window->TakeTitle(got[0].l));
}

TEST(PlayerWindowWithoutDisplay, FallsBackToAnOrderedInProcessQueue)
{
    const char *display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    unsetenv("DISPLAY");
    std::vector<std::int32_t> got;
    std::atomic<bool> wrongThread{false};
    const auto ui = std::this_thread::get_id();
    {
        PlayerWindow window([&](std::uint32_t, std::int32_t, std::int32_t l) {
            if (std::this_thread::get_id() != ui)
                wrongThread = true;
            got.push_back(l);
        });
        if (!saved.empty())
            setenv("DISPLAY", saved.c_str(), 1);
        EXPECT_EQ(0u, window.Window());
        std::thread poster([&] {
            for (int i = 0; i < 100; ++i)
                window.Post(1132, 0, i);
        });
        poster.join();
        EXPECT_TRUE(got.empty()); // nothing runs on the posting thread
        ASSERT_TRUE(PumpUntil([&] { return got.size() >= 100; }));
    }
    EXPECT_FALSE(wrongThread);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(i, got[std::size_t(i)]);
}
