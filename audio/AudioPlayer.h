#pragma once
// TAudioPlayer: plays audio files and internet streams through the audio
// library, gathers their stream information, computes the 19 spectrum bands
// every 25 ms and feeds the outside visualisation program.
//
// Threads. Everything runs on the UI thread (the Qt event loop) except the
// library's sync procedures (end of playback, new metadata, download
// complete). Those touch no player state: they post a message to
// PlayerWindow (a title travels as its own copy), and the message handler
// makes every state change on the UI thread in arrival order. Each message
// carries the channel it is about; a notice of a channel that has since been
// released is dropped, so it cannot stop or retitle the next item.
#include "audio/Bands.h"
#include "audio/PlayerLibrary.h"
#include "audio/StreamInfo.h"
#include "audio/UrlConnector.h"
#include "core/IAudioEngine.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace quaverly {
class IDialogs;
class X11WindowSystem;
} // namespace quaverly

namespace quaverly::audio {

class PlayerWindow;
class TVisThread;

using quaverly::TPlayerState;
using quaverly::psClosed;
using quaverly::psReady;
using quaverly::psStopped;
using quaverly::psPlaying;
enum TChannelKind : std::uint8_t { ckNone = 0, ckStream = 1, ckWmaStream = 2, ckMusic = 3 };

struct TChanInfo {
    std::uint32_t SampleRate = 0;
    std::uint16_t Channels = 0;
    std::uint32_t Flags = 0; // bit 0: 8-bit samples
};

class TAudioPlayer : public QObject, public IAudioEngine {
    Q_OBJECT
public:
    // Messages of PlayerWindow.
    static constexpr std::uint32_t MsgPlayEnd = 1131;
    static constexpr std::uint32_t MsgNewFFTData = 1132;
    static constexpr std::uint32_t MsgGetMeta = 1134;
    static constexpr std::uint32_t MsgDownloaded = 1135;
    // Commands of the outside visualisation program (registered "WM_SendingData").
    static constexpr std::int32_t CmdSetInterval = 55;
    static constexpr std::int32_t CmdConnect = 60;
    static constexpr std::int32_t CmdDisconnect = 70;

    static constexpr const char *Caption = "提示";
    static constexpr const char *TextNoSoundDevice = "声卡未安装/被占用/或者驱动不兼容,不能运行!";
    static constexpr const char *TextNotReady = "Player is not ready !";
    static constexpr const char *TextNo16Bit = "Sound card does not support 16-bit sources.";

    using TNotifyEvent = std::function<void(TAudioPlayer &sender)>;
    using TNotifyNewFFTDataEvent = std::function<void(TAudioPlayer &sender, TBandOut &bandOut)>;
    using TNotifyNetEvent = std::function<void(TAudioPlayer &sender, const std::string &content)>;

    // Create: loads the library from `libraryFolder` (with a trailing "/";
    // empty = the program's folder) and opens the output. `dialogs` shows the
    // message boxes and may be null (then they are not shown).
    explicit TAudioPlayer(IDialogs *dialogs, std::string libraryFolder = {}, QObject *owner = nullptr);
    ~TAudioPlayer() override;

    std::string SupportedExtensions() const override;
    // A local file, or a URL opened on this thread (blocking while it
    // connects; the window's player uses the OpenUrl below instead).
    [[nodiscard]] bool Open(const std::string &fileName) override;
    // Connects off this thread; see IAudioEngine.
    void OpenUrl(const std::string &url, std::function<void(bool opened)> done) override;
    bool OpenPending() const override { return connector_.Pending(); }
    void Play() override;
    void Stop();
    void Close() override;
    std::uint32_t PlayLength() const override;
    std::uint32_t Position() const override;
    void SetPosition(std::uint32_t ms) override;
    bool Seekable() const override;
    void SetOnNewFFTData(std::function<void(const quaverly::TBandOut &)> handler) override;
    [[nodiscard]] bool GetStreamInfo(const std::string &fileName, TStreamInfo &info);

    bool PlayerReady() const override { return playerReady_; }
    bool WmaReady() const { return wmaReady_; }
    TPlayerState PlayerState() const override { return playerState_; }
    TChannelKind ChannelKind() const { return channelKind_; }
    std::uint32_t Channel() const { return channel_; }
    const TChanInfo &ChanInfo() const { return chanInfo_; }
    const std::string &CurrentFile() const { return currentFile_; }
    const TStreamInfo &CurrentStreamInfo() const { return currentStreamInfo_; }
    bool NetFileStream() const { return netFileStream_; }
    bool RadioStream() const { return radioStream_; }
    bool Downloaded() const { return downloaded_; }
    bool VisOutActive() const { return visOutActive_; }
    const TBandOut &BandOut() const { return bandOut_; }
    std::string Version() const { return "1.5"; }
    const std::string &BASSDLLVer() const { return bassDllVer_; }
    bool SpectrumTimerActive() const { return spectrumTimer_.isActive(); }

    PlayerWindow *Window() const { return window_.get(); }
    TVisThread *VisThread() const { return vis_.get(); }
    const TPlayerLibrary &Library() const { return lib_; }
    // The binding's entry points, for a test double to wrap: the library
    // here never reports an 8-bit channel, yet the player must refuse one.
    TPlayerLibrary &Library() { return lib_; }

    TNotifyEvent OnPlayEnd;
    TNotifyNewFFTDataEvent OnNewFFTData;
    TNotifyNetEvent OnGetMeta;
    TNotifyNetEvent OnDownloaded;

    // The message handler of PlayerWindow (UI thread); public so that the
    // window's messages can be replayed in tests.
    void HandleMessage(std::uint32_t msg, std::int32_t wParam, std::int32_t lParam);
    // One tick of SpectrumTimer (public for benchmarks).
    void SpectrumTick();

private:
    // The channel of a URL, made with the library's entry points alone (so
    // that a worker thread may run it): the channel in the low 32 bits, its
    // TChannelKind above; 0 when none could be made.
    static std::uint64_t CreateUrlChannel(const TPlayerLibrary &lib, bool wma, const std::string &url);
    [[nodiscard]] bool FinishUrlOpen(const std::string &url, std::uint64_t made);
    void FreeUrlChannel(std::uint64_t made);
    [[nodiscard]] bool OpenUrlNow(const std::string &url);
    // A URL still connecting is dropped: its `done` gets false now.
    void SupersedeUrlOpen();
    void ReleaseChannel();
    void Restart();
    void StartSpectrumAndVis();
    std::int32_t ChannelLengthMs() const;
    void Message(const char *text);
    void HandleCommand(std::int32_t command, std::int32_t lParam);

    static void EndProc(HSYNC, DWORD channel, DWORD data, void *user);
    static void MetaProc(HSYNC, DWORD channel, DWORD data, void *user);
    static void DownloadProc(HSYNC, DWORD channel, DWORD data, void *user);

    IDialogs *dialogs_;
    TPlayerLibrary lib_;
    bool playerReady_ = false;
    bool wmaReady_ = false;
    TPlayerState playerState_ = psClosed;
    TChannelKind channelKind_ = ckNone;
    std::uint32_t channel_ = 0;
    TChanInfo chanInfo_;
    std::string currentFile_;
    TStreamInfo currentStreamInfo_;
    bool netFileStream_ = false;
    bool radioStream_ = false;
    bool downloaded_ = false;
    bool visOutActive_ = false;
    TBandOut bandOut_{};
    std::string bassDllVer_;

    std::unique_ptr<PlayerWindow> window_;
    QTimer spectrumTimer_;
    std::unique_ptr<TStreamReaders> readers_;
    std::unique_ptr<X11WindowSystem> windows_;
    std::unique_ptr<TVisThread> vis_;
    TUrlConnector connector_{this};
    std::function<void(bool)> pendingDone_;
};

} // namespace quaverly::audio
