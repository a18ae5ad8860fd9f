#include "app/Application.h"

#include <QApplication>
#include <QTimer>

#include "app/ShellConstants.h"
#include "core/PathText.h"

namespace quaverly {

namespace {
constexpr int kFirstActivationGraceMs = 2000;
}  // namespace

TApplication::TApplication(TStartup startup)
    : startup_(std::move(startup)), platform_(QtScrollBarWidth),
      audioEngines_(dialogs_, startup_.ProgramFolder),
      mainForm_(form_,
                TShellServices{settings_, controller_, externalPlayer_, playlist_, spectrum_, audioEngines_, engines_,
                               screen_, clock_, random_, registry_, platform_},
                startup_)
{
    InitFormResource(form_);
    form_.ApplicationTitle = kApplicationTitle;
}

bool TApplication::Create()
{
    mainForm_.FormCreate();
    return !form_.Form.TerminateRequested && form_.Form.ShowMainForm;
}

void TApplication::Show()
{
    BindWindow();
    BindPlaylist();
    BindPlayback();
    BindSpectrum();
    BindPositionTimer();
    BindTimers();
    BindExternalPlayer();
    BindExit();
    window_->show();
    // Without a window manager, or when focus-stealing prevention refuses an
    // unattended start, the shown window is never activated, and the first
    // activation is what starts the schedule and minimises an "/AUTO" start.
    // Ask for it, and take its steps anyway when it has not come in time.
    window_->activateWindow();
    QTimer::singleShot(kFirstActivationGraceMs, window_.get(), [this] {
        if (!form_.State.FormActivated)
            Run([this] { events_.FormActivate(); });
    });
}

void TApplication::Run(const std::function<void()> &handler)
{
    window_->Report(handler);
}

void TApplication::Post(std::function<void()> handler)
{
    QTimer::singleShot(0, window_.get(), [this, handler = std::move(handler)] { Run(handler); });
}

void TApplication::ModalClosed()
{
    timers_->TakeUpDeferredTicks();
    window_->TakeUpDeferredClose();
}

void TApplication::PrepareVideoWindow()
{
    if (videoWindowMade_ || !window_)
        return;
    videoWindowMade_ = true;
    media_.SetVideoWindow(std::uint64_t(window_->ControlWidget(TControlId::VdoPanel)->winId()));
}

void TApplication::BindWindow()
{
    window_ = std::make_unique<TQtMainWindow>(form_, events_);
    layout_.SetWindowDrag(window_.get());
    layout_.FitListHeight = [this] { playlist_.FitListHeight(); };
    layout_.RaiseWindow = [this] {
        window_->raise();
        window_->activateWindow();
    };
    dialogs_.Closed = [this] { ModalClosed(); };

    events_.OnClick(TControlId::sbMin, [this] { layout_.sbMinClick(); });
    for (TControlId power : {TControlId::sbPower, TControlId::sbPower2, TControlId::sbPower3})
        events_.OnClick(power, [this] { layout_.sbPowerClick(); });
    for (TControlId body : {TControlId::Panel1, TControlId::BtnPanel})
        events_.OnMouseDown(body, [this](TMouseButton button, TShiftState, int, int) {
            layout_.Panel1MouseDown(button);
        });
    events_.OnMouseDown(TControlId::lbResize, [this](TMouseButton button, TShiftState, int, int) {
        layout_.lbResizeMouseDown(button);
    });
}

void TApplication::BindPlaylist()
{
    playlistHost_.RefreshRegion = [this] { layout_.SetTopCornerRegion(); };
    playlistHost_.RaiseWindow = layout_.RaiseWindow;
    // The list does not change under a row that is connecting.
    auto unlessConnecting = [this](void (TPlaylist::*handler)()) {
        return [this, handler] {
            if (!form_.State.Connecting)
                (playlist_.*handler)();
        };
    };
    events_.OnClick(TControlId::sbAdd, unlessConnecting(&TPlaylist::sbAddClick));
    events_.OnClick(TControlId::pmDel, unlessConnecting(&TPlaylist::pmDelClick));
    events_.OnClick(TControlId::sbOrder, [this] { playlist_.sbOrderClick(); });
    events_.OnClick(TControlId::sbRandom, [this] { playlist_.sbRandomClick(); });
    events_.OnClick(TControlId::sbNormal, [this] { playlist_.sbNormalClick(); });
    events_.OnClick(TControlId::sbLevel, [this] { playlist_.sbLevelClick(); });
    events_.OnDblClick(TControlId::MList, unlessConnecting(&TPlaylist::MListDblClick));
    events_.OnMouseUp(TControlId::MList, [this](TMouseButton button, TShiftState, int, int) {
        playlist_.MListMouseUp(button == TMouseButton::mbRight);
    });
}

void TApplication::BindPlayback()
{
    events_.OnClick(TControlId::sbPlay, [this] { controller_.sbPlayClick(); });
    for (TControlId next : {TControlId::sbNext, TControlId::sbNext2, TControlId::sbNext3})
        events_.OnClick(next, [this] { controller_.sbNextClick(); });
    for (TControlId stop : {TControlId::sbStop, TControlId::sbStop2, TControlId::sbStop3})
        events_.OnClick(stop, [this] { controller_.sbStopClick(); });
}

void TApplication::BindSpectrum()
{
    // The window is shown after this, so the pictures made at its first
    // show already have their box.
    spectrum_.ShowIn(window_.get());
    for (TControlId view : {TControlId::VisPanel, TControlId::VisBox, TControlId::lbTitle, TControlId::lbTime})
        events_.OnMouseUp(view, [this, view](TMouseButton button, TShiftState, int x, int y) {
            displayClicks_.VisPanelMouseUp(view, button, x, y);
        });
    for (TControlId view : {TControlId::VisPanel, TControlId::VisBox, TControlId::lbTitle, TControlId::lbTime,
                            TControlId::lbProgress})
        events_.OnMouseMove(view, [this](TShiftState shift, int, int) { displayClicks_.VisPanelMouseMove(shift); });
}

void TApplication::BindPositionTimer()
{
    events_.OnMouseUp(TControlId::lbProgress, [this](TMouseButton button, TShiftState shift, int x, int y) {
        positionTimer_.lbProgressMouseUp(button, shift, x, y);
    });
}

void TApplication::BindTimers()
{
    timers_ = std::make_unique<TFormTimers>(form_, [this](const std::function<void()> &handler) { Run(handler); });
    timers_->OnTimer1 = [this] { positionTimer_.Timer1Timer(); };
    timers_->OnTimer2 = [this] { schedule_.Timer2Timer(); };
    window_->AfterSync = [this] { timers_->Follow(); };
}

void TApplication::BindExternalPlayer()
{
    TExternalPlayerHooks &h = externalHooks_;
    h.MainWindow = [this] { return XWindow(window_->winId()); };
    h.Active = [this] { return window_->isActiveWindow(); };
    h.Visible = [this] { return window_->isVisible(); };
    h.Raise = layout_.RaiseWindow;
    h.Message = [this](const std::string &caption, const std::string &text) { dialogs_.MessageBox(text, caption); };
    // Called inside a handler: the window mirrors the model after it.
    h.Close = [this] { form_.Form.CloseRequested = true; };
    h.StoppedState = [this] { controller_.ShowStoppedState(); };
    h.StripView = [this] { layout_.ShowStripView(); };
    h.MediaControl = [this] { controller_.PlayCurrentInMediaControl(); };
    h.Rows = [this](const std::vector<std::string> &paths) {
        TListViewModel &list = form_.MList;
        list.Clear();
        for (const std::string &path : paths)
            list.Items.push_back({DisplayNameOf(path), {path}, false});
        form_.State.PlaylistDirty = true;
        if (!paths.empty()) {
            list.Items.Select(0);
            playlist_.LeaveCredit();
        }
    };
    h.SortFitSave = [this] {
        playlist_.SortByTitle();
        playlist_.FitListHeight();
        playlist_.SavePlaylist();
    };
    // The only activation tracking of the strip: the control's.
    mainForm_.SetStripActivationHandler([this] { externalPlayer_.OnApplicationActivated(); });
    for (TControlId strip : {TControlId::sbNext3, TControlId::sbStop3, TControlId::sbPower3})
        events_.OnMouseUp(strip, [this](TMouseButton, TShiftState, int, int) { externalPlayer_.sbNext3MouseUp(); });
}

void TApplication::BindExit()
{
    exitSignals_ = std::make_unique<TExitSignals>([this] {
        form_.Form.CloseRequested = true;
        window_->SyncFromModel();
        // A message box would hold the close until somebody answers it:
        // nobody will, so it is closed, and the close follows it.
        if (QWidget *box = QApplication::activeModalWidget())
            box->close();
    });
}

}  // namespace quaverly
