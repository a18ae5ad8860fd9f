#pragma once

#include <cstdint>
#include <sys/types.h>
#include <vector>

#include "app/ExternalPlayerSettings.h"
#include "app/IChildProcesses.h"
#include "core/IExternalPlayer.h"
#include "app/IExternalPlayerHost.h"
#include "app/IExternalWindows.h"
#include "core/IMediaControl.h"
#include "platform/Clock.h"
#include "ui/FormModel.h"

namespace quaverly {

struct ExternalPlayerServices {
    TFormModel &form;
    IExternalPlayerHost &host;
    IExternalWindows &windows;
    IChildProcesses &processes;
    IMediaControl &media;   // measures the MIDI file's length
    IClock &clock;
    Registry &registry;
};

// Plays MIDI rows through the external player "XGPlayer.exe" of the program
// folder: one player process per row, its window found by the spawned pid
// and the title prefix, kept just below the main window; the seconds are
// counted by the position timer, and the player is closed at the row's end.
//
// The player is another program, so nothing here waits for it on the
// user-interface thread while the window is in use: close requests are
// posted, the window search is retried on later timer seconds, and a player
// that has not ended three seconds after its close request is terminated.
// Only at exit (RestoreExternalPlayerSettings) does the control wait, bounded,
// so that the player's settings go back only once no player can overwrite
// them any more.
class ExternalPlayerControl final : public IExternalPlayer {
public:
    explicit ExternalPlayerControl(ExternalPlayerServices services);

    static constexpr const char *kProgramFile = "XGPlayer.exe";
    static constexpr const char *kTitlePrefix = "XGPlayer - ";
    static constexpr const char *kSynthMessageTitle = "YAMAHA Softsynthesizer Player";
    static constexpr const char *kUnplayableText = "格式不明或者路径有误,不能播放!";
    static constexpr std::uint64_t kSearchMs = 5000;      // window search after a start
    static constexpr std::uint64_t kCloseGraceMs = 3000;  // a closed player's time to exit
    static constexpr std::uint64_t kSynthCloseMs = 1000;  // the message window's time to go
    // The message window is looked for in the first counted seconds, not
    // only the first: the player may start later than our first second.
    static constexpr int kSynthWatchSeconds = 3;

    // Starts the current row in the external player, in the strip view.
    void PlayThroughExternalPlayer();
    void CloseExternalPlayer() override;
    // 1: find the player's window; 2: the synthesizer's message window shows:
    // close it and hand the row to the media control (true once handed);
    // 3: close the synthesizer's message window.
    bool FindExternalPlayer(int mode);
    // 1: no other program is in front; 2: no other program fills the screen
    // in front.
    bool ForegroundIsFree(int mode);
    void BackupExternalPlayerSettings() override;
    void RestoreExternalPlayerSettings() override;
    void ImportExternalPlayerList() override;

    // The application was activated; and a mouse button was released over a
    // strip button.
    void OnApplicationActivated();
    void sbNext3MouseUp();

    // The position timer's second in the strip view: counts the second into
    // the gauge, and closes the player early when a full-screen program is in
    // front near the end. False when the tick ends here (the row went to the
    // media control, or that hand-over is under way).
    bool CountStripSecond(TGauge &progress);
    // Once a second: retries the window search after a start (and keeps the
    // window found below the main window meanwhile), reaps players
    // that ended and terminates closed ones that did not.
    void Poll();

    XWindow ExternalPlayerWindow() const { return window_; }
    pid_t CurrentPlayer() const { return current_; }
    bool StripActivated() const { return form_.Form.Tag != 0; }

private:
    enum class SynthCheck { None, Pending, HandedOver };
    SynthCheck CheckSynthMessage();
    bool CloseSynthMessage();
    void PlaceBelowMainWindow();
    // Posts a close request to w when it still belongs to the current player.
    bool RequestCloseOfPlayerWindow(XWindow w);
    // The current player is being closed: tracked until it has ended.
    void RetireCurrentPlayer(bool windowFound);
    void EndAllPlayers();

    struct Closing {
        pid_t pid;
        std::uint64_t since;  // clock ms of the close request
        bool terminated;
    };

    TFormModel &form_;
    TMainState &state_;
    ExternalPlayerServices s_;
    ExternalPlayerSettings settings_;
    XWindow window_ = 0;           // ExternalPlayerWindow: the player's window as last found
    pid_t current_ = -1;           // the current row's player
    std::uint64_t searchUntil_ = 0;
    XWindow synthClosing_ = 0;     // message window asked to close
    std::uint64_t synthClosingSince_ = 0;
    XWindow synthIgnored_ = 0;     // message window that stayed: left alone
    std::vector<Closing> closing_;
};

}  // namespace quaverly
