#include "app/Main.h"

#include "app/ClockTime.h"
#include "app/RegistrySteps.h"
#include "app/ShellConstants.h"
#include "core/IAudioEngine.h"
#include "app/StartupColours.h"

namespace quaverly {

TMainForm::TMainForm(TFormModel &form, TShellServices services, TStartup startup)
    : form_(form), state_(form.State), services_(services), startup_(std::move(startup))
{
}

TMainForm::~TMainForm() = default;

bool TMainForm::FileInProgramFolder(const char *name)
{
    return services_.Platform.FileExists(state_.ProgramFolder + name);
}

void TMainForm::FormCreate()
{
    state_.WindowCentred = true;
    state_.ScheduleStartHour = 8;
    state_.DisplayModeSetting = 9;

    state_.ProgramFolder = startup_.ProgramFolder;

    services_.Settings.LoadSettings();

    // The random generator is seeded from the system when it is made, so
    // there is nothing to do here for the clock seed.

    if (ClassifyArgument(startup_.CommandLine) == TArgumentKind::Auto)
        state_.StartMode = 1;

    if (state_.StartMode == 1 && !services_.Settings.ScheduleCheck(0)) {
        // An unattended start outside the schedule: end without ever showing
        // the window and without touching the registry.
        form_.Form.ShowMainForm = false;
        form_.Form.TerminateRequested = true;
        return;
    }

    RaiseMediaPlayerVolume(services_.Store);
    state_.IsNtFamily = ProbeNtFamily(services_.Store);
    if (state_.IsNtFamily)
        RefreshOpenCommand(services_.Store, startup_.ExecutablePath);
    else
        ApplyButtonFaceColours(form_);

    state_.TodayActive = true;
    state_.SavedDisplayModeSetting = state_.DisplayModeSetting;
    state_.CurrentIndex = -1;

    handlersInstalled_ = true;
}

void TMainForm::ApplicationSettingChange(int flag)
{
    if (handlersInstalled_)
        services_.Playlist.OnSettingChange(flag);
}

void TMainForm::ApplicationActivate()
{
    if (handlersInstalled_ && stripActivation_)
        stripActivation_();
}

void TMainForm::FormShow()
{
    if (shown_)
        return;
    shown_ = true;

    if (FileInProgramFolder(kAudioLibraryFile)) {
        std::unique_ptr<IAudioEngine> &audio = services_.Engines.Audio;
        audio = services_.AudioEngines.CreateAudioEngine();
        if (!audio->PlayerReady()) {
            // The player has told the user already; the program ends through
            // the normal close path.
            form_.Form.CloseRequested = true;
            return;
        }
        state_.DisplayMode =
            state_.DisplayModeSetting < 7 ? state_.DisplayModeSetting : services_.Random.Next(6) + 1;
        ISpectrumDisplay &spectrum = services_.Spectrum;
        audio->SetOnNewFFTData([&spectrum](const TBandOut &bands) { spectrum.DrawSpectrumFrame(bands); });
        spectrum.InitSpectrumBitmaps();
        form_.VisBox.Visible = true;
    }

    form_.VdoPanel.Cursor = crHandLink;
    form_.VisPanel.Cursor = crHandLink;

    const int barWidth = services_.Platform.VerticalScrollBarWidth();
    if (barWidth > kDefaultScrollBarWidth && !form_.MList.Columns.empty())
        form_.MList.Columns[0].MinWidth = kTitleColumnMax - barWidth;

    const TCommandLine &commandLine = startup_.CommandLine;
    if (commandLine.Count() >= 1) {
        if (state_.StartMode == 1) {
            state_.SchedulePass = ClockTimeOf(services_.Clock.Now()).Minute >= 30;
        } else {
            state_.SchedulePass = services_.Settings.ScheduleCheck(3);
            switch (ClassifyArgument(commandLine)) {
            case TArgumentKind::Play:
                state_.StartMode = 1;
                break;
            case TArgumentKind::Playlist:
                state_.PlaylistPath = commandLine.Arg(1);
                break;
            default:
                state_.StartMode = 2;
                break;
            }
        }
    }

    if (state_.StartMode != 2) {
        if (state_.PlaylistPath.empty())
            services_.Playlist.PickRandomPlaylist();
        else
            services_.Playlist.LoadPlaylist();
        if (state_.PlaylistPath.empty() && FileInProgramFolder(kExternalPlayerFile))
            services_.ExternalPlayer.ImportExternalPlayerList();
    }

    if (state_.WindowCentred) {
        // The whole screen, not the work area; the division truncates.
        const TScreenRect screen = services_.Screen.WholeScreen();
        form_.Form.Left = screen.Left + (screen.Width - form_.Form.Width) / 2;
        form_.Form.Top = screen.Top + (screen.Height - form_.Form.Height) / 2;
    }

    if (state_.StartMode == 2) {
        PlaySingleFile();
    } else if (form_.MList.Count() == 0) {
        services_.Playlist.ShowCredit();
    } else if (form_.sbPlay.Visible) {
        if (commandLine.Count() >= 1)
            services_.Controller.PlayCurrentItem();
        else
            form_.MList.ScrollRequest = form_.MList.FirstSelected();
    }
}

void TMainForm::FormActivate()
{
    if (form_.StripView()) {
        const TScreenRect work = services_.Screen.WorkArea();
        form_.Form.Top = work.Top + work.Height / 2 + 43;
        form_.Form.Left = work.Left + work.Width / 2 - 200;
        form_.Form.Width = 400;
    }
    if (state_.StartMode == 1) {
        state_.StartMode = 0;
        if (form_.Playing() && form_.NormalView())
            form_.Form.Minimized = true;
    }
    state_.FormActivated = true;
    state_.Timer2Enabled = true;
}

void TMainForm::PlaySingleFile()
{
    if (form_.Form.Height > kNormalWindowHeight) {
        form_.Form.Height = kNormalWindowHeight;
        form_.MListPanel.Height = kNormalListPanelHeight;
    }

    const std::string path = startup_.CommandLine.Arg(1);
    TListItem row;
    row.Caption = services_.Playlist.DisplayNameOf(path);
    row.SubItems.push_back(path);
    form_.MList.Items.push_back(std::move(row));

    state_.CurrentIndex = 0;
    state_.EngineKind = services_.Controller.ChooseEngine(path);

    const bool external = FileInProgramFolder(kExternalPlayerFile) && state_.EngineKind == ekMidi;
    form_.sbNormal.Enabled = external;
    form_.sbLevel.Enabled = external;
    form_.sbLevel.Visible = form_.sbLevel.Enabled;
    form_.sbNormal.Visible = !form_.sbLevel.Enabled;

    if (form_.sbLevel.Visible)
        services_.ExternalPlayer.BackupExternalPlayerSettings();

    services_.Controller.PlayCurrentItem();
}

bool TMainForm::FormCloseQuery()
{
    if (state_.Connecting && !state_.FormActivated)
        return true;

    state_.Timer1Enabled = false;
    state_.Timer2Enabled = false;
    services_.Controller.StopPlayback();

    services_.ExternalPlayer.RestoreExternalPlayerSettings();

    if (state_.GeometryDirty || state_.DisplayModeSetting != state_.SavedDisplayModeSetting)
        services_.Settings.SaveSettings();

    services_.Playlist.SavePlaylistIfChanged();
    return true;
}

bool TMainForm::FormClose()
{
    if (state_.Connecting && !state_.FormActivated)
        return false;

    if (form_.StripView())
        services_.ExternalPlayer.CloseExternalPlayer();
    if (state_.Connecting) {
        // An open may still run inside the audio library: freeing the player
        // or unloading the library under it is what must not happen.
        services_.Platform.EndProcessNow();
        return true;
    }
    std::unique_ptr<IAudioEngine> &audio = services_.Engines.Audio;
    // No frame may reach the display once its pictures are gone.
    if (audio)
        audio->SetOnNewFFTData(nullptr);
    if (form_.AudioEngineAvailable())
        services_.Spectrum.FreeSpectrumBitmaps();
    audio.reset();
    return true;
}

}  // namespace quaverly
