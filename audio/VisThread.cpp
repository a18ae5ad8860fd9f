#include "audio/VisThread.h"

#include <algorithm>

namespace quaverly::audio {

using namespace visframe;

TVisThread::TVisThread(const TPlayerLibrary *lib, X11WindowSystem *windows, IDialogs *dialogs, QObject *parent)
    : QObject(parent), lib_(lib), sharedMem_(std::make_unique<TSharedMemory>(windows, dialogs))
{
    frameTimer_.setInterval(10);
    frameTimer_.setTimerType(Qt::PreciseTimer);
    connect(&frameTimer_, &QTimer::timeout, this, &TVisThread::WriteFrame);
    sharedMem_->ShareName = ShareName;
    sharedMem_->Size = BlockSize;
    sharedMem_->SetTargetApplication(Target);
    if (sharedMem_->CreateMapping())
        view_ = sharedMem_->MapView();
    SetChannelInfo(0, 0, 1);
}

TVisThread::~TVisThread()
{
    frameTimer_.stop();
    if (view_)
        sharedMem_->UnmapView(view_);
    sharedMem_->CloseHandles();
    // The block outlives its creator otherwise; a reader that still has it
    // mapped keeps its copy until it lets go.
    SharedMemory::Unlink(ShareName);
}

void TVisThread::SetChannelInfo(std::uint32_t channel, std::int32_t sampleRate, std::uint16_t channels)
{
    channel_ = channel;
    sampleRate_ = sampleRate;
    channels_ = channels;
    const std::size_t n = std::max<std::size_t>(channels, 1);
    fft_.assign(SpectrumBins * n, 0.0f);
    pcm_.assign(WaveSamples * n, 0);
}

void TVisThread::SetInterval(std::int32_t lParam)
{
    interval_ = std::max(10, static_cast<int>(static_cast<std::uint32_t>(lParam) & 0xFFFF));
    frameTimer_.setInterval(interval_);
}

void TVisThread::StartVis()
{
    visStopped_ = false;
    skip_.Reset();
    if (view_)
        WriteU32(view_, FlagOffset, 0);
    frameTimer_.start();
}

void TVisThread::StopVis()
{
    visStopped_ = true;
    frameTimer_.stop();
}

void TVisThread::WriteFrame()
{
    frameTimer_.stop();
    if (visStopped_)
        return;
    const auto resume = [this] { frameTimer_.start(); };
    if (!lib_ || !lib_->Loaded() || lib_->ChannelIsActive(channel_) != 1 || !view_)
        return resume();

    const unsigned channels = std::max<unsigned>(channels_, 1);
    const std::uint32_t ready = lib_->ChannelGetData(channel_, nullptr, 0);
    if (ready == 0xFFFFFFFFu || ready < channels * BytesReadyPerChannel)
        return resume();
    if (!skip_.ShouldWrite(ReadU32(view_, FlagOffset)))
        return resume();

    WriteU32(view_, FlagOffset, 1);
    WriteHeader(view_, std::uint32_t(sampleRate_), channels_, playPosition_);

    // A failed read leaves zeros rather than the previous frame's data.
    const std::uint32_t fftFlag = channels == 1 ? 0x80000002u : 0x80000012u;
    if (lib_->ChannelGetData(channel_, fft_.data(), fftFlag) == 0xFFFFFFFFu)
        std::fill(fft_.begin(), fft_.end(), 0.0f);
    WriteSpectrumRows(view_, fft_.data(), channels);

    const std::uint32_t waveBytes = std::uint32_t(WaveSamples * channels * sizeof(std::int16_t));
    const std::uint32_t got = lib_->ChannelGetData(channel_, pcm_.data(), waveBytes);
    if (got == 0xFFFFFFFFu)
        std::fill(pcm_.begin(), pcm_.end(), 0);
    else if (got < waveBytes)
        std::fill(pcm_.begin() + got / sizeof(std::int16_t), pcm_.end(), 0);
    WriteWaveRows(view_, pcm_.data(), channels);

    ++framesWritten_;
    sharedMem_->Notify(NotifyWParam, NotifyLParam);
    if (!visStopped_)
        resume();
}

} // namespace quaverly::audio
