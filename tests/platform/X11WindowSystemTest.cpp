#include "platform/Screen.h"
#include "platform/X11WindowSystem.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <thread>
#include <xcb/xcb.h>

using namespace quaverly;

namespace {

// Polls cond for up to two seconds: the server and a window manager answer
// asynchronously.
bool WaitFor(const std::function<bool()> &cond)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!cond()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// A small top-level window on its own connection, as another program's
// window would be.
class HelperWindow {
public:
    HelperWindow(int x, int y, int w, int h)
    {
        c_ = xcb_connect(nullptr, nullptr);
        xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
        id_ = xcb_generate_id(c_);
        std::uint32_t values[] = {screen->white_pixel, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, id_, screen->root, std::int16_t(x), std::int16_t(y),
                          std::uint16_t(w), std::uint16_t(h), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                          XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
        Sync();
    }
    ~HelperWindow()
    {
        xcb_destroy_window(c_, id_);
        xcb_flush(c_);
        xcb_disconnect(c_);
    }
    XWindow id() const { return id_; }
    xcb_connection_t *connection() { return c_; }

    xcb_atom_t Atom(const char *name)
    {
        auto *r = xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, std::uint16_t(std::strlen(name)), name), nullptr);
        xcb_atom_t a = r ? r->atom : 0;
        std::free(r);
        return a;
    }
    void SetProperty(const char *property, xcb_atom_t type, int format, const void *data, std::size_t count)
    {
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, id_, Atom(property), type, std::uint8_t(format),
                            std::uint32_t(count), data);
        Sync();
    }
    // A round trip: once it answers, the server has carried out every request sent before it, so
    // another connection reading the window next sees the change.
    void Sync()
    {
        std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
    }
    void SetText(const char *property, const char *type, const std::string &text)
    {
        SetProperty(property, Atom(type), 8, text.data(), text.size());
    }
    void AcceptDelete()
    {
        xcb_atom_t del = Atom("WM_DELETE_WINDOW");
        SetProperty("WM_PROTOCOLS", XCB_ATOM_ATOM, 32, &del, 1);
    }
    void Map()
    {
        xcb_map_window(c_, id_);
        xcb_flush(c_);
    }
    // The next ClientMessage for this window within the time limit.
    bool NextClientMessage(xcb_client_message_event_t &out, int timeoutMs)
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < deadline) {
            while (xcb_generic_event_t *e = xcb_poll_for_event(c_)) {
                bool hit = (e->response_type & 0x7f) == XCB_CLIENT_MESSAGE;
                if (hit)
                    std::memcpy(&out, e, sizeof out);
                std::free(e);
                if (hit)
                    return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

private:
    xcb_connection_t *c_ = nullptr;
    XWindow id_ = 0;
};

class X11WindowSystemTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY") || !*std::getenv("DISPLAY"))
            GTEST_SKIP() << "no X display";
        windows_ = std::make_unique<X11WindowSystem>();
        if (!windows_->connected())
            GTEST_SKIP() << "cannot connect to the X display";
        auto check = windows_->InternAtom("_NET_SUPPORTING_WM_CHECK");
        xcb_connection_t *c = static_cast<xcb_connection_t *>(windows_->connection());
        auto *r = xcb_get_property_reply(c, xcb_get_property(c, 0, windows_->Root(), check, XCB_ATOM_WINDOW, 0, 1),
                                         nullptr);
        withWm_ = r && xcb_get_property_value_length(r) == 4;
        std::free(r);
    }
    bool Lists(XWindow w)
    {
        auto list = windows_->TopLevelWindowsTopFirst();
        return std::find(list.begin(), list.end(), w) != list.end();
    }
    std::ptrdiff_t Depth(XWindow w)
    {
        auto list = windows_->TopLevelWindowsTopFirst();
        return std::find(list.begin(), list.end(), w) - list.begin();
    }

    std::unique_ptr<X11WindowSystem> windows_;
    bool withWm_ = false;
};

}  // namespace

TEST_F(X11WindowSystemTest, TitlePrefersUtf8NameAndClassIsTheSecondPart)
{
    HelperWindow a(0, 0, 40, 30), b(0, 0, 40, 30);
    a.SetText("_NET_WM_NAME", "UTF8_STRING", "播放 Quaverly test A");
    a.SetText("WM_NAME", "STRING", "legacy");
    const char cls[] = "qinstance\0QuaverlyTestClass";
    a.SetProperty("WM_CLASS", XCB_ATOM_STRING, 8, cls, sizeof cls);  // with its final NUL
    b.SetText("WM_NAME", "STRING", "Quaverly test B");
    a.Map();
    b.Map();
    EXPECT_EQ("播放 Quaverly test A", windows_->Title(a.id()));
    EXPECT_EQ("Quaverly test B", windows_->Title(b.id()));
    EXPECT_EQ("QuaverlyTestClass", windows_->ClassName(a.id()));
    EXPECT_EQ("", windows_->ClassName(b.id()));
    EXPECT_TRUE(WaitFor([&] { return windows_->FindByTitle("Quaverly test B") == b.id(); }));
    EXPECT_EQ(a.id(), windows_->FindByTitle("播放 Quaverly test A"));
    EXPECT_EQ(0u, windows_->FindByTitle("Quaverly test nobody"));
}

TEST_F(X11WindowSystemTest, NeverMappedWindowsAreFoundByTitle)
{
    HelperWindow hidden(0, 0, 10, 10);
    hidden.SetText("WM_NAME", "STRING", "Quaverly hidden receiver");
    EXPECT_EQ(hidden.id(), windows_->FindByTitle("Quaverly hidden receiver"));
    EXPECT_FALSE(windows_->IsVisible(hidden.id()));
    EXPECT_TRUE(windows_->Exists(hidden.id()));
}

TEST_F(X11WindowSystemTest, ZOrderIsTopFirstAndPlaceBelowRestacks)
{
    HelperWindow lower(0, 0, 50, 50), upper(20, 20, 50, 50);
    lower.SetText("WM_NAME", "STRING", "Quaverly z lower");
    upper.SetText("WM_NAME", "STRING", "Quaverly z upper");
    lower.Map();
    ASSERT_TRUE(WaitFor([&] { return Lists(lower.id()); }));
    upper.Map();
    ASSERT_TRUE(WaitFor([&] { return Lists(upper.id()) && Depth(upper.id()) < Depth(lower.id()); }));
    if (withWm_) {
        // The WM focuses a new window after managing it; a restack must come
        // after that, or the focus change may raise the window again.
        WaitFor([&] { return windows_->ForegroundWindow() == upper.id(); });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_TRUE(windows_->PlaceBelow(upper.id(), lower.id()));
    EXPECT_TRUE(WaitFor([&] { return Depth(upper.id()) > Depth(lower.id()); }));
    EXPECT_FALSE(windows_->PlaceBelow(upper.id(), upper.id()));
    EXPECT_FALSE(windows_->PlaceBelow(upper.id(), 0x7fffff0));
}

TEST_F(X11WindowSystemTest, RectVisibleAndIconicFollowTheWindow)
{
    HelperWindow w(30, 40, 120, 60);
    EXPECT_FALSE(windows_->IsVisible(w.id()));
    w.Map();
    ASSERT_TRUE(WaitFor([&] { return windows_->IsVisible(w.id()); }));
    auto rect = windows_->Rect(w.id());
    ASSERT_TRUE(rect.has_value());
    if (withWm_) {
        // A frame may add decorations and the WM may place it elsewhere.
        EXPECT_GE(rect->width(), 120);
        EXPECT_GE(rect->height(), 60);
    } else {
        EXPECT_EQ(30, rect->left);
        EXPECT_EQ(40, rect->top);
        EXPECT_EQ(150, rect->right);
        EXPECT_EQ(100, rect->bottom);
    }
    EXPECT_FALSE(windows_->IsIconic(w.id()));

    HelperWindow iconic(0, 0, 10, 10), hidden(0, 0, 10, 10);
    std::uint32_t state[2] = {3, 0};  // WM_STATE Iconic, no icon window
    iconic.SetProperty("WM_STATE", iconic.Atom("WM_STATE"), 32, state, 2);
    EXPECT_TRUE(windows_->IsIconic(iconic.id()));
    xcb_atom_t atoms[2] = {hidden.Atom("_NET_WM_STATE_ABOVE"), hidden.Atom("_NET_WM_STATE_HIDDEN")};
    hidden.SetProperty("_NET_WM_STATE", XCB_ATOM_ATOM, 32, atoms, 2);
    EXPECT_TRUE(windows_->IsIconic(hidden.id()));
}

TEST_F(X11WindowSystemTest, CloseWaitsForTheWindowToGoAndGivesUpInBoundedTime)
{
    HelperWindow obeys(0, 0, 30, 30), ignores(0, 0, 30, 30);
    obeys.AcceptDelete();
    obeys.Map();
    ignores.AcceptDelete();
    ignores.Map();
    ASSERT_TRUE(WaitFor([&] { return windows_->IsVisible(obeys.id()) && windows_->IsVisible(ignores.id()); }));

    xcb_atom_t protocols = obeys.Atom("WM_PROTOCOLS"), del = obeys.Atom("WM_DELETE_WINDOW");
    std::atomic<bool> gotDelete {false};
    std::thread owner([&] {
        xcb_client_message_event_t ev {};
        while (obeys.NextClientMessage(ev, 2000)) {
            if (ev.type == protocols && ev.data.data32[0] == del) {
                gotDelete = true;
                xcb_unmap_window(obeys.connection(), obeys.id());
                xcb_flush(obeys.connection());
                return;
            }
        }
    });
    EXPECT_TRUE(windows_->CloseAndWait(obeys.id(), 2000));
    owner.join();
    EXPECT_TRUE(gotDelete);

    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(windows_->CloseAndWait(ignores.id(), 150));
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(150));
    EXPECT_LT(took, std::chrono::seconds(2));
    EXPECT_TRUE(windows_->CloseAndWait(0x7fffff0, 1000));  // no such window: gone already
}

TEST_F(X11WindowSystemTest, ClientMessagesCarryTheAtomAndSigned32BitWords)
{
    HelperWindow receiver(0, 0, 10, 10);
    std::uint32_t atom = windows_->InternAtom("WM_QuaverlyTestMessage");
    ASSERT_NE(0u, atom);
    EXPECT_EQ(atom, windows_->InternAtom("WM_QuaverlyTestMessage"));
    EXPECT_EQ(atom, receiver.Atom("WM_QuaverlyTestMessage"));
    ASSERT_TRUE(windows_->PostClientMessage(receiver.id(), atom, 55, -5));
    windows_->Flush();
    xcb_client_message_event_t ev {};
    ASSERT_TRUE(receiver.NextClientMessage(ev, 2000));
    EXPECT_EQ(atom, ev.type);
    EXPECT_EQ(32, ev.format);
    EXPECT_EQ(55, std::int32_t(ev.data.data32[0]));
    EXPECT_EQ(-5, std::int32_t(ev.data.data32[1]));
    EXPECT_FALSE(windows_->PostClientMessage(0x7fffff0, atom, 1, 2));
    EXPECT_FALSE(windows_->PostClientMessage(receiver.id(), 0, 1, 2));
}

TEST_F(X11WindowSystemTest, ForegroundIsTheActiveWindowOfTheWindowManager)
{
    if (!withWm_) {
        EXPECT_EQ(0u, windows_->ForegroundWindow());
        return;
    }
    HelperWindow w(0, 0, 60, 40);
    w.SetText("WM_NAME", "STRING", "Quaverly active");
    w.Map();
    ASSERT_TRUE(WaitFor([&] { return Lists(w.id()); }));
    xcb_client_message_event_t ev {};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = w.id();
    ev.type = w.Atom("_NET_ACTIVE_WINDOW");
    ev.data.data32[0] = 2;
    xcb_send_event(w.connection(), 0, windows_->Root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&ev));
    // Focus stealing prevention may refuse the request; the WM follows a
    // real focus change in any case.
    xcb_set_input_focus(w.connection(), XCB_INPUT_FOCUS_POINTER_ROOT, w.id(), XCB_CURRENT_TIME);
    xcb_flush(w.connection());
    EXPECT_TRUE(WaitFor([&] { return windows_->ForegroundWindow() == w.id(); }))
        << std::hex << windows_->ForegroundWindow() << " is active, not " << w.id();
}

TEST_F(X11WindowSystemTest, ScreenIsTheRootAndTheWorkAreaLiesInside)
{
    Screen screen(*windows_);
    WindowRect whole = screen.WholeScreen();
    xcb_connection_t *c = static_cast<xcb_connection_t *>(windows_->connection());
    xcb_screen_t *s = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    EXPECT_EQ(0, whole.left);
    EXPECT_EQ(s->width_in_pixels, whole.width());
    EXPECT_EQ(s->height_in_pixels, whole.height());
    WindowRect area = screen.WorkArea();
    EXPECT_GE(area.left, whole.left);
    EXPECT_GE(area.top, whole.top);
    EXPECT_LE(area.right, whole.right);
    EXPECT_LE(area.bottom, whole.bottom);
    EXPECT_GT(area.width(), 0);
}

TEST(X11WindowSystemOffline, WithoutADisplayEveryCallAnswersNothing)
{
    X11WindowSystem windows(":1999");
    EXPECT_FALSE(windows.connected());
    EXPECT_TRUE(windows.TopLevelWindowsTopFirst().empty());
    EXPECT_EQ(0u, windows.FindByTitle("x"));
    EXPECT_EQ("", windows.Title(1));
    EXPECT_EQ(0u, windows.ForegroundWindow());
    EXPECT_FALSE(windows.Rect(1).has_value());
    EXPECT_FALSE(windows.PlaceBelow(1, 2));
    EXPECT_EQ(0u, windows.InternAtom("WM_X"));
    EXPECT_FALSE(windows.PostClientMessage(1, 2, 3, 4));
    Screen screen(windows);
    EXPECT_EQ(1024, screen.WholeScreen().width());
    EXPECT_EQ(768, screen.WorkArea().height());
}

TEST_F(X11WindowSystemTest, OwnerProcessDesktopTypeAndAPostedCloseRequest)
{
    HelperWindow player(0, 0, 30, 30), desktop(0, 0, 30, 30), bare(0, 0, 30, 30);
    std::uint32_t pid = 4242;
    player.SetProperty("_NET_WM_PID", XCB_ATOM_CARDINAL, 32, &pid, 1);
    xcb_atom_t types[] = {desktop.Atom("_NET_WM_WINDOW_TYPE_NORMAL"), desktop.Atom("_NET_WM_WINDOW_TYPE_DESKTOP")};
    desktop.SetProperty("_NET_WM_WINDOW_TYPE", XCB_ATOM_ATOM, 32, types, 2);
    EXPECT_EQ(4242u, windows_->ProcessId(player.id()));
    EXPECT_EQ(0u, windows_->ProcessId(bare.id()));
    EXPECT_TRUE(windows_->IsDesktop(desktop.id()));
    EXPECT_FALSE(windows_->IsDesktop(player.id()));

    // Posted: the call returns before anyone answers, and the owner gets the request.
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(windows_->RequestClose(player.id()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    xcb_client_message_event_t ev {};
    ASSERT_TRUE(player.NextClientMessage(ev, 2000));
    EXPECT_EQ(player.Atom("WM_PROTOCOLS"), ev.type);
    EXPECT_EQ(player.Atom("WM_DELETE_WINDOW"), ev.data.data32[0]);
    EXPECT_FALSE(windows_->RequestClose(0x7fffff0));  // no such window
}
