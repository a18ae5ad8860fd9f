// The real Qt main window: offscreen, and (the _xcb binary) on the X display
// the test run provides.
#include <QApplication>
#include <QCursor>
#include <QImage>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/SystemColours.h"
#include "ui/LayoutFakes.h"
#include "ui/WindowLayout.h"
#include "ui/qt/QtMainWindow.h"
#include "ui/qt/QtScreenMetrics.h"

#ifdef QUAVERLY_UI_TEST_XCB
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <xcb/xcb.h>
// The same cases under their own name, so the two binaries' tests differ.
#define QtMainWindowTest QtMainWindowOnDisplayTest
// The session bus library keeps a buffer for the whole process; the leak
// checker of the sanitizer builds is told so (no effect in other builds).
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n";
}
// Runs before main() sets its defaults: this binary uses the real display.
static const bool kUseDisplay = [] {
    if (std::getenv("DISPLAY"))
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    return true;
}();
#endif

namespace quaverly {
namespace {

using test::FakeVideo;

// Records every event as a line and drives the layout handlers the way the
// shell does for the window's own buttons.
struct RecordingEvents : IFormEvents {
    std::vector<std::string> Log;
    TWindowLayout *Layout = nullptr;
    bool AllowClose = true;

    void Add(const std::string &line) { Log.push_back(line); }
    static const char *ButtonName(TMouseButton b)
    {
        return b == TMouseButton::mbLeft ? "left" : b == TMouseButton::mbRight ? "right" : "middle";
    }
    void FormShow() override { Add("FormShow"); }
    void FormActivate() override { Add("FormActivate"); }
    void ApplicationActivate() override { Add("ApplicationActivate"); }
    bool FormCloseQuery() override
    {
        Add("FormCloseQuery");
        return true;
    }
    bool FormClose() override
    {
        Add("FormClose");
        return AllowClose;
    }
    void Click(TControlId c) override
    {
        Add(std::string("Click ") + ControlName(c));
        if (c == TControlId::sbPower || c == TControlId::sbPower2 || c == TControlId::sbPower3)
            Layout->sbPowerClick();
        if (c == TControlId::sbMin)
            Layout->sbMinClick();
    }
    void DblClick(TControlId c) override { Add(std::string("DblClick ") + ControlName(c)); }
    void MouseDown(TControlId c, TMouseButton b, TShiftState, int x, int y) override
    {
        std::ostringstream s;
        s << "MouseDown " << ControlName(c) << ' ' << ButtonName(b) << ' ' << x << ',' << y;
        Add(s.str());
        if (c == TControlId::Panel1 || c == TControlId::BtnPanel)
            Layout->Panel1MouseDown(b);
        if (c == TControlId::lbResize)
            Layout->lbResizeMouseDown(b);
    }
    void MouseMove(TControlId, TShiftState, int, int) override {}
    void MouseUp(TControlId c, TMouseButton b, TShiftState, int, int) override
    {
        Add(std::string("MouseUp ") + ControlName(c) + ' ' + ButtonName(b));
    }
    void KeyDown(TControlId c, int &key, TShiftState) override
    {
        Add(std::string("KeyDown ") + ControlName(c) + ' ' + std::to_string(key));
    }
    void SettingChange(int) override {}

    int Count(const std::string &line) const { return int(std::count(Log.begin(), Log.end(), line)); }
    bool Has(const std::string &line) const { return Count(line) > 0; }
};

bool OnDisplay()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

QColor Qc(TColor c)
{
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

class QtMainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
#ifdef QUAVERLY_UI_TEST_XCB
        if (!OnDisplay())
            GTEST_SKIP() << "no X display";
#endif
        InitFormResource(form);
        const TScreenRect s = screen.WholeScreen();
        SetFormBounds(form, (s.Width - 195) / 2, (s.Height - 108) / 2, 195, 108);
        events.Layout = &layout;
        window = std::make_unique<TQtMainWindow>(form, events);
        layout.SetWindowDrag(window.get());
    }
    void TearDown() override { window.reset(); }

    void Show()
    {
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    QWidget *W(TControlId id) { return window->ControlWidget(id); }
    // Presses and releases through the window system, so the press finds the
    // widget under the point as a real one does.
    void Click(QPoint at, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(window->windowHandle(), button, {}, at);
        QApplication::processEvents();
    }
    void Sync() { window->SyncFromModel(); }

    TFormModel form;
    TQtScreenMetrics screen;
    FakeVideo video;
    TWindowLayout layout{form, screen, video};
    RecordingEvents events;
    std::unique_ptr<TQtMainWindow> window;
};

TEST_F(QtMainWindowTest, OpensAsOneFramelessWindowWithItsTitleSizeAndCutCorners)
{
    Show();
    EXPECT_EQ(QStringLiteral("Quaverly"), window->windowTitle());
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(QSize(195, 108), window->size());
    EXPECT_EQ(QRect(form.Form.Left, form.Form.Top, 195, 108), window->geometry());

    const QRegion mask = window->mask();
    EXPECT_EQ(2, mask.rectCount());
    EXPECT_FALSE(mask.contains(QPoint(0, 0)));
    EXPECT_FALSE(mask.contains(QPoint(194, 0)));
    EXPECT_TRUE(mask.contains(QPoint(1, 0)));
    EXPECT_TRUE(mask.contains(QPoint(193, 0)));
    EXPECT_TRUE(mask.contains(QPoint(0, 1)));
    EXPECT_TRUE(mask.contains(QPoint(194, 107)));

    // FormShow runs once, not at every show.
    window->hide();
    window->show();
    QApplication::processEvents();
    EXPECT_EQ(1, events.Count("FormShow"));

    // A title change in the model reaches the window (what task bars show).
    form.ApplicationTitle = "暂停@智能模式";
    Sync();
    EXPECT_EQ(QString::fromUtf8("暂停@智能模式"), window->windowTitle());
}

TEST_F(QtMainWindowTest, ButtonsStandAtTheirTablePlacesWithTheirHints)
{
    Show();
    struct Place {
        TControlId Id;
        QRect Bounds;
        const char *Hint;
        bool Visible;
    };
    const Place places[] = {
        {TControlId::sbPlay, {3, 3, 27, 27}, "播放", true},
        {TControlId::sbNext, {3, 3, 27, 27}, "下一个", false},
        {TControlId::sbAbout, {3, 3, 27, 27}, "版权所有", false},
        {TControlId::sbStop, {30, 3, 27, 27}, "停止", true},
        {TControlId::sbNormal, {57, 3, 27, 27}, "电平表", true},
        {TControlId::sbLevel, {57, 3, 27, 27}, "电平表", false},
        {TControlId::sbOrder, {84, 3, 27, 27}, "顺序", true},
        {TControlId::sbRandom, {84, 3, 27, 27}, "随机", false},
        {TControlId::sbAdd, {111, 3, 27, 27}, "打开", true},
        {TControlId::sbMin, {138, 3, 27, 27}, "最小化", true},
        {TControlId::sbPower, {165, 3, 27, 27}, "电源", true},
        {TControlId::sbNext2, {-1, -1, 5, 55}, "下一个", false},
        {TControlId::sbStop2, {-1, 54, 5, 55}, "停止", false},
        {TControlId::sbPower2, {190, 0, 5, 54}, "电源", false},
        {TControlId::sbNext3, {0, 0, 133, 6}, "下一个", false},
        {TControlId::sbStop3, {133, 0, 134, 6}, "停止", false},
        {TControlId::sbPower3, {267, 0, 133, 6}, "电源", false},
    };
    for (const Place &p : places) {
        SCOPED_TRACE(ControlName(p.Id));
        QWidget *w = W(p.Id);
        ASSERT_NE(nullptr, w);
        // In window coordinates: the row's parent BtnPanel stands at (0, 0).
        EXPECT_EQ(p.Bounds, QRect(w->mapTo(window.get(), QPoint(0, 0)), w->size()));
        EXPECT_EQ(QString::fromUtf8(p.Hint), w->toolTip());
        EXPECT_EQ(p.Visible, w->isVisibleTo(window.get()));
    }
    EXPECT_FALSE(W(TControlId::sbStop)->isEnabled());
    EXPECT_EQ(QRect(5, 36, 185, 72), W(TControlId::MListPanel)->geometry());
    EXPECT_EQ(QRect(0, 67, 185, 5), W(TControlId::lbResize)->geometry());
    EXPECT_EQ(Qt::SizeVerCursor, W(TControlId::lbResize)->cursor().shape());
    // The list view's border lies outside pnRect.
    EXPECT_EQ(QRect(-2, -2, 189, 71), W(TControlId::MList)->geometry());

    form.VisPanel.Cursor = crHandLink;
    Sync();
    EXPECT_EQ(Qt::PointingHandCursor, W(TControlId::VisPanel)->cursor().shape());
}

TEST_F(QtMainWindowTest, ViewSwitchesReshapeTheWindowAsTheModelSays)
{
    Show();
    form.State.EngineKind = ekAudioEngine;
    layout.ShowPlayingView();
    Sync();
    EXPECT_TRUE(window->mask().isEmpty());
    EXPECT_FALSE(W(TControlId::BtnPanel)->isVisibleTo(window.get()));
    EXPECT_TRUE(W(TControlId::VisPanel)->isVisibleTo(window.get()));
    EXPECT_EQ(QRect(0, 0, 195, 1), W(TControlId::Gauge1)->geometry());
    EXPECT_EQ(QRect(0, 1, 195, 2), W(TControlId::Gauge2)->geometry());
    EXPECT_TRUE(W(TControlId::sbPower2)->isVisibleTo(window.get()));

    layout.ShowNormalView();
    form.State.EngineKind = ekMediaControl;
    video.Height = 240;
    layout.ShowPlayingView();
    Sync();
    EXPECT_EQ(QSize(437, 243), window->size());
    EXPECT_EQ(QRect(432, 0, 5, 121), W(TControlId::sbPower2)->geometry());
    EXPECT_EQ(QRect(4, 3, 429, 240), W(TControlId::VdoPanel)->geometry());
    EXPECT_EQ(QSize(437, 243), W(TControlId::Panel1)->size());

    form.State.FormActivated = true;
    layout.ShowStripView();
    Sync();
    EXPECT_EQ(QSize(400, 6), window->size());
    EXPECT_TRUE(W(TControlId::sbStop3)->isVisibleTo(window.get()));
    EXPECT_FALSE(W(TControlId::sbNext2)->isVisibleTo(window.get()));

    layout.ShowNormalView();
    Sync();
    EXPECT_EQ(QSize(195, 108), window->size());
    EXPECT_FALSE(window->mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(W(TControlId::BtnPanel)->isVisibleTo(window.get()));
    EXPECT_FALSE(W(TControlId::sbStop3)->isVisibleTo(window.get()));
}

TEST_F(QtMainWindowTest, ScreenshotShowsTheFaceColoursAndTheProgressLine)
{
    form.Gauge1.SetProgress(50);
    form.Gauge2.SetProgress(50);
    Sync();
    Show();
    const QImage shot = window->grab().toImage();
    const QColor face = Qc(SystemColour(COLOR_GRADIENTACTIVECAPTION));
    const QColor black(0, 0, 0);
    EXPECT_EQ(face, shot.pixelColor(1, 1));            // the button row
    EXPECT_EQ(face, shot.pixelColor(4, 4));            // the play button's face around its glyph
    EXPECT_EQ(face, shot.pixelColor(193, 20));
    EXPECT_LT(shot.pixelColor(16, 16).lightness(), face.lightness() - 60);   // the play glyph
    // The progress line: row 30 shows the progress in the face colour on
    // black, row 31 the other way round.
    EXPECT_EQ(face, shot.pixelColor(10, 30));
    EXPECT_EQ(black, shot.pixelColor(150, 30));
    EXPECT_EQ(black, shot.pixelColor(10, 31));
    EXPECT_EQ(face, shot.pixelColor(150, 31));
    EXPECT_EQ(face, shot.pixelColor(100, 33));         // the gap above the list
    EXPECT_EQ(black, shot.pixelColor(100, 60));        // the list
    EXPECT_EQ(face, shot.pixelColor(100, 36 + 69));    // the resize strip

    // The credit-view black form shows through the list panel's edges.
    form.Form.Color = clBlack;
    form.lbResize.Visible = false;
    Sync();
    const QImage credit = window->grab().toImage();
    EXPECT_EQ(black, credit.pixelColor(100, 33));
    EXPECT_EQ(black, credit.pixelColor(100, 36 + 69));
    EXPECT_EQ(face, credit.pixelColor(1, 1));
}

TEST_F(QtMainWindowTest, ClickReportsPressReleaseAndClickAndDisabledButtonsPassThePressOn)
{
    Show();
    events.Log.clear();
    Click(QPoint(120, 15));   // sbAdd
    const std::vector<std::string> expected = {"MouseDown sbAdd left 9,12", "MouseUp sbAdd left", "Click sbAdd"};
    EXPECT_EQ(expected, events.Log);

    // The stop button is disabled while nothing plays: its press reaches the
    // button row, as a press on the row itself does.
    events.Log.clear();
    form.State.WindowCentred = true;
    Click(QPoint(40, 15));
    EXPECT_TRUE(events.Has("MouseDown BtnPanel left 40,15"));
    EXPECT_FALSE(events.Has("Click sbStop"));

    form.sbStop.Enabled = true;
    Sync();
    events.Log.clear();
    Click(QPoint(40, 15));
    EXPECT_TRUE(events.Has("Click sbStop"));

    // A right click is no click.
    events.Log.clear();
    Click(QPoint(120, 15), Qt::RightButton);
    EXPECT_TRUE(events.Has("MouseUp sbAdd right"));
    EXPECT_FALSE(events.Has("Click sbAdd"));
}

TEST_F(QtMainWindowTest, KeysReachTheShellAsVirtualKeyCodes)
{
    Show();
    window->activateWindow();
    window->setFocus();
    QTest::keyClick(window.get(), Qt::Key_F5);
    EXPECT_TRUE(events.Has("KeyDown TMainForm 116")) << testing::PrintToString(events.Log);
}

TEST_F(QtMainWindowTest, PowerButtonClosesThroughCloseQueryAndClose)
{
    Show();
    Click(QPoint(175, 15));   // sbPower
    QTRY_VERIFY(!window->isVisible());
    EXPECT_TRUE(events.Has("Click sbPower"));
    const auto query = std::find(events.Log.begin(), events.Log.end(), "FormCloseQuery");
    const auto close = std::find(events.Log.begin(), events.Log.end(), "FormClose");
    ASSERT_NE(events.Log.end(), query);
    EXPECT_LT(query, close);
}

TEST_F(QtMainWindowTest, ARefusedCloseKeepsTheWindow)
{
    Show();
    events.AllowClose = false;
    window->close();
    QApplication::processEvents();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(events.Has("FormClose"));
}

TEST_F(QtMainWindowTest, MinimiseButtonIconifiesTheWindow)
{
    Show();
    Click(QPoint(150, 15));   // sbMin
    EXPECT_TRUE(form.Form.Minimized);
    QTRY_VERIFY(window->isMinimized());
}

TEST_F(QtMainWindowTest, DraggingTheButtonRowMovesTheWindowWithoutAWindowManager)
{
    if (OnDisplay())
        GTEST_SKIP() << "on a display the window manager runs the move with the real pointer";
    Show();
    const QPoint start = window->pos();
    QWindow *handle = window->windowHandle();
    QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(193, 20));
    QTest::mouseMove(handle, QPoint(213, 50));
    // The pointer has not moved since; the window has, under it.
    QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(193, 20));
    QApplication::processEvents();
    EXPECT_EQ(start + QPoint(20, 30), QPoint(form.Form.Left, form.Form.Top));
    EXPECT_EQ(start + QPoint(20, 30), window->pos());
    EXPECT_TRUE(form.State.GeometryDirty);
    EXPECT_FALSE(form.State.WindowCentred);
}

TEST_F(QtMainWindowTest, SizingFromTheStripFollowsTheMouseAndSnapsTheListOnRelease)
{
    int fits = 0;
    layout.FitListHeight = [&] { ++fits; };
    form.lbResize.Enabled = true;
    Sync();
    Show();
    QWindow *handle = window->windowHandle();
    QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(60, 105));
    QTest::mouseMove(handle, QPoint(60, 165));
    EXPECT_EQ(168, form.Form.Height);
    EXPECT_EQ(132, form.MListPanel.Height);
    EXPECT_EQ(0, fits);
    QTRY_COMPARE(window->height(), 168);
    EXPECT_EQ(195, window->width());
    EXPECT_EQ(QRect(0, 127, 185, 5), W(TControlId::lbResize)->geometry());
    EXPECT_TRUE(window->mask().contains(QPoint(100, 167)));
    EXPECT_FALSE(window->mask().contains(QPoint(194, 0)));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(60, 165));
    QApplication::processEvents();
    EXPECT_EQ(1, fits);
    EXPECT_TRUE(form.State.GeometryDirty);

    // A disabled strip (four rows or fewer) does not size the window.
    form.lbResize.Enabled = false;
    Sync();
    QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(60, 165));
    QTest::mouseMove(handle, QPoint(60, 200));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(60, 200));
    QApplication::processEvents();
    EXPECT_EQ(168, form.Form.Height);
    EXPECT_EQ(1, fits);
}

TEST_F(QtMainWindowTest, AMoveByTheWindowManagerComesBackIntoTheModel)
{
    Show();
    window->move(window->pos() + QPoint(30, 40));
    QTRY_COMPARE(QPoint(form.Form.Left, form.Form.Top), window->pos());
    // and a later mirror keeps the window where it now is
    Sync();
    EXPECT_EQ(QPoint(form.Form.Left, form.Form.Top), window->pos());
}

#ifdef QUAVERLY_UI_TEST_XCB
TEST_F(QtMainWindowTest, OnTheDisplayTheCornersAreNotPaintedAndTheClassIsTheForms)
{
    Show();
    QTest::qWait(200);
    const QPoint origin = window->geometry().topLeft();
    const QImage root = window->screen()->grabWindow(0, origin.x(), origin.y(), 195, 2).toImage();
    const QColor face = Qc(SystemColour(COLOR_GRADIENTACTIVECAPTION));
    EXPECT_NE(face, root.pixelColor(0, 0));
    EXPECT_NE(face, root.pixelColor(194, 0));
    EXPECT_EQ(face, root.pixelColor(1, 0));
    EXPECT_EQ(face, root.pixelColor(193, 0));
    EXPECT_EQ(face, root.pixelColor(0, 1));

    auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    ASSERT_NE(nullptr, x11);
    xcb_connection_t *c = x11->connection();
    auto cookie = xcb_get_property(c, 0, xcb_window_t(window->winId()), XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(c, cookie, nullptr);
    ASSERT_NE(nullptr, reply);
    const char *data = static_cast<const char *>(xcb_get_property_value(reply));
    const std::string value(data, size_t(xcb_get_property_value_length(reply)));
    free(reply);
    const auto nul = value.find('\0');
    ASSERT_NE(std::string::npos, nul);
    EXPECT_EQ("TMainForm", value.substr(nul + 1, value.find('\0', nul + 1) - nul - 1));
}
#endif

}  // namespace
}  // namespace quaverly
