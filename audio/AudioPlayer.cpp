#include "audio/AudioPlayer.h"

#include <utility>

#include "audio/ByteTime.h"
#include "audio/PlayerWindow.h"
#include "audio/StreamTitle.h"
#include "audio/VisThread.h"
#include "platform/ProgramPaths.h"
#include "platform/X11WindowSystem.h"
#include "core/IDialogs.h"

#include <algorithm>
#include <limits>

namespace quaverly::audio {

namespace {
constexpr QWORD NoBytes = std::numeric_limits<QWORD>::max(); // (QWORD)-1
constexpr DWORD DataFailed = 0xFFFFFFFFu;

std::int32_t ClampToInt32(QWORD n)
{
    return n > QWORD(std::numeric_limits<std::int32_t>::max()) ? std::numeric_limits<std::int32_t>::max()
                                                                 : std::int32_t(n);
}
} // namespace

TAudioPlayer::TAudioPlayer(IDialogs *dialogs, std::string libraryFolder, QObject *owner)
    : QObject(owner), dialogs_(dialogs)
{
    currentStreamInfo_.FileName.clear();
    currentStreamInfo_.SampleRate = 0;

    window_ = std::make_unique<PlayerWindow>(
        [this](std::uint32_t msg, std::int32_t w, std::int32_t l) { HandleMessage(msg, w, l); });
    spectrumTimer_.setInterval(25);
    spectrumTimer_.setTimerType(Qt::PreciseTimer);
    connect(&spectrumTimer_, &QTimer::timeout, this, &TAudioPlayer::SpectrumTick);

    if (libraryFolder.empty())
        libraryFolder = ProgramFolder();
    if (!lib_.LoadBass(libraryFolder))
        return;

    lib_.SetConfig(BASS_CONFIG_CURVE_VOL, 255);
    if (!lib_.Init(1, 44100, 0, nullptr, nullptr)) {
        Message(TextNoSoundDevice);
        return;
    }
    playerReady_ = true;
    lib_.SetConfig(BASS_CONFIG_GVOL_STREAM, 255);
    lib_.SetConfig(BASS_CONFIG_GVOL_MUSIC, 255);

    const DWORD version = lib_.GetVersion();
    bassDllVer_ = std::to_string(version & 0xFFFF) + "." + std::to_string(version >> 16);

    wmaReady_ = lib_.LoadWma(libraryFolder);

    readers_ = std::make_unique<TStreamReaders>();
    windows_ = std::make_unique<X11WindowSystem>();
    vis_ = std::make_unique<TVisThread>(&lib_, windows_.get(), dialogs_);
}

TAudioPlayer::~TAudioPlayer()
{
    // Nothing is told any more: the owner is going away, and what it
    // handled these events with may be gone already.
    OnPlayEnd = nullptr;
    OnNewFFTData = nullptr;
    OnGetMeta = nullptr;
    OnDownloaded = nullptr;
    // A URL still connecting is waited for (the library bounds the wait)
    // while the library that connects it is still loaded.
    SupersedeUrlOpen();
    connector_.Finish();
    if (playerState_ == psPlaying)
        Stop();
    // Deliver what the library threads already posted, while the channel
    // still plays out (bounded: a channel that never stops cannot hold us).
    for (int round = 0; round < 100; ++round) {
        if (window_)
            window_->DispatchPending();
        if (!lib_.Loaded() || channelKind_ == ckNone || lib_.ChannelIsActive(channel_) != 1)
            break;
    }
    // Releasing the channel first guarantees that none of its sync procedures
    // runs any more, so none can post to a window that is gone.
    if (lib_.Loaded())
        ReleaseChannel();
    spectrumTimer_.stop();
    readers_.reset();
    vis_.reset();
    window_.reset();
    windows_.reset();
    lib_.Unload();
}

void TAudioPlayer::SetOnNewFFTData(std::function<void(const quaverly::TBandOut &)> handler)
{
    if (!handler) {
        OnNewFFTData = nullptr;
        return;
    }
    OnNewFFTData = [handler = std::move(handler)](TAudioPlayer &, TBandOut &bands) { handler(bands); };
}

void TAudioPlayer::Message(const char *text)
{
    if (dialogs_)
        dialogs_->MessageBox(text, Caption);
}

std::string TAudioPlayer::SupportedExtensions() const
{
    if (!playerReady_)
        return {};
    return wmaReady_ ? "*.wav;*.mp1;*.mp2;*.mp3;*.ogg;*.wma;" : "*.wav;*.mp1;*.mp2;*.mp3;*.ogg;";
}

bool TAudioPlayer::GetStreamInfo(const std::string &fileName, TStreamInfo &info)
{
    if (!readers_)
        readers_ = std::make_unique<TStreamReaders>();
    return audio::GetStreamInfo(fileName, info, *readers_);
}

void TAudioPlayer::ReleaseChannel()
{
    if (channelKind_ == ckStream || channelKind_ == ckWmaStream)
        lib_.StreamFree(channel_);
    else if (channelKind_ == ckMusic)
        lib_.MusicFree(channel_);
    channelKind_ = ckNone;
    downloaded_ = false;
    netFileStream_ = false;
    radioStream_ = false;
}

bool TAudioPlayer::Open(const std::string &fileName)
{
    if (!playerReady_) {
        Message(TextNotReady);
        return false;
    }
    SupersedeUrlOpen();
    if (IsStreamUrl(fileName))
        return OpenUrlNow(fileName);

    TStreamInfo info;
    if (!GetStreamInfo(fileName, info))
        return false;

    ReleaseChannel();
    const char *path = fileName.c_str();
    if ((channel_ = lib_.StreamCreateFile(FALSE, path, 0, 0, 0)) != 0)
        channelKind_ = ckStream;
    else if (wmaReady_ && (channel_ = lib_.WmaStreamCreateFile(FALSE, path, 0, 0, 0)) != 0)
        channelKind_ = ckWmaStream;
    else if ((channel_ = lib_.MusicLoad(FALSE, path, 0, 0, BASS_MUSIC_PRESCAN, 0)) != 0)
        channelKind_ = ckMusic;
    else {
        channel_ = 0;
        channelKind_ = ckNone;
        return false;
    }

    BASS_CHANNELINFO ci{};
    lib_.ChannelGetInfo(channel_, &ci);
    chanInfo_ = {ci.freq, std::uint16_t(ci.chans), ci.flags};
    if (ci.flags & BASS_SAMPLE_8BITS) {
        lib_.MusicFree(channel_);
        lib_.StreamFree(channel_);
        // The channel is gone: nothing may be called on it any more.
        channel_ = 0;
        channelKind_ = ckNone;
        Message(TextNo16Bit);
        return false;
    }

    // The frame layout follows the data the library delivers, so the channel
    // count comes from the channel when it reports one.
    vis_->SetChannelInfo(channel_, info.SampleRate, chanInfo_.Channels ? chanInfo_.Channels : info.Channels);
    currentFile_ = fileName;
    currentStreamInfo_ = info;
    playerState_ = psReady;
    return true;
}

std::int32_t TAudioPlayer::ChannelLengthMs() const
{
    const QWORD length = lib_.ChannelGetLength(channel_, BASS_POS_BYTE);
    if (length == NoBytes || std::int64_t(length) < 0)
        return 0;
    return LibrarySecondsToMs(lib_.ChannelBytes2Seconds(channel_, length));
}

std::uint64_t TAudioPlayer::CreateUrlChannel(const TPlayerLibrary &lib, bool wma, const std::string &url)
{
    if (UrlExtension(url) == ".WMA")
        return 0;
    if (const DWORD channel = lib.StreamCreateURL(url.c_str(), 0, BASS_STREAM_BLOCK, nullptr, nullptr))
        return std::uint64_t(channel) | (std::uint64_t(ckStream) << 32);
    if (wma) {
        std::string wmaUrl = url;
        if (wmaUrl.starts_with("http://"))
            wmaUrl = "mms://" + wmaUrl.substr(7);
        if (const DWORD channel = lib.WmaStreamCreateFile(FALSE, wmaUrl.c_str(), 0, 0, 4))
            return std::uint64_t(channel) | (std::uint64_t(ckWmaStream) << 32);
    }
    return 0;
}

void TAudioPlayer::FreeUrlChannel(std::uint64_t made)
{
    if (made != 0 && lib_.Loaded())
        lib_.StreamFree(DWORD(made & 0xFFFFFFFFu));
}

void TAudioPlayer::OpenUrl(const std::string &url, std::function<void(bool)> done)
{
    Close();
    // The worker uses copies of the library's entry points only.
    const TPlayerLibrary *lib = &lib_;
    const bool wma = wmaReady_;
    const bool ready = playerReady_;
    pendingDone_ = std::move(done);
    connector_.Start(
        [lib, wma, ready, url] { return ready ? CreateUrlChannel(*lib, wma, url) : 0; },
        [this, url](std::uint64_t made) {
            auto done = std::exchange(pendingDone_, nullptr);
            const bool opened = FinishUrlOpen(url, made);
            if (done)
                done(opened);
        },
        [this](std::uint64_t made) { FreeUrlChannel(made); });
}

void TAudioPlayer::SupersedeUrlOpen()
{
    if (!connector_.Pending())
        return;
    connector_.Cancel();
    if (auto done = std::exchange(pendingDone_, nullptr))
        done(false);
}

bool TAudioPlayer::OpenUrlNow(const std::string &url)
{
    ReleaseChannel();
    return FinishUrlOpen(url, CreateUrlChannel(lib_, wmaReady_, url));
}

bool TAudioPlayer::FinishUrlOpen(const std::string &url, std::uint64_t made)
{
    ReleaseChannel();
    if (made == 0)
        return false;
    channel_ = DWORD(made & 0xFFFFFFFFu);
    channelKind_ = TChannelKind(made >> 32);

    TStreamInfo info;
    info.FileName = url;
    info.BitsPerSample = 0;
    const std::string ext = UrlExtension(url);
    if (ext == ".MP3" || ext == ".MP2" || ext == ".MP1" || ext == ".OGG" || ext == ".WAV") {
        netFileStream_ = true;
        if (ext == ".OGG")
            info.Title = TitleFromComments(LibraryText(lib_.ChannelGetTags(channel_, BASS_TAG_OGG)), false);
        else
            info.Title = TitleFromUrl(url);
        const QWORD length = lib_.ChannelGetLength(channel_, BASS_POS_BYTE);
        const float seconds = (length == NoBytes) ? 0.0f : lib_.ChannelBytes2Seconds(channel_, length);
        info.Duration = LibrarySecondsToMs(seconds);
        const QWORD size = lib_.StreamGetFilePosition(channel_, BASS_FILEPOS_END);
        if (size != NoBytes) {
            info.FileSize = ClampToInt32(size);
            info.BitRate = NetFileBitRate(std::int64_t(std::min<QWORD>(size, QWORD(INT64_MAX))), seconds);
        }
        lib_.ChannelSetSync(channel_, BASS_SYNC_DOWNLOAD, 0, &TAudioPlayer::DownloadProc, this);
    } else {
        radioStream_ = true;
        lib_.ChannelSetSync(channel_, BASS_SYNC_META, 0, &TAudioPlayer::MetaProc, this);
    }

    BASS_CHANNELINFO ci{};
    lib_.ChannelGetInfo(channel_, &ci);
    chanInfo_ = {ci.freq, std::uint16_t(ci.chans), ci.flags};
    info.SampleRate = std::int32_t(ci.freq);
    info.Channels = std::uint16_t(ci.chans);
    vis_->SetChannelInfo(channel_, info.SampleRate, info.Channels);

    currentFile_ = url;
    currentStreamInfo_ = info;
    playerState_ = psReady;
    return true;
}

void TAudioPlayer::StartSpectrumAndVis()
{
    playerState_ = psPlaying;
    if (visOutActive_ && vis_->IsStopped())
        vis_->StartVis();
    if (OnNewFFTData)
        spectrumTimer_.start();
}

void TAudioPlayer::Play()
{
    if (channelKind_ == ckNone || playerState_ == psPlaying)
        return;
    if (playerState_ == psStopped) {
        SetPosition(0);
        Restart();
        return;
    }
    if (lib_.ChannelPlay(channel_, FALSE)) {
        lib_.ChannelSetSync(channel_, BASS_SYNC_END, 0, &TAudioPlayer::EndProc, this);
        StartSpectrumAndVis();
    }
}

void TAudioPlayer::Restart()
{
    if (lib_.ChannelPlay(channel_, TRUE))
        StartSpectrumAndVis();
}

void TAudioPlayer::Stop()
{
    if (playerState_ != psPlaying)
        return;
    lib_.ChannelStop(channel_);
    playerState_ = psStopped;
    if (!vis_->IsStopped())
        vis_->StopVis();
}

void TAudioPlayer::Close()
{
    SupersedeUrlOpen();
    if (lib_.Loaded())
        ReleaseChannel();
    channelKind_ = ckNone;
    playerState_ = psClosed;
    if (vis_ && !vis_->IsStopped())
        vis_->StopVis();
    currentFile_.clear();
    currentStreamInfo_.FileName.clear();
    currentStreamInfo_.SampleRate = 0;
}

std::uint32_t TAudioPlayer::PlayLength() const
{
    if (channelKind_ == ckNone)
        return 0;
    return std::uint32_t(ChannelLengthMs());
}

std::uint32_t TAudioPlayer::Position() const
{
    if (channelKind_ == ckNone || channelKind_ == ckMusic)
        return 0;
    const QWORD pos = lib_.ChannelGetPosition(channel_, BASS_POS_BYTE);
    if (pos == NoBytes || std::int64_t(pos) < 0)
        return 0;
    return std::uint32_t(LibrarySecondsToMs(lib_.ChannelBytes2Seconds(channel_, pos)));
}

void TAudioPlayer::SetPosition(std::uint32_t ms)
{
    if (channelKind_ == ckNone || ms > PlayLength())
        return;
    const QWORD bytes = lib_.ChannelSeconds2Bytes(channel_, float(ms) / 1000.0f);
    if ((channelKind_ == ckStream || channelKind_ == ckWmaStream) && bytes != NoBytes)
        lib_.ChannelSetPosition(channel_, bytes, BASS_POS_BYTE);
}

bool TAudioPlayer::Seekable() const
{
    if (channelKind_ == ckNone || channelKind_ == ckMusic || radioStream_)
        return false;
    if (netFileStream_)
        return downloaded_;
    return true;
}

void TAudioPlayer::SpectrumTick()
{
    if (visOutActive_) {
        vis_->SetPlayPosition(Position());
        return;
    }
    const DWORD active = (channelKind_ == ckNone) ? BASS_ACTIVE_STOPPED : lib_.ChannelIsActive(channel_);
    if (active != BASS_ACTIVE_PLAYING && active != BASS_ACTIVE_STALLED) {
        spectrumTimer_.stop();
        return;
    }
    float fft[FftMagnitudes];
    if (lib_.ChannelGetData(channel_, fft, BASS_DATA_FFT256) == DataFailed) {
        bandOut_.fill(0);
        return;
    }
    // The timer keeps running while the bands are computed: a Qt timer
    // never fires again before its handler has returned, so a slow tick
    // cannot queue a second one, and the frames keep their 25 ms period
    // instead of drifting by the computing time.
    UpdateBands(fft, bandOut_);
    window_->Post(MsgNewFFTData, std::int32_t(channel_), 0);
}

void TAudioPlayer::HandleMessage(std::uint32_t msg, std::int32_t wParam, std::int32_t lParam)
{
    // Notices of the library name their channel; one of a released channel
    // is out of date.
    const bool current = channelKind_ != ckNone && std::uint32_t(wParam) == channel_;
    switch (msg) {
    case MsgPlayEnd:
        if (!current)
            return;
        playerState_ = psStopped;
        if (vis_ && !vis_->IsStopped())
            vis_->StopVis();
        if (OnPlayEnd)
            OnPlayEnd(*this);
        return;
    case MsgNewFFTData:
        if (OnNewFFTData)
            OnNewFFTData(*this, bandOut_);
        return;
    case MsgGetMeta: {
        const std::string title = window_->TakeTitle(lParam);
        if (!current)
            return;
        currentStreamInfo_.Title = title;
        if (OnGetMeta)
            OnGetMeta(*this, title);
        return;
    }
    case MsgDownloaded: {
        if (!current)
            return;
        downloaded_ = true;
        const QWORD size = lib_.StreamGetFilePosition(channel_, BASS_FILEPOS_END);
        currentStreamInfo_.FileSize = size == NoBytes ? 0 : ClampToInt32(size);
        currentStreamInfo_.Duration = ChannelLengthMs();
        if (OnDownloaded)
            OnDownloaded(*this, std::to_string(currentStreamInfo_.Duration));
        return;
    }
    case PlayerWindow::SendingData:
        if (playerReady_)
            HandleCommand(wParam, lParam);
        return;
    default:
        return;
    }
}

void TAudioPlayer::HandleCommand(std::int32_t command, std::int32_t lParam)
{
    switch (command) {
    case CmdSetInterval:
        vis_->SetInterval(lParam);
        return;
    case CmdConnect:
        if (lParam == 0)
            return;
        vis_->SharedMem().SetTargetApplication(TVisThread::Target);
        visOutActive_ = true;
        if (playerState_ == psPlaying && vis_->IsStopped())
            vis_->StartVis();
        return;
    case CmdDisconnect:
        visOutActive_ = false;
        if (!vis_->IsStopped())
            vis_->StopVis();
        return;
    default:
        return;
    }
}

// The sync procedures run on a library thread: they only post.

void TAudioPlayer::EndProc(HSYNC, DWORD channel, DWORD, void *user)
{
    static_cast<TAudioPlayer *>(user)->window_->Post(MsgPlayEnd, std::int32_t(channel), 0);
}

void TAudioPlayer::MetaProc(HSYNC, DWORD channel, DWORD, void *user)
{
    // The notice's data word cannot hold an address on a 64-bit system, so
    // the text is read from the channel: the ICY block it just received, or
    // for an Ogg stream its new comments.
    auto *self = static_cast<TAudioPlayer *>(user);
    const char *text = self->lib_.ChannelGetTags(channel, BASS_TAG_META);
    if (text == nullptr)
        text = self->lib_.ChannelGetTags(channel, BASS_TAG_OGG);
    self->window_->PostTitle(MsgGetMeta, std::int32_t(channel), TitleFromMetadata(LibraryText(text)));
}

void TAudioPlayer::DownloadProc(HSYNC, DWORD channel, DWORD, void *user)
{
    static_cast<TAudioPlayer *>(user)->window_->Post(MsgDownloaded, std::int32_t(channel), 0);
}

} // namespace quaverly::audio
