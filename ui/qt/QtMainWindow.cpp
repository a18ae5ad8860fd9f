#include "ui/qt/QtMainWindow.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QRegion>
#include <QTimer>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>
#include <algorithm>
#include <xcb/xcb.h>

#include "ui/WindowLayout.h"
#include "ui/qt/QtControl.h"
#include "ui/qt/QtEventMapping.h"

#include "ui/qt/PlaylistView.h"

namespace quaverly {

namespace {

// The class part of WM_CLASS: the form's class name, as other programs look
// the window up by it.
constexpr char kWindowClass[] = "TMainForm";

// Which widget holds which: everything sits on Panel1, which fills the form;
// the buttons of the row on BtnPanel; the list on pnRect inside MListPanel;
// the title, time and spectrum on VisPanel. Creation order is the stacking
// order, bottom first.
struct TChild {
    TControlId Id;
    TControlId Parent;
    TQtControlKind Kind;
};
constexpr TChild kChildren[] = {
    {TControlId::Panel1, TControlId::Form, TQtControlKind::Panel},
    {TControlId::BtnPanel, TControlId::Panel1, TQtControlKind::Panel},
    {TControlId::sbPlay, TControlId::BtnPanel, TQtControlKind::Button},
    {TControlId::sbNext, TControlId::BtnPanel, TQtControlKind::Button},
    {TControlId::sbAbout, TControlId::BtnPanel, TQtControlKind::Button},
    {TControlId::sbStop, TControlId::BtnPanel, TQtControlKind::Button},
    {TControlId::sbNormal, TControlId::BtnPanel, TQtControlKind::Button},
    {TControlId::sbLevel, TControlId::BtnPanel, TQtControlKind::Button},
    {TControlId::sbOrder, TControlId::BtnPanel, TQtControlKind::Button},
    {TControlId::sbRandom, TControlId::BtnPanel, TQtControlKind::Button},
    {TControlId::sbAdd, TControlId::BtnPanel, TQtControlKind::Button},
    {TControlId::sbMin, TControlId::BtnPanel, TQtControlKind::Button},
    {TControlId::sbPower, TControlId::BtnPanel, TQtControlKind::Button},
    {TControlId::MListPanel, TControlId::Panel1, TQtControlKind::Panel},
    {TControlId::pnRect, TControlId::MListPanel, TQtControlKind::Panel},
    {TControlId::lbResize, TControlId::MListPanel, TQtControlKind::Label},
    {TControlId::VdoPanel, TControlId::Panel1, TQtControlKind::Panel},
    {TControlId::VisPanel, TControlId::Panel1, TQtControlKind::Panel},
    {TControlId::VisBox, TControlId::VisPanel, TQtControlKind::PaintBox},
    {TControlId::lbTitle, TControlId::VisPanel, TQtControlKind::Label},
    {TControlId::lbTime, TControlId::VisPanel, TQtControlKind::Label},
    {TControlId::Gauge1, TControlId::Panel1, TQtControlKind::Gauge},
    {TControlId::Gauge2, TControlId::Panel1, TQtControlKind::Gauge},
    {TControlId::lbProgress, TControlId::Panel1, TQtControlKind::Label},
    {TControlId::sbNext2, TControlId::Panel1, TQtControlKind::Button},
    {TControlId::sbStop2, TControlId::Panel1, TQtControlKind::Button},
    {TControlId::sbPower2, TControlId::Panel1, TQtControlKind::Button},
    {TControlId::sbNext3, TControlId::Panel1, TQtControlKind::Button},
    {TControlId::sbStop3, TControlId::Panel1, TQtControlKind::Button},
    {TControlId::sbPower3, TControlId::Panel1, TQtControlKind::Button},
};

TControlId ParentOf(TControlId id)
{
    if (id == TControlId::MList)
        return TControlId::pnRect;
    for (const TChild &c : kChildren)
        if (c.Id == id)
            return c.Parent;
    return TControlId::Form;
}

QRegion ToQRegion(const std::vector<TRegionRect> &rects)
{
    QRegion region;
    for (const TRegionRect &r : rects)
        if (r.Right > r.Left && r.Bottom > r.Top)
            region += QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
    return region;
}

}  // namespace

TQtMainWindow::TQtMainWindow(TFormModel &form, IFormEvents &events, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), form_(form), events_(events)
{
    setObjectName(QStringLiteral("TMainForm"));
    setFont(FontFor("宋体", 12));
    BuildWidgets();
    SetWindowClass();
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            Report([this] { events_.ApplicationActivate(); });
    });
    SyncFromModel();
}

TQtMainWindow::~TQtMainWindow() = default;

void TQtMainWindow::BuildWidgets()
{
    widgets_[std::size_t(TControlId::Form)] = this;
    for (const TChild &c : kChildren) {
        QWidget *parentWidget = widgets_[std::size_t(c.Parent)];
        auto *w = new TQtControl(*this, c.Id, c.Kind, parentWidget);
        widgets_[std::size_t(c.Id)] = w;
        if (c.Id == TControlId::pnRect) {
            auto *list = new TPlaylistView(form_.MList, w);
            connect(list, &TPlaylistView::ItemDoubleClicked, this,
                    [this] { Report([this] { events_.DblClick(TControlId::MList); }); });
            connect(list, &TPlaylistView::RightButtonReleased, this, [this] {
                Report([this] { events_.MouseUp(TControlId::MList, TMouseButton::mbRight, 0, 0, 0); });
            });
            connect(list, &TPlaylistView::DeleteRequested, this,
                    [this] { Report([this] { events_.Click(TControlId::pmDel); }); });
            connect(list, &TPlaylistView::SelectionChangedByUser, this,
                    [this] { Report([this] { events_.Click(TControlId::MList); }); });
            // Return on the list plays the selected row, as a double click does.
            list->installEventFilter(this);
            widgets_[std::size_t(TControlId::MList)] = list;
        }
    }
}

void TQtMainWindow::SetWindowClass()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return;
    // Qt names the class after the application; the window keeps the
    // form's class name whatever the program is called.
    QByteArray value = QFileInfo(QCoreApplication::applicationFilePath()).fileName().toLocal8Bit();
    if (value.isEmpty())
        value = "quaverly";
    value.append('\0');
    value.append(kWindowClass);
    value.append('\0');
    xcb_connection_t *c = x11->connection();
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, xcb_window_t(winId()), XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        uint32_t(value.size()), value.constData());
    xcb_flush(c);
}

QWidget *TQtMainWindow::ControlWidget(TControlId id) const
{
    if (id == TControlId::Form || int(id) < 0 || int(id) >= kControlIdCount)
        return nullptr;
    return widgets_[std::size_t(id)];
}

void TQtMainWindow::SetVisBoxImage(const QImage *image)
{
    static_cast<TQtControl *>(widgets_[std::size_t(TControlId::VisBox)])->SetImage(image);
}

QColor TQtMainWindow::EffectiveColour(TControlId id) const
{
    for (;;) {
        if (id == TControlId::Form)
            return ToQColor(form_.Form.Color);
        const TControl *c = ControlOf(form_, id);
        if (c && !c->ParentColor)
            return ToQColor(c->Color);
        id = ParentOf(id);
    }
}

void TQtMainWindow::Report(const std::function<void()> &call)
{
    call();
    SyncFromModel();
}

void TQtMainWindow::SyncFromModel()
{
    if (syncing_)
        return;
    syncing_ = true;
    ApplyListPanelAnchors(form_);
    form_.Panel1.SetBounds(0, 0, form_.Form.Width, form_.Form.Height);

    const QString title = QString::fromUtf8(form_.ApplicationTitle.c_str());
    if (windowTitle() != title)
        setWindowTitle(title);
    QPalette palette = this->palette();
    if (palette.color(QPalette::Window) != ToQColor(form_.Form.Color)) {
        palette.setColor(QPalette::Window, ToQColor(form_.Form.Color));
        setPalette(palette);
    }

    for (const TChild &c : kChildren) {
        auto *w = static_cast<TQtControl *>(widgets_[std::size_t(c.Id)]);
        const TControl *control = ControlOf(form_, c.Id);
        w->Mirror(*control, EffectiveColour(c.Id));
        if (c.Kind == TQtControlKind::Gauge)
            w->MirrorGauge(*static_cast<const TGauge *>(control));
    }
    MirrorList();
    ApplyGeometry();
    ApplyRegion();

    if (form_.Form.Minimized && isVisible() && !isMinimized())
        showMinimized();
    if (form_.Form.CloseRequested) {
        form_.Form.CloseRequested = false;
        RequestClose();
    }
    syncing_ = false;
    if (AfterSync)
        AfterSync();
}

void TQtMainWindow::TakeUpDeferredClose()
{
    if (closeDeferred_ && !form_.ModalOpen()) {
        closeDeferred_ = false;
        RequestClose();
    }
}

bool TQtMainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && watched == widgets_[std::size_t(TControlId::MList)]) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Report([this] { events_.DblClick(TControlId::MList); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TQtMainWindow::MirrorList()
{
    QWidget *list = widgets_[std::size_t(TControlId::MList)];
    // The list view's border lies outside pnRect and is clipped off.
    const QRect bounds(-2, -2, form_.pnRect.Width + 4, form_.pnRect.Height + 4);
    if (list->geometry() != bounds)
        list->setGeometry(bounds);
    static_cast<TPlaylistView *>(list)->SyncFromModel();
}

void TQtMainWindow::ApplyGeometry()
{
    // A window cannot be 0 pixels wide or high; the strip view asks for a
    // width of 0 for a moment before it places itself.
    const QRect bounds(form_.Form.Left, form_.Form.Top, std::max(1, form_.Form.Width),
                       std::max(1, form_.Form.Height));
    if (geometry() != bounds)
        setGeometry(bounds);
}

void TQtMainWindow::ApplyRegion()
{
    if (regionApplied_ && appliedRegion_ == form_.Form.Region)
        return;
    regionApplied_ = true;
    appliedRegion_ = form_.Form.Region;
    if (form_.Form.Region.empty())
        clearMask();
    else
        setMask(ToQRegion(form_.Form.Region));
}

void TQtMainWindow::RequestClose()
{
    if (closePending_)
        return;
    closePending_ = true;
    // Closed from the event loop, after the handler that asked for it.
    QTimer::singleShot(0, this, [this] {
        closePending_ = false;
        close();
    });
}

void TQtMainWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        Report([this] { events_.FormShow(); });
        // A shown main window becomes the active one, also where no window
        // manager hands out the focus.
        QTimer::singleShot(0, this, [this] {
            if (isVisible() && !isActiveWindow())
                activateWindow();
        });
    }
}

void TQtMainWindow::closeEvent(QCloseEvent *event)
{
    // Inside a message box's own loop the handler that opened it has not
    // returned: the close is taken up when the box has closed.
    if (form_.ModalOpen()) {
        closeDeferred_ = true;
        event->ignore();
        return;
    }
    bool allowed = events_.FormCloseQuery();
    if (allowed)
        allowed = events_.FormClose();
    form_.Form.CloseRequested = false;
    SyncFromModel();
    if (allowed)
        event->accept();
    else
        event->ignore();
}

void TQtMainWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        form_.Form.Minimized = isMinimized();
    else if (event->type() == QEvent::StyleChange && shownOnce_)
        Report([this] { events_.SettingChange(42); });
}

void TQtMainWindow::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    // A move by the window manager (a system drag) is the window's new place.
    if (!syncing_ && isVisible()) {
        form_.Form.Left = geometry().x();
        form_.Form.Top = geometry().y();
    }
}

void TQtMainWindow::keyPressEvent(QKeyEvent *event)
{
    int key = ToVirtualKey(event->key());
    if (key == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    TControlId target = TControlId::Form;
    for (QWidget *w = focusWidget(); w && w != this; w = w->parentWidget()) {
        const auto it = std::find(widgets_.begin(), widgets_.end(), w);
        if (it != widgets_.end()) {
            target = TControlId(int(it - widgets_.begin()));
            break;
        }
    }
    const TShiftState shift = ToShiftState(event->modifiers(), Qt::NoButton);
    Report([&] { events_.KeyDown(target, key, shift); });
    event->setAccepted(key == 0);
}

bool TQtMainWindow::event(QEvent *event)
{
    if (event->type() == QEvent::WindowDeactivate)
        form_.Form.Active = false;
    if (event->type() == QEvent::WindowActivate) {
        form_.Form.Active = true;
        const bool result = QWidget::event(event);
        Report([this] { events_.FormActivate(); });
        return result;
    }
    return QWidget::event(event);
}

void TQtMainWindow::RunMoveLoop(std::function<void()> finished)
{
    QWindow *handle = windowHandle();
    if (handle && handle->startSystemMove()) {
        // The window manager moves the window from here on; its moves come
        // back through moveEvent.
        finished();
        return;
    }
    loop_ = Loop::Move;
    loopStartMouse_ = lastPressGlobal_;
    loopStartPos_ = QPoint(form_.Form.Left, form_.Form.Top);
    loopFinished_ = std::move(finished);
}

void TQtMainWindow::RunSizeLoop(std::function<void()> finished)
{
    // Sized by following the mouse rather than by the window manager, so
    // that the end of the sizing, when the list snaps to its rows, is known.
    loop_ = Loop::Size;
    loopStartMouse_ = lastPress_;
    loopStartHeight_ = form_.Form.Height;
    loopFinished_ = std::move(finished);
}

bool TQtMainWindow::LoopMouseMove(const QPoint &windowPos, const QPoint &globalPos)
{
    if (loop_ == Loop::None)
        return false;
    if (loop_ == Loop::Move) {
        // The window moves by as much as the pointer did on the screen.
        const QPoint delta = globalPos - loopStartMouse_;
        form_.Form.Left = loopStartPos_.x() + delta.x();
        form_.Form.Top = loopStartPos_.y() + delta.y();
    } else {
        // The window does not move while it is sized, so window coordinates
        // tell the new bottom edge. Never shorter than the button row over
        // a 72-pixel list.
        const int delta = windowPos.y() - loopStartMouse_.y();
        FollowSizing(form_, std::max(108, loopStartHeight_ + delta));
    }
    SyncFromModel();
    return true;
}

bool TQtMainWindow::LoopMouseRelease()
{
    if (loop_ == Loop::None)
        return false;
    loop_ = Loop::None;
    auto finished = std::move(loopFinished_);
    loopFinished_ = nullptr;
    if (finished)
        Report(finished);
    return true;
}

}  // namespace quaverly
