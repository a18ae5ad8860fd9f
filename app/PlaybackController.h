#pragma once

#include <functional>
#include <string>

#include "core/IExternalPlayer.h"
#include "core/IExternalPlayerPlayback.h"
#include "core/IPlaybackController.h"
#include "core/ISettingsFile.h"
#include "core/IShellPlatform.h"
#include "core/Engines.h"
#include "core/IViews.h"
#include "platform/Random.h"
#include "core/IPlaylist.h"
#include "core/FormModel.h"
#include "core/IDialogs.h"
#include "core/ISpectrumDisplay.h"

namespace quaverly {

// What the controller works with; all owned elsewhere and outliving it.
struct TControllerServices {
    TEngines &Engines;
    IPlaylist &Playlist;
    IViews &Views;
    IDialogs &Dialogs;
    IRandom &Random;
    IShellPlatform &Platform;
    ISettingsFile &Settings;
    IExternalPlayer &ExternalPlayer;
    IExternalPlayerPlayback &ExternalPlayback;
    ISpectrumDisplay &Spectrum;
    // Runs a function on a later turn of the event loop, as a handler of its
    // own (the window shows what the model says before it runs).
    std::function<void(std::function<void()>)> Post;
    // Called before each start in the media control: gives it the native
    // window of the video panel, made only when first needed (a native
    // child window costs the window system and covers its siblings).
    std::function<void()> PrepareVideo;
};

// The playback controller: plays the playlist one row at a time through the
// audio engine, the media control or the external MIDI player; keeps the
// transport buttons, the labels and the application title up to date;
// chooses the next row; stops. All on the user-interface thread.
//
// A URL row is connected without holding the window: the audio engine opens
// it off the thread and the start goes on when the result comes back; a
// media-control URL starts on the next turn of the event loop, after the
// window shows "正在连接". Connecting is set meanwhile: play, next, add, the
// double click and delete wait; stop is honoured when the open returns.
class TPlaybackController final : public IPlaybackController {
public:
    TPlaybackController(TFormModel &form, TControllerServices services);

    void PlayCurrentItem() override;
    void PlaySelected() override;
    void StopPlayback() override;
    void ShowStoppedState() override;
    void UpdateMidiButtons() override;
    int ChooseEngine(const std::string &path) override;

    void sbPlayClick();
    void sbNextClick();
    void sbStopClick();
    void PlayNext();
    void ChooseNextIndex();
    void PickRandomDisplayMode();
    void ShowItemInfo();
    void UpdateTitle();
    // The media control could not start its item again after a seek: the
    // same as a failed start (message, stopped state).
    void MediaRestartFailed() { MediaControlFailed(); }
    // The current row goes on in the media control (the external player
    // handed it back).
    void PlayCurrentInMediaControl() { StartInMediaControl(); }

    static constexpr const char *kConnectingTitle = "正在连接";
    static constexpr const char *kCannotPlayFile = "格式不明或者路径有误,不能播放!";
    static constexpr const char *kCannotPlayUrl = "格式不明/地址有误/或者尚未联网,不能播放!";

private:
    bool AudioEngineAvailable() const;
    const std::string &RowPath() const;
    const std::string &RowTitle() const;
    void StartInAudioEngine();
    void AudioEngineOpened(unsigned start, bool opened);
    void StartInMediaControl();
    void MediaControlFailed();
    void FinishStart();
    void WriteRowLength();
    bool Current(unsigned start) const { return start == start_ && form_.State.Connecting == connecting_; }

    TFormModel &form_;
    TMainState &state_;
    TControllerServices services_;
    unsigned start_ = 0;          // counts row starts; a late callback of an older start is dropped
    bool connecting_ = false;     // the start `start_` waits for a connection
    bool stopWhileConnecting_ = false;
};

}  // namespace quaverly
