#include "platform/bass/Channel.h"

#include "platform/bass/Ffmpeg.h"
#include "platform/bass/FfmpegDecoder.h"
#include "platform/bass/SyncDispatcher.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace quaverly::bass {

namespace {

constexpr int kLocalChunk = 2048;  // frames decoded at a time
constexpr int kNetworkChunk = 4096;
constexpr size_t kMaxTagVersions = 16;

int64_t NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

Channel::Channel(DWORD handle, ChannelKind kind, bool decodeOnly, SyncDispatcher &dispatcher)
    : handle_(handle), kind_(kind), decodeOnly_(decodeOnly), dispatcher_(dispatcher)
{
}

Channel::~Channel()
{
    Shutdown();
    if (outSwr_)
        av.swr_free(&outSwr_);
}

void Channel::Attach(std::unique_ptr<Decoder> decoder)
{
    rate_ = decoder->rate();
    channels_ = decoder->channels();
    network_ = decoder->network();
    // Enough ahead for the largest FFT (4096 frames) and a quarter second.
    // A network stream reads up to ten seconds ahead: a server's burst of
    // old audio at the start (icecast sends 64 KB, several seconds) is then
    // taken at once, so metadata sent at the live point is read promptly.
    fillTarget_ = network_ ? size_t(rate_) * 10 : std::max<size_t>(size_t(rate_) / 4, 4096);
    const int chunk = network_ ? kNetworkChunk : kLocalChunk;
    {
        std::lock_guard lock(mutex_);
        // Room also for the device buffer being heard, which stays behind rd_.
        const size_t heard = std::max<size_t>(8192, size_t(rate_) / 5);
        ring_.assign((fillTarget_ + size_t(chunk) * 2 + heard) * size_t(channels_), 0);
        lengthFrames_ = decoder->LengthFrames();
        fileSize_ = decoder->FileSize();
        fileDownloaded_ = decoder->FileDownloaded();
        fileRead_ = decoder->FileRead();
        const std::string comments = decoder->OggComments();
        if (!comments.empty())
            oggTags_.push_back(comments);
    }
    {
        std::lock_guard lock(decoderMutex_);
        chunk_.assign(size_t(chunk) * size_t(channels_), 0);
        decoder_ = std::move(decoder);
    }
    if (network_)
        reader_ = std::thread([this] { ReaderLoop(); });
}

void Channel::Shutdown()
{
    {
        std::lock_guard lock(mutex_);
        stopReader_ = true;
        playing_ = false;
    }
    space_.notify_all();
    // Abort only sets flags, so it may run while the reader holds the
    // decoder inside a blocked read; decoder_ is not reassigned meanwhile.
    if (network_ && decoder_)
        decoder_->Abort();
    if (reader_.joinable())
        reader_.join();
    std::unique_ptr<Decoder> gone;
    {
        std::lock_guard lock(decoderMutex_);
        gone = std::move(decoder_);
    }
    gone.reset();
}

void Channel::Consume(size_t frames)
{
    rd_ += frames * size_t(channels_);
    playFrame_ += int64_t(frames);
}

size_t Channel::HeardBehind() const
{
    if (histFrames_ == 0)
        return 0;
    const int64_t elapsed = std::max<int64_t>(NowNs() - mixAt_, 0);
    const auto heard = size_t(std::min<int64_t>(elapsed / 1000 * rate_ / 1000000, int64_t(histFrames_)));
    return histFrames_ - heard;
}

bool Channel::Produce(int maxFrames)
{
    std::lock_guard dlock(decoderMutex_);
    if (!decoder_)
        return false;
    {
        std::lock_guard lock(mutex_);
        if (sourceEnded_)
            return false;
    }
    const int n = decoder_->Read(chunk_.data(), std::min<int>(maxFrames, int(chunk_.size()) / channels_));
    const int64_t length = decoder_->LengthFrames();
    const int64_t fileRead = decoder_->FileRead();
    const int64_t downloaded = decoder_->FileDownloaded();
    std::lock_guard lock(mutex_);
    lengthFrames_ = length;
    fileRead_ = fileRead;
    fileDownloaded_ = downloaded;
    if (n <= 0) {
        sourceEnded_ = true;
        return false;
    }
    const size_t samples = size_t(n) * size_t(channels_);
    if (wr_ + samples > ring_.size()) {
        // The last device buffer's samples stay: they are being heard.
        const size_t keep = std::min(rd_, histFrames_ * size_t(channels_));
        const size_t from = rd_ - keep;
        std::memmove(ring_.data(), ring_.data() + from, (wr_ - from) * sizeof(int16_t));
        wr_ -= from;
        rd_ -= from;
        if (wr_ + samples > ring_.size())
            ring_.resize(wr_ + samples);
    }
    std::memcpy(ring_.data() + wr_, chunk_.data(), samples * sizeof(int16_t));
    wr_ += samples;
    return true;
}

void Channel::FillLocal(size_t frames)
{
    FillLocalTo(std::min(frames, fillTarget_ + size_t(kLocalChunk)));
}

void Channel::FillLocalTo(size_t frames)
{
    if (network_)
        return;
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (sourceEnded_ || Frames() >= frames)
                return;
        }
        if (!Produce(kLocalChunk))
            return;
    }
}

void Channel::ReaderLoop()
{
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            space_.wait(lock, [&] { return stopReader_ || (!sourceEnded_ && Frames() < fillTarget_); });
            if (stopReader_)
                return;
        }
        Produce(kNetworkChunk);
    }
}

bool Channel::SeekTo(int64_t frame)
{
    {
        std::lock_guard dlock(decoderMutex_);
        if (!decoder_ || !decoder_->Seek(frame))
            return false;
        std::lock_guard lock(mutex_);
        rd_ = wr_ = 0;
        playFrame_ = frame;
        histFrames_ = 0;
        stoppedAt_ = -1;
        sourceEnded_ = false;
        ended_ = false;
        if (outSwr_)
            av.swr_free(&outSwr_);
        swrFlushed_ = false;
    }
    space_.notify_all();
    return true;
}

QWORD Channel::Length()
{
    std::lock_guard lock(mutex_);
    const int64_t frames = exactLength_ >= 0 ? exactLength_ : lengthFrames_;
    if (frames < 0)
        return QWORD(-1);
    return QWORD(frames) * frameBytes();
}

QWORD Channel::Position()
{
    std::lock_guard lock(mutex_);
    if (!playing_ && stoppedAt_ >= 0)
        return QWORD(stoppedAt_) * frameBytes();
    return QWORD(playFrame_ - int64_t(HeardBehind())) * frameBytes();
}

bool Channel::SetPosition(QWORD bytes)
{
    if (kind_ == ChannelKind::Music)
        return false;
    const int64_t frame = int64_t(bytes / frameBytes());
    {
        std::lock_guard lock(mutex_);
        const int64_t length = exactLength_ >= 0 ? exactLength_ : lengthFrames_;
        if (length < 0 || frame > length)
            return false;
        if (network_ && !downloadComplete_)
            return false;
    }
    return SeekTo(frame);
}

bool Channel::Play(bool restart)
{
    if (decodeOnly_)
        return false;
    bool fromStart = restart;
    {
        std::lock_guard lock(mutex_);
        if (ended_)
            fromStart = true;
    }
    if (fromStart && !(network_ && !downloadComplete_)) {
        if (!SeekTo(0) && kind_ != ChannelKind::Music)
            return false;
    }
    FillLocal(fillTarget_);
    std::lock_guard lock(mutex_);
    playing_ = true;
    ended_ = false;
    stoppedAt_ = -1;
    // What the device still held when it stopped has been heard by now or
    // is lost with the stop; play goes on after it.
    histFrames_ = 0;
    return true;
}

void Channel::Stop()
{
    std::lock_guard lock(mutex_);
    if (playing_)
        stoppedAt_ = playFrame_ - int64_t(HeardBehind());
    playing_ = false;
}

DWORD Channel::Active()
{
    std::lock_guard lock(mutex_);
    if (!playing_)
        return BASS_ACTIVE_STOPPED;
    if (network_ && Frames() == 0 && !sourceEnded_)
        return BASS_ACTIVE_STALLED;
    return BASS_ACTIVE_PLAYING;
}

DWORD Channel::GetData(void *buffer, DWORD length)
{
    if (length == BASS_DATA_AVAILABLE) {
        std::lock_guard lock(mutex_);
        return DWORD((Frames() + HeardBehind()) * frameBytes());
    }
    if (!buffer)
        return DWORD(-1);
    if (length & 0x80000000u) {
        const int n = 512 << std::min<DWORD>(length & 7u, 3u);
        const bool individual = (length & BASS_DATA_FFT_INDIVIDUAL) != 0 && channels_ > 1;
        FillLocal(size_t(n));
        std::lock_guard lock(mutex_);
        const size_t behind = HeardBehind();
        const int16_t *from = HeardHead();
        const int frames = int(std::min(Frames() + behind, size_t(n)));
        auto *out = static_cast<float *>(buffer);
        if (!individual) {
            if (!spectrum_.Compute(from, frames, channels_, -1, n, out))
                return DWORD(-1);
            return DWORD(n / 2 * sizeof(float));
        }
        fftScratch_.resize(size_t(n / 2));
        for (int c = 0; c < channels_; ++c) {
            if (!spectrum_.Compute(from, frames, channels_, c, n, fftScratch_.data()))
                return DWORD(-1);
            for (int k = 0; k < n / 2; ++k)
                out[size_t(k) * size_t(channels_) + size_t(c)] = fftScratch_[size_t(k)];
        }
        return DWORD(size_t(n / 2) * size_t(channels_) * sizeof(float));
    }
    if (length & 0x40000000u)
        return DWORD(-1);  // float samples are not offered
    const size_t want = length / frameBytes();
    if (decodeOnly_) {
        for (;;) {
            {
                std::lock_guard lock(mutex_);
                if (Frames() >= want || sourceEnded_)
                    break;
            }
            if (!network_) {
                if (!Produce(kLocalChunk))
                    break;
            } else {
                std::unique_lock lock(mutex_);
                space_.notify_all();
                break;  // a network decoding channel gives what is there
            }
        }
    } else {
        FillLocal(want);
    }
    std::lock_guard lock(mutex_);
    const size_t behind = decodeOnly_ ? 0 : HeardBehind();
    const size_t n = std::min(want, Frames() + behind);
    if (n == 0 && decodeOnly_ && sourceEnded_)
        return DWORD(-1);
    std::memcpy(buffer, HeardHead(), n * frameBytes());
    if (decodeOnly_) {
        Consume(n);
        space_.notify_all();
    }
    return DWORD(n * frameBytes());
}

const char *Channel::Tags(DWORD type)
{
    std::lock_guard lock(mutex_);
    if (type == BASS_TAG_OGG)
        return oggTags_.empty() ? nullptr : oggTags_.back().c_str();
    if (type == BASS_TAG_META)
        return metaTags_.empty() ? nullptr : metaTags_.back().c_str();
    return nullptr;
}

QWORD Channel::FilePosition(DWORD mode)
{
    std::lock_guard lock(mutex_);
    int64_t v = -1;
    switch (mode) {
    case BASS_FILEPOS_CURRENT: v = fileRead_; break;
    case BASS_FILEPOS_DOWNLOAD: v = fileDownloaded_; break;
    case BASS_FILEPOS_END: v = fileSize_; break;
    case BASS_FILEPOS_START: v = 0; break;
    default: v = -1;
    }
    return v < 0 ? QWORD(-1) : QWORD(v);
}

HSYNC Channel::AddSync(HSYNC id, DWORD type, SYNCPROC *proc, void *user)
{
    const DWORD base = type & 0x00FFFFFFu;
    if (!proc || (base != BASS_SYNC_END && base != BASS_SYNC_META && base != BASS_SYNC_DOWNLOAD))
        return 0;
    bool fireNow = false;
    {
        std::lock_guard lock(mutex_);
        const bool once = (type & BASS_SYNC_ONETIME) != 0;
        // A download that completed before the sync was set still reports.
        fireNow = base == BASS_SYNC_DOWNLOAD && downloadComplete_;
        if (!(fireNow && once))
            syncs_.push_back({id, base, once, proc, user});
    }
    if (fireNow)
        dispatcher_.Post({shared_from_this(), id, proc, user, false, {}});
    return id;
}

void Channel::Fire(DWORD type, bool hasText, const std::string &text)
{
    std::vector<Sync> due;
    {
        std::lock_guard lock(mutex_);
        for (auto it = syncs_.begin(); it != syncs_.end();) {
            if (it->type == type) {
                due.push_back(*it);
                if (it->once) {
                    it = syncs_.erase(it);
                    continue;
                }
            }
            ++it;
        }
    }
    for (const Sync &s : due)
        dispatcher_.Post({shared_from_this(), s.id, s.proc, s.user, hasText, text});
}

void Channel::OnDecoderEvent(DecoderEvent e, const std::string &text)
{
    switch (e) {
    case DecoderEvent::Metadata: {
        {
            std::lock_guard lock(mutex_);
            // The string's own NUL and this one: every tag text ends with two.
            metaTags_.push_back(text + '\0');
            if (metaTags_.size() > kMaxTagVersions)
                metaTags_.pop_front();
        }
        Fire(BASS_SYNC_META, true, text);
        break;
    }
    case DecoderEvent::OggComments: {
        {
            std::lock_guard lock(mutex_);
            oggTags_.push_back(text);
            if (oggTags_.size() > kMaxTagVersions)
                oggTags_.pop_front();
        }
        Fire(BASS_SYNC_META, true, text);
        break;
    }
    case DecoderEvent::DownloadComplete: {
        {
            std::lock_guard lock(mutex_);
            downloadComplete_ = true;
            exactLength_ = int64_t(text.empty() ? -1 : std::stoll(text));
            if (fileSize_ >= 0)
                fileDownloaded_ = fileSize_;
        }
        Fire(BASS_SYNC_DOWNLOAD, false, {});
        break;
    }
    }
}

bool Channel::Mix(float *acc, int16_t *direct, int frames, int outRate, float gain)
{
    if (!network_) {
        // The fill target keeps a quarter second ahead; a device buffer that
        // takes more (a low output rate) must still be filled whole.
        const size_t need = std::max(fillTarget_, size_t(int64_t(frames) * rate_ / outRate + 2));
        bool low = false;
        {
            std::lock_guard lock(mutex_);
            low = playing_ && !sourceEnded_ && Frames() < need;
        }
        if (low)
            FillLocalTo(need);
    }
    bool endedNow = false;
    {
        std::lock_guard lock(mutex_);
        if (!playing_) {
            if (direct && MixesDirect(outRate))
                std::memset(direct, 0, size_t(frames) * 2 * sizeof(int16_t));
            return false;
        }
        // This buffer replaces the last one at the device from now on.
        const int64_t startFrame = playFrame_;
        histFrames_ = 0;
        mixAt_ = NowNs();
        const int outCh = std::min(channels_, 2);
        int done = 0;
        auto add = [&](const float *src, int n, int at) {
            for (int i = 0; i < n; ++i) {
                const float l = src[size_t(i) * size_t(outCh)];
                const float r = outCh == 2 ? src[size_t(i) * 2 + 1] : l;
                acc[size_t(at + i) * 2] += l * gain;
                acc[size_t(at + i) * 2 + 1] += r * gain;
            }
        };
        if (rate_ == outRate && channels_ <= 2 && direct) {
            // The device's samples are this channel's own: copied as they
            // are (what the float path gives at gain 1), the rest silence.
            const int n = int(std::min(Frames(), size_t(frames)));
            if (channels_ == 2) {
                std::memcpy(direct, Head(), size_t(n) * 2 * sizeof(int16_t));
            } else {
                const int16_t *p = Head();
                for (int i = 0; i < n; ++i)
                    direct[size_t(i) * 2] = direct[size_t(i) * 2 + 1] = p[i];
            }
            std::memset(direct + size_t(n) * 2, 0, size_t(frames - n) * 2 * sizeof(int16_t));
            Consume(size_t(n));
            done = n;
        } else if (rate_ == outRate && channels_ <= 2) {
            const int n = int(std::min(Frames(), size_t(frames)));
            const int16_t *p = Head();
            for (int i = 0; i < n; ++i) {
                const float l = p[size_t(i) * size_t(channels_)] * (1.0f / 32768.0f);
                const float r = channels_ == 2 ? p[size_t(i) * 2 + 1] * (1.0f / 32768.0f) : l;
                acc[size_t(i) * 2] += l * gain;
                acc[size_t(i) * 2 + 1] += r * gain;
            }
            Consume(size_t(n));
            done = n;
        } else {
            // A module plays without FFmpeg until it needs resampling.
            if (!outSwr_ && LoadFfmpeg()) {
                AVChannelLayout in, out;
                av.av_channel_layout_default(&in, channels_);
                av.av_channel_layout_default(&out, outCh);
                if (av.swr_alloc_set_opts2(&outSwr_, &out, AV_SAMPLE_FMT_FLT, outRate, &in, AV_SAMPLE_FMT_S16, rate_,
                                           0, nullptr) < 0
                    || av.swr_init(outSwr_) < 0)
                    av.swr_free(&outSwr_);
                av.av_channel_layout_uninit(&in);
                av.av_channel_layout_uninit(&out);
            }
            if (outSwr_) {
                mixScratch_.resize(size_t(frames) * size_t(outCh));
                while (done < frames) {
                    const int want = frames - done;
                    auto *outPtr = reinterpret_cast<uint8_t *>(mixScratch_.data());
                    const size_t avail = Frames();
                    int got;
                    if (avail > 0) {
                        const int inFrames = int(std::min(avail, size_t(int64_t(want) * rate_ / outRate + 1)));
                        const auto *inPtr = reinterpret_cast<const uint8_t *>(Head());
                        got = av.swr_convert(outSwr_, &outPtr, want, &inPtr, inFrames);
                        Consume(size_t(inFrames));
                    } else if (sourceEnded_ && !swrFlushed_) {
                        // The data ended: drain the resampler's tail.
                        got = av.swr_convert(outSwr_, &outPtr, want, nullptr, 0);
                        if (got <= 0)
                            swrFlushed_ = true;
                    } else {
                        break;  // nothing more now
                    }
                    if (got < 0)
                        break;
                    add(mixScratch_.data(), got, done);
                    done += got;
                }
            } else {
                // No resampler: the channel cannot be heard; let it run out.
                Consume(Frames());
                swrFlushed_ = true;
            }
        }
        histFrames_ = size_t(playFrame_ - startFrame);
        if (done == 0 && sourceEnded_ && Frames() == 0 && (!outSwr_ || swrFlushed_)) {
            // The previous buffer carried the last sample and has been
            // handed to the device: the channel has played out.
            playing_ = false;
            ended_ = true;
            endedNow = true;
            if (lengthFrames_ < 0 || playFrame_ > lengthFrames_)
                lengthFrames_ = playFrame_;
        }
    }
    if (endedNow) {
        Fire(BASS_SYNC_END, false, {});
        return false;
    }
    return true;
}

}  // namespace quaverly::bass
