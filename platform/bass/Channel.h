#pragma once

// One channel: a decoder, the decoded PCM ahead of the play position, the
// play state and the syncs.
//
// Locks: decoderMutex_ guards the decoder; mutex_ guards everything else.
// The order is decoderMutex_ before mutex_, and the engine's lock before
// mutex_; nothing takes another lock while holding mutex_ except the sync
// dispatcher's queue lock. Local files are decoded on demand by whoever
// needs samples (the audio device's thread while playing, a GetData caller);
// a network stream has its own reader thread, because its reads block.

#include "platform/bass/Decoder.h"
#include "platform/bass/Spectrum.h"
#include "platform/bass/bass.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct SwrContext;

namespace quaverly::bass {

class SyncDispatcher;

enum class ChannelKind { Stream, Music };

class Channel : public std::enable_shared_from_this<Channel> {
public:
    Channel(DWORD handle, ChannelKind kind, bool decodeOnly, SyncDispatcher &dispatcher);
    ~Channel();
    Channel(const Channel &) = delete;
    Channel &operator=(const Channel &) = delete;

    // Takes the decoder (its events must already lead to OnDecoderEvent) and
    // starts a network stream's reader.
    void Attach(std::unique_ptr<Decoder> decoder);
    // Ends the reader, aborts blocked reads and releases the decoder.
    void Shutdown();
    void OnDecoderEvent(DecoderEvent e, const std::string &text);

    DWORD handle() const { return handle_; }
    ChannelKind kind() const { return kind_; }
    bool decodeOnly() const { return decodeOnly_; }
    int rate() const { return rate_; }
    int channels() const { return channels_; }
    DWORD frameBytes() const { return DWORD(channels_) * 2; }

    QWORD Length();
    QWORD Position();
    bool SetPosition(QWORD bytes);
    // Prepares playing (restart or replay after the end); true when the
    // engine should mix the channel.
    bool Play(bool restart);
    void Stop();
    DWORD Active();
    DWORD GetData(void *buffer, DWORD length);
    const char *Tags(DWORD type);
    QWORD FilePosition(DWORD mode);
    HSYNC AddSync(HSYNC id, DWORD type, SYNCPROC *proc, void *user);

    // Audio device thread: adds up to `frames` frames at outRate stereo into
    // acc (gain applied). False once the channel has played its last sample
    // (the end syncs are queued then) or is not playing. When the channel
    // is the only one heard, at gain 1, `direct` may be the device's buffer:
    // a channel at outRate with one or two channels then writes all `frames`
    // there itself (silence after its data) and leaves acc alone; otherwise
    // it mixes into acc as usual. Only MixesDirect tells which it will be.
    bool Mix(float *acc, int16_t *direct, int frames, int outRate, float gain);
    // Whether Mix with a `direct` buffer writes there.
    bool MixesDirect(int outRate) const { return rate_ == outRate && channels_ <= 2; }

    bool retired = false;  // guarded by the sync dispatcher's lock

private:
    size_t Frames() const { return (wr_ - rd_) / size_t(channels_); }  // mutex_ held
    const int16_t *Head() const { return ring_.data() + rd_; }  // mutex_ held
    void Consume(size_t frames);  // mutex_ held
    // Frames of the last device buffer not yet heard: the play position lies
    // this far behind rd_ (mutex_ held).
    size_t HeardBehind() const;
    // The first sample to be heard now, and the frames held from there on.
    const int16_t *HeardHead() const { return Head() - HeardBehind() * size_t(channels_); }  // mutex_ held
    // Decodes one chunk; false at the end of the data.
    bool Produce(int maxFrames);
    // Decodes a local stream until `frames` are ahead (at most a chunk past
    // the fill target) or the data ended.
    void FillLocal(size_t frames);
    void FillLocalTo(size_t frames);  // without that limit
    void ReaderLoop();
    void Fire(DWORD type, bool hasText, const std::string &text);  // mutex_ not held
    bool SeekTo(int64_t frame);

    const DWORD handle_;
    const ChannelKind kind_;
    const bool decodeOnly_;
    SyncDispatcher &dispatcher_;
    int rate_ = 0, channels_ = 0;
    bool network_ = false;
    size_t fillTarget_ = 0;  // frames kept decoded ahead

    std::mutex decoderMutex_;
    std::unique_ptr<Decoder> decoder_;
    std::vector<int16_t> chunk_;  // decoderMutex_

    std::mutex mutex_;
    std::condition_variable space_;  // reader waits for room / a seek / stop
    std::vector<int16_t> ring_;
    size_t rd_ = 0, wr_ = 0;  // samples
    int64_t playFrame_ = 0;  // frame at rd_
    // The last device buffer took the histFrames_ frames before rd_ (they
    // stay in the ring) and started to be heard at mixAt_ (steady clock, ns).
    size_t histFrames_ = 0;
    int64_t mixAt_ = 0;
    int64_t stoppedAt_ = -1;  // the position heard when Stop was called
    bool sourceEnded_ = false;
    bool playing_ = false;
    bool ended_ = false;
    bool stopReader_ = false;
    bool downloadComplete_ = false;
    int64_t lengthFrames_ = -1;
    int64_t exactLength_ = -1;  // of a downloaded network file
    int64_t fileRead_ = -1, fileDownloaded_ = -1, fileSize_ = -1;
    std::deque<std::string> oggTags_;  // older versions stay valid for a while
    std::deque<std::string> metaTags_;
    struct Sync {
        HSYNC id;
        DWORD type;
        bool once;
        SYNCPROC *proc;
        void *user;
    };
    std::vector<Sync> syncs_;
    Spectrum spectrum_;
    std::vector<float> fftScratch_;
    SwrContext *outSwr_ = nullptr;
    bool swrFlushed_ = false;
    std::vector<float> mixScratch_;
    std::thread reader_;
};

}  // namespace quaverly::bass
