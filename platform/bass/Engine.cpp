#include "platform/bass/Engine.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <pthread.h>
#include <string_view>

namespace quaverly::bass {

namespace {

thread_local int t_error = BASS_OK;

}  // namespace

void SetError(int code)
{
    t_error = code;
}

int LastError()
{
    return t_error;
}

Engine &Engine::Get()
{
    static Engine engine;
    return engine;
}

Engine::Engine() = default;

Engine::~Engine()
{
    Free();
    dispatcher_.Stop();
}

bool Engine::initialised() const
{
    std::lock_guard lock(mutex_);
    return initialised_;
}

bool Engine::Init(int device, DWORD freq)
{
    if (device != -1 && device != 1) {
        SetError(BASS_ERROR_DEVICE);
        return false;
    }
    std::lock_guard deviceLock(deviceMutex_);
    if (initialised()) {
        SetError(BASS_ERROR_ALREADY);
        return false;
    }
    // The host owns SIGINT and SIGTERM: without this hint SDL turns them into
    // quit events nobody reads, and the program could no longer be ended.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        SetError(BASS_ERROR_DRIVER);
        return false;
    }
    wantRate_ = freq ? int(freq) : 44100;
    if (!OpenDevice()) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        SetError(BASS_ERROR_DEVICE);
        return false;
    }
    // The disk driver starts a new file each time it opens: closing it
    // between plays would throw away what was recorded before.
    const char *driver = SDL_GetCurrentAudioDriver();
    {
        std::lock_guard lock(mutex_);
        keepDeviceOpen_ = driver && std::string_view(driver) == "disk";
        initialised_ = true;
        stopIdleCloser_ = false;
    }
    idleCloser_ = std::thread(&Engine::CloseWhenIdle, this);
    SetError(BASS_OK);
    return true;
}

bool Engine::OpenDevice()
{
    if (device_ != 0)
        return true;  // only this thread, holding deviceMutex_, changes it from 0
    SDL_AudioSpec want{};
    want.freq = wantRate_;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    // The device buffer is the largest power of two up to 200 ms (8192
    // frames, 186 ms, at 44.1 kHz): the device's thread, which decodes too,
    // then wakes about 5 times a second, and every wakeup costs far more
    // than the samples it handles. What is being heard inside the buffer is
    // reckoned from the time it was filled (see Channel::HeardBehind).
    want.samples = 256;
    while (int(want.samples) * 2 <= want.freq / 5 && want.samples < 32768)
        want.samples = Uint16(want.samples * 2);
    want.callback = &Engine::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (id == 0)
        return false;
    {
        std::lock_guard lock(mutex_);
        outRate_ = have.freq;
        acc_.assign(size_t(have.samples) * 2 * 4, 0.0f);
        mixList_.reserve(64);
        device_ = id;
    }
    SDL_PauseAudioDevice(id, 0);  // the device's thread takes mutex_ once it runs
    idleChanged_.notify_all();  // closed again if nothing comes to play
    return true;
}

void Engine::CloseWhenIdle()
{
    using namespace std::chrono_literals;
    pthread_setname_np(pthread_self(), "audio-idle");
    std::unique_lock lock(mutex_);
    while (!stopIdleCloser_) {
        idleChanged_.wait(lock, [this] {
            return stopIdleCloser_ || (device_ != 0 && playing_.empty() && !keepDeviceOpen_);
        });
        if (stopIdleCloser_)
            break;
        // The next row usually starts at once; the device stays for that.
        if (idleChanged_.wait_for(lock, 1s, [this] { return stopIdleCloser_ || !playing_.empty(); }))
            continue;
        lock.unlock();
        {
            std::lock_guard deviceLock(deviceMutex_);
            uint32_t device = 0;
            {
                std::lock_guard again(mutex_);
                if (playing_.empty() && !stopIdleCloser_)
                    std::swap(device, device_);
            }
            // Waits for the device's thread, which takes mutex_.
            if (device != 0)
                SDL_CloseAudioDevice(device);
        }
        lock.lock();
    }
}

void Engine::StopIdleCloser()
{
    {
        std::lock_guard lock(mutex_);
        stopIdleCloser_ = true;
    }
    idleChanged_.notify_all();
    if (idleCloser_.joinable())
        idleCloser_.join();
}

bool Engine::Free()
{
    if (dispatcher_.OnDispatcherThread()) {
        SetError(BASS_ERROR_UNKNOWN);  // not from inside a sync procedure
        return false;
    }
    StopIdleCloser();
    std::unordered_map<DWORD, std::shared_ptr<Channel>> gone;
    uint32_t device = 0;
    bool wasInitialised = false;
    {
        std::lock_guard deviceLock(deviceMutex_);
        {
            std::lock_guard lock(mutex_);
            gone.swap(channels_);
            playing_.clear();
            device = device_;
            device_ = 0;
            wasInitialised = initialised_;
            initialised_ = false;
        }
        // Waits for the device's thread, which takes the engine's lock.
        if (device != 0)
            SDL_CloseAudioDevice(device);
        if (wasInitialised)
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    for (auto &[handle, channel] : gone) {
        dispatcher_.Retire(channel);
        channel->Shutdown();
    }
    dispatcher_.Stop();
    SetError(wasInitialised ? BASS_OK : BASS_ERROR_INIT);
    return wasInitialised;
}

bool Engine::SetConfig(DWORD option, DWORD value)
{
    switch (option) {
    case BASS_CONFIG_CURVE_VOL: volumeScale_ = value; break;
    case BASS_CONFIG_GVOL_MUSIC: musicVolume_ = value; break;
    case BASS_CONFIG_GVOL_STREAM: streamVolume_ = value; break;
    case BASS_CONFIG_NET_TIMEOUT: netTimeoutMs_ = std::max<DWORD>(value, 1); break;
    case BASS_CONFIG_NET_READTIMEOUT: netReadTimeoutMs_ = std::max<DWORD>(value, 1); break;
    default: SetError(BASS_ERROR_ILLPARAM); return false;
    }
    SetError(BASS_OK);
    return true;
}

DWORD Engine::NewHandle()
{
    std::lock_guard lock(mutex_);
    DWORD h = nextHandle_++;
    if (nextHandle_ == 0)
        nextHandle_ = 1;  // after four billion channels; never 0
    return h;
}

DWORD Engine::Add(const std::shared_ptr<Channel> &channel)
{
    std::lock_guard lock(mutex_);
    channels_[channel->handle()] = channel;
    return channel->handle();
}

std::shared_ptr<Channel> Engine::Find(DWORD handle)
{
    std::lock_guard lock(mutex_);
    const auto it = channels_.find(handle);
    return it == channels_.end() ? nullptr : it->second;
}

bool Engine::Remove(DWORD handle, ChannelKind kind)
{
    std::shared_ptr<Channel> channel;
    {
        std::lock_guard lock(mutex_);
        const auto it = channels_.find(handle);
        if (it == channels_.end() || it->second->kind() != kind)
            return false;
        channel = it->second;
        channels_.erase(it);
        std::erase(playing_, channel);
    }
    idleChanged_.notify_all();
    dispatcher_.Retire(channel);
    channel->Shutdown();
    return true;
}

bool Engine::Play(DWORD handle, bool restart)
{
    const auto channel = Find(handle);
    if (!channel) {
        SetError(BASS_ERROR_HANDLE);
        return false;
    }
    if (!initialised() || channel->decodeOnly()) {
        SetError(channel->decodeOnly() ? BASS_ERROR_NOTAVAIL : BASS_ERROR_INIT);
        return false;
    }
    std::lock_guard deviceLock(deviceMutex_);
    if (!channel->Play(restart)) {
        SetError(BASS_ERROR_POSITION);
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        if (!channels_.count(handle))
            return false;  // freed meanwhile
        if (std::find(playing_.begin(), playing_.end(), channel) == playing_.end())
            playing_.push_back(channel);
    }
    // Opened with the channel already listed, so that a device that was
    // closed can mix it into its very first buffer.
    if (!OpenDevice()) {
        Stop(handle);
        SetError(BASS_ERROR_DEVICE);
        return false;
    }
    SetError(BASS_OK);
    return true;
}

bool Engine::Stop(DWORD handle)
{
    const auto channel = Find(handle);
    if (!channel) {
        SetError(BASS_ERROR_HANDLE);
        return false;
    }
    channel->Stop();
    {
        std::lock_guard lock(mutex_);
        std::erase(playing_, channel);
    }
    idleChanged_.notify_all();
    SetError(BASS_OK);
    return true;
}

void Engine::Callback(void *self, uint8_t *stream, int len)
{
    static_cast<Engine *>(self)->Mix(reinterpret_cast<int16_t *>(stream), len / 4);
}

void Engine::Mix(int16_t *out, int frames)
{
    {
        std::lock_guard lock(mutex_);
        mixList_.assign(playing_.begin(), playing_.end());
    }
    const float scale = float(std::max<DWORD>(volumeScale_.load(), 1));
    const float streamGain = std::min(1.0f, float(streamVolume_.load()) / scale);
    const float musicGain = std::min(1.0f, float(musicVolume_.load()) / scale);
    auto gainOf = [&](const Channel &c) { return c.kind() == ChannelKind::Music ? musicGain : streamGain; };
    // One channel at full volume and the device's rate is the usual case:
    // it writes its samples straight into the device's buffer, with no
    // float mix and conversion in between.
    const bool direct = mixList_.size() == 1 && gainOf(*mixList_[0]) == 1.0f && mixList_[0]->MixesDirect(outRate_);
    if (!direct) {
        if (acc_.size() < size_t(frames) * 2)
            acc_.resize(size_t(frames) * 2);
        std::fill(acc_.begin(), acc_.begin() + frames * 2, 0.0f);
    }
    bool finished = false;
    for (const auto &channel : mixList_) {
        if (!channel->Mix(acc_.data(), direct ? out : nullptr, frames, outRate_, gainOf(*channel)))
            finished = true;
    }
    if (finished) {
        {
            std::lock_guard lock(mutex_);
            std::erase_if(playing_, [](const std::shared_ptr<Channel> &c) { return c->Active() == BASS_ACTIVE_STOPPED; });
        }
        idleChanged_.notify_all();
    }
    mixList_.clear();
    if (direct)
        return;
    for (int i = 0; i < frames * 2; ++i) {
        const float v = std::clamp(acc_[size_t(i)] * 32768.0f, -32768.0f, 32767.0f);
        out[i] = int16_t(std::lrintf(v));
    }
}

}  // namespace quaverly::bass
