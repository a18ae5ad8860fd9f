#pragma once

// The library's one state: the output device, the table of live channels,
// the channels being mixed, the volume options and the sync dispatcher.
//
// The device is open only while something plays: a second after the last
// channel stopped, a thread of the engine's closes it, and the next play
// opens it again. An open device's thread wakes for every buffer even with
// nothing to mix, and a player that sits stopped should cost nothing.
//
// The SDL audio thread calls Mix for every playing channel without holding
// the engine's lock (it copies the list first); a channel is removed from
// the table under the lock and shut down after it was released, so the
// device's thread never waits on a channel being freed.

#include "platform/bass/Channel.h"
#include "platform/bass/NetworkInput.h"
#include "platform/bass/SyncDispatcher.h"
#include "platform/bass/bass.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

namespace quaverly::bass {

class Engine {
public:
    static Engine &Get();
    ~Engine();

    bool Init(int device, DWORD freq);
    bool Free();
    [[nodiscard]] bool initialised() const;
    bool SetConfig(DWORD option, DWORD value);
    NetworkTimeouts netTimeouts() const { return {netTimeoutMs_.load(), netReadTimeoutMs_.load()}; }

    // Registers a new channel; returns its handle.
    DWORD Add(const std::shared_ptr<Channel> &channel);
    DWORD NewHandle();
    std::shared_ptr<Channel> Find(DWORD handle);
    // Removes a channel of the kind; false when there is none.
    bool Remove(DWORD handle, ChannelKind kind);
    bool Play(DWORD handle, bool restart);
    bool Stop(DWORD handle);
    HSYNC NewSync() { return nextSync_.fetch_add(1); }
    SyncDispatcher &dispatcher() { return dispatcher_; }

private:
    Engine();
    static void Callback(void *self, uint8_t *stream, int len);
    void Mix(int16_t *out, int frames);
    // Opens the device when it is closed; deviceMutex_ held.
    bool OpenDevice();
    // The idle closer's thread: closes the device once nothing played for a while.
    void CloseWhenIdle();
    void StopIdleCloser();

    // Opening and closing the device; taken before mutex_, never after it.
    std::mutex deviceMutex_;
    mutable std::mutex mutex_;
    std::unordered_map<DWORD, std::shared_ptr<Channel>> channels_;
    std::vector<std::shared_ptr<Channel>> playing_;
    std::vector<std::shared_ptr<Channel>> mixList_;  // device thread only
    std::vector<float> acc_;  // device thread only
    bool initialised_ = false;
    uint32_t device_ = 0;  // 0 while closed
    int wantRate_ = 44100;
    int outRate_ = 44100;
    bool keepDeviceOpen_ = false;
    std::condition_variable idleChanged_;  // with mutex_
    bool stopIdleCloser_ = false;
    std::thread idleCloser_;
    DWORD nextHandle_ = 1;
    std::atomic<HSYNC> nextSync_{1};
    std::atomic<DWORD> volumeScale_{10000};
    std::atomic<DWORD> streamVolume_{10000};
    std::atomic<DWORD> musicVolume_{10000};
    std::atomic<DWORD> netTimeoutMs_{8000};
    std::atomic<DWORD> netReadTimeoutMs_{10000};
    SyncDispatcher dispatcher_;
};

// The last error of the calling thread (BASS_ErrorGetCode).
void SetError(int code);
int LastError();

}  // namespace quaverly::bass
