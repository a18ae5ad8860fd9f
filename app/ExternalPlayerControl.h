#pragma once

#include <cstdint>
#include <sys/types.h>
#include <vector>

#include "app/ExternalPlayerSettings.h"
#include "app/IChildProcesses.h"
#include "core/IExternalPlayer.h"
#include "core/IExternalPlayerPlayback.h"
#include "app/IExternalPlayerHost.h"
#include "app/IExternalWindows.h"
#include "core/IMediaControl.h"
#include "platform/Clock.h"
#include "core/FormModel.h"

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
class ExternalPlayerControl final : public IExternalPlayer, public IExternalPlayerPlayback {
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

    bool TakesMidiRow() override;
    void PlayThroughExternalPlayer() override;
    void CloseExternalPlayer() override;
    // 1: find the player's window; 2: the synthesizer's message window shows:
    // close it and hand the row to the media control (true once handed);
    // 3: close the synthesizer's message window.
    bool FindExternalPlayer(int mode);
    bool ForegroundIsFree(int mode) override;
    void BackupExternalPlayerSettings() override;
    void RestoreExternalPlayerSettings() override;
    void ImportExternalPlayerList() override;

    void OnApplicationActivated() override;
    void sbNext3MouseUp() override;
    bool CountStripSecond() override;
    // Also keeps the window found below the main window during the search.
    void Poll() override;

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
    bool keepBelow_ = false;       // the current player's window goes below ours
    XWindow synthClosing_ = 0;     // message window asked to close
    std::uint64_t synthClosingSince_ = 0;
    XWindow synthIgnored_ = 0;     // message window that stayed: left alone
    std::vector<Closing> closing_;
};

}  // namespace quaverly
