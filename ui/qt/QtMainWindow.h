#pragma once

#include <QPoint>
#include <QWidget>
#include <array>
#include <functional>
#include <vector>

#include "ui/FormEvents.h"
#include "core/FormModel.h"
#include "ui/WindowDrag.h"

class QImage;

namespace quaverly {

class TQtControl;

// The main window: a frameless top-level widget titled with the application
// title (WM_CLASS class "TMainForm") that mirrors a TFormModel into child
// widgets and reports their events through IFormEvents. After every event it
// reports it mirrors the model again, so handlers only change the model;
// code that changes the model outside an event (timers) calls SyncFromModel.
//
// Closing (window manager, Alt+F4, a CloseRequested model) always goes
// through FormCloseQuery and FormClose. Form.Minimized iconifies the window.
// The window implements IWindowDrag: moves through the window manager where
// it offers it (else by following the mouse), sizes from the bottom strip by
// following the mouse.
class TQtMainWindow : public QWidget, public IWindowDrag {
    Q_OBJECT
public:
    TQtMainWindow(TFormModel &form, IFormEvents &events, QWidget *parent = nullptr);
    ~TQtMainWindow() override;

    // Mirrors the model into the widgets: geometry, region (window mask),
    // colours, visibility, enabled state, hints, cursors, captions, gauges,
    // title, the list view, minimise and close requests.
    void SyncFromModel();

    // The widget that shows a control: VdoPanel for embedding the media
    // control (a native child window), VisBox for the spectrum, MList for
    // the list view. nullptr for TControlId::Form.
    QWidget *ControlWidget(TControlId id) const;

    // The picture the spectrum display draws into VisBox; shown as is at
    // VisBox's top-left corner at each of VisBox's repaints. It must outlive
    // its use here, until replaced or reset with nullptr.
    void SetVisBoxImage(const QImage *image);

    void RunMoveLoop(std::function<void()> finished) override;
    void RunSizeLoop(std::function<void()> finished) override;

    // Runs after every mirror of the model (the timers follow their flags).
    std::function<void()> AfterSync;
    // A close that came while a message box was open, taken up now that
    // none is.
    void TakeUpDeferredClose();

    TFormModel &Form() { return form_; }
    IFormEvents &Events() { return events_; }

    // Called by the child widgets: report an event and mirror the model.
    void Report(const std::function<void()> &call);
    // Manual drag and size of the window while a loop runs, from the mouse
    // position in window and in screen coordinates; true when the event was
    // taken by it.
    bool LoopMouseMove(const QPoint &windowPos, const QPoint &globalPos);
    bool LoopMouseRelease();
    // Where the last mouse press on any control was; a manual drag or size
    // loop starts from there.
    void NotePress(const QPoint &windowPos, const QPoint &globalPos)
    {
        lastPress_ = windowPos;
        lastPressGlobal_ = globalPos;
    }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildWidgets();
    void SetWindowClass();
    void ApplyGeometry();
    void ApplyRegion();
    void RequestClose();

    TFormModel &form_;
    IFormEvents &events_;
    QColor EffectiveColour(TControlId id) const;
    void MirrorList();

    std::array<QWidget *, kControlIdCount> widgets_{};
    std::vector<TRegionRect> appliedRegion_;
    bool regionApplied_ = false;
    QPoint lastPress_;
    QPoint lastPressGlobal_;
    bool shownOnce_ = false;
    bool syncing_ = false;
    bool closePending_ = false;
    bool closeDeferred_ = false;

    enum class Loop { None, Move, Size };
    Loop loop_ = Loop::None;
    QPoint loopStartMouse_;
    QPoint loopStartPos_;
    int loopStartHeight_ = 0;
    std::function<void()> loopFinished_;
};

}  // namespace quaverly
