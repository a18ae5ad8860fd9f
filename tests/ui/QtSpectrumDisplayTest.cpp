// The spectrum display in the real window (offscreen), on a screen of device
// pixel ratio 2.
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QTest>
#include <QWidget>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>

#include "ui/LayoutFakes.h"
#include "ui/WindowLayout.h"
#include "ui/qt/QtMainWindow.h"
#include "ui/qt/QtSpectrumDisplay.h"

// Runs before main() makes the application: every screen of this binary has
// two device pixels to a logical one.
static const bool kScaledScreen = [] {
    setenv("QT_SCALE_FACTOR", "2", 1);
    return true;
}();

namespace quaverly {
namespace {

struct NoEvents : IFormEvents {
    void FormShow() override {}
    void FormActivate() override {}
    void ApplicationActivate() override {}
    bool FormCloseQuery() override { return true; }
    bool FormClose() override { return true; }
    void Click(TControlId) override {}
    void DblClick(TControlId) override {}
    void MouseDown(TControlId, TMouseButton, TShiftState, int, int) override {}
    void MouseMove(TControlId, TShiftState, int, int) override {}
    void MouseUp(TControlId, TMouseButton, TShiftState, int, int) override {}
    void KeyDown(TControlId, int &, TShiftState) override {}
    void SettingChange(int) override {}
};

// Counts the paint events of every widget.
struct PaintCounter : QObject {
    std::map<QObject *, int> Paints;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++Paints[watched];
        return false;
    }
};

bool PumpUntil(const std::function<bool()> &done, int ms = 3000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

class QtSpectrumDisplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitFormResource(form);
        form.VisBox.Visible = true;
        form.State.EngineKind = ekAudioEngine;
        form.State.DisplayMode = 3;
        layout.ShowPlayingView();
        window = std::make_unique<TQtMainWindow>(form, events);
        window->SyncFromModel();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        visBox = window->ControlWidget(TControlId::VisBox);
        display = std::make_unique<TQtSpectrumDisplay>(form.State);
        display->ShowIn(window.get());
    }
    void TearDown() override
    {
        display.reset();
        window.reset();
    }

    TFormModel form;
    test::FakeScreen screen;
    test::FakeVideo video;
    TWindowLayout layout{form, screen, video};
    NoEvents events;
    std::unique_ptr<TQtMainWindow> window;
    std::unique_ptr<TQtSpectrumDisplay> display;
    QWidget *visBox = nullptr;
};

TEST_F(QtSpectrumDisplayTest, EachFrameRepaintsTheBoxOnceAndNothingElse)
{
    display->InitSpectrumBitmaps();
    PaintCounter counter;
    ASSERT_TRUE(PumpUntil([&] {
        QCoreApplication::processEvents();
        return !visBox->testAttribute(Qt::WA_PendingUpdate);
    }));
    qApp->installEventFilter(&counter);

    TBandOut bands{};
    for (int frame = 1; frame <= 10; ++frame) {
        bands[frame] = std::uint16_t(frame * 9);
        display->DrawSpectrumFrame(bands);
        ASSERT_TRUE(PumpUntil([&] { return counter.Paints[visBox] >= frame; })) << frame;
    }
    QCoreApplication::processEvents();
    qApp->removeEventFilter(&counter);
    EXPECT_EQ(10, counter.Paints[visBox]);
    for (auto [object, count] : counter.Paints)
        if (object != visBox && count)
            ADD_FAILURE() << object->metaObject()->className() << " " << object->objectName().toStdString() << " " << count;
}

TEST_F(QtSpectrumDisplayTest, PictureKeepsItsLogicalSizeAndIsShownAgainAfterAnExpose)
{
    display->InitSpectrumBitmaps();
    TBandOut bands{};
    bands[0] = 92;
    bands[10] = 40;
    display->DrawSpectrumFrame(bands);
    bands = {};
    display->DrawSpectrumFrame(bands);   // markers over empty columns

    window->hide();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));

    const QImage &frame = display->Frame().Image();
    EXPECT_EQ(QSize(171, 92), visBox->size());
    const QPixmap shot = visBox->grab();
    ASSERT_DOUBLE_EQ(2.0, shot.devicePixelRatio());
    const QImage screen = shot.toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(QSize(342, 184), screen.size());
    for (int y = 0; y < 92; ++y)
        for (int x = 0; x < 171; ++x)
            for (int d : {0, 1})
                ASSERT_EQ(frame.pixel(x, y), screen.pixel(2 * x + d, 2 * y + d)) << x << "," << y;
    EXPECT_EQ(qRgb(0, 0, 255), screen.pixel(10, 2));   // band 1's marker at rows 0 and 1
}

TEST_F(QtSpectrumDisplayTest, FreedDisplayIgnoresLateFramesAndTheBoxFallsBackToItsColour)
{
    display->InitSpectrumBitmaps();
    TBandOut bands{};
    bands.fill(92);
    display->DrawSpectrumFrame(bands);
    display->FreeSpectrumBitmaps();
    display->DrawSpectrumFrame(bands);
    display->ClearSpectrum();

    const QImage screen = visBox->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(qRgb(0, 0, 0), screen.pixel(100, 100));
}

}  // namespace
}  // namespace quaverly
