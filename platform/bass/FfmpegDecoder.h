#pragma once

// Files and URLs decoded with FFmpeg into 16-bit PCM at the source's rate
// and channel count. Seeking goes to the container's nearest earlier point
// and then drops decoded samples up to the asked frame, using the frames'
// timestamps, so it lands on the sample where the container's timestamps
// are exact. The end of the data drains the decoder.

#include "platform/bass/ByteSource.h"
#include "platform/bass/Decoder.h"
#include "platform/bass/NetworkInput.h"

#include <memory>
#include <string>
#include <vector>

struct AVFormatContext;
struct AVCodecContext;
struct AVPacket;
struct AVFrame;
struct SwrContext;
struct AVIOContext;

namespace quaverly::bass {

// Which containers a library accepts.
enum class Family { Core, Wma };

class FfmpegDecoder : public Decoder {
public:
    // A file (or memory) through a byte source; nameHint helps the probe.
    static std::unique_ptr<FfmpegDecoder> Open(std::unique_ptr<ByteSource> bytes, const std::string &nameHint,
                                               Family family, int &error);
    // An http/mmsh URL, bounded by the limits. events are set before any
    // background work starts.
    static std::unique_ptr<FfmpegDecoder> OpenUrl(const std::string &url, Family family, DecoderEvents events,
                                                  NetworkTimeouts limits, int &error);
    ~FfmpegDecoder() override;

    int rate() const override { return rate_; }
    int channels() const override { return channels_; }
    int Read(int16_t *out, int maxFrames) override;
    bool Seek(int64_t frame) override;
    int64_t LengthFrames() const override { return length_; }
    int64_t FileRead() const override;
    int64_t FileDownloaded() const override;
    int64_t FileSize() const override;
    std::string OggComments() const override { return oggComments_; }
    bool network() const override { return net_ != nullptr || mms_; }
    void Abort() override;

private:
    FfmpegDecoder() = default;
    bool OpenDemuxer(AVIOContext *pb, const std::string &name, const char *forcedFormat, bool network,
                     Family family, int &error);
    bool DecodeFrame();
    bool Convert(AVFrame *frame);
    void CheckMetadata(AVPacket *pkt);
    void OnDownloadComplete();

    std::unique_ptr<NetworkInput> net_;
    StallClock mmsClock_;  // the mms protocols' reads (they bypass net_)
    bool mms_ = false;
    std::unique_ptr<ByteSource> bytes_;
    AVIOContext *avio_ = nullptr;  // ours (byte source); the http one belongs to net_
    AVFormatContext *fmt_ = nullptr;
    AVCodecContext *codec_ = nullptr;
    AVPacket *packet_ = nullptr;
    AVFrame *frame_ = nullptr;
    SwrContext *swr_ = nullptr;
    int swrFormat_ = -1, swrRate_ = 0, swrChannels_ = 0;
    int stream_ = -1;
    int rate_ = 0, channels_ = 0;
    int64_t startPts_ = 0;
    int64_t length_ = -1;
    int64_t next_ = 0;  // absolute frame index of pending_[pendingAt_]
    int64_t seekTarget_ = -1;
    bool drained_ = false, ended_ = false;
    bool seekable_ = true;
    int errors_ = 0;
    std::vector<int16_t> pending_;
    size_t pendingAt_ = 0;  // in samples
    std::string url_;
    Family family_ = Family::Core;
    std::string lastIcy_;
    std::string oggComments_;
};

}  // namespace quaverly::bass
