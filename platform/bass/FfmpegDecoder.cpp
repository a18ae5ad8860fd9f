#include "platform/bass/FfmpegDecoder.h"

#include "platform/bass/Ffmpeg.h"
#include "platform/bass/Mp3Length.h"
#include "platform/bass/VorbisComments.h"
#include "platform/bass/bass.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace quaverly::bass {

namespace {

// A stream that keeps failing to decode ends instead of spinning.
constexpr int kMaxErrors = 64;

bool NameIn(const char *names, std::initializer_list<std::string_view> wanted)
{
    std::string_view all(names ? names : "");
    while (!all.empty()) {
        const size_t comma = all.find(',');
        const std::string_view one = all.substr(0, comma);
        for (std::string_view w : wanted)
            if (one == w)
                return true;
        if (comma == std::string_view::npos)
            break;
        all.remove_prefix(comma + 1);
    }
    return false;
}

bool Accepted(const AVInputFormat *f, AVCodecID codec, Family family)
{
    if (family == Family::Wma)
        return NameIn(f->name, {"asf", "asf_o"});
    if (NameIn(f->name, {"ogg"}))
        return codec == AV_CODEC_ID_VORBIS;
    return NameIn(f->name, {"mp3", "wav", "aiff"});
}

const char *FormatForMime(const std::string &mime, Family family)
{
    if (family == Family::Wma)
        return nullptr;
    if (mime.rfind("audio/mpeg", 0) == 0 || mime.rfind("audio/mp3", 0) == 0)
        return "mp3";
    if (mime.rfind("application/ogg", 0) == 0 || mime.rfind("audio/ogg", 0) == 0
        || mime.rfind("audio/vorbis", 0) == 0)
        return "ogg";
    return nullptr;
}

}  // namespace

std::unique_ptr<FfmpegDecoder> FfmpegDecoder::Open(std::unique_ptr<ByteSource> bytes, const std::string &nameHint,
                                                   Family family, int &error)
{
    std::unique_ptr<FfmpegDecoder> d(new FfmpegDecoder);
    d->bytes_ = std::move(bytes);
    d->avio_ = MakeAvio(d->bytes_.get(), true);
    if (!d->avio_) {
        error = BASS_ERROR_MEM;
        return nullptr;
    }
    if (!d->OpenDemuxer(d->avio_, nameHint, nullptr, false, family, error))
        return nullptr;
    if (family == Family::Core && NameIn(d->fmt_->iformat->name, {"mp3"})) {
        // The container's duration counts whole frames, with the encoder's
        // delay and padding; the LAME header knows the exact sample count.
        const int64_t exact = Mp3ExactFrames(*d->bytes_);
        if (exact > 0)
            d->length_ = exact;
    }
    return d;
}

std::unique_ptr<FfmpegDecoder> FfmpegDecoder::OpenUrl(const std::string &url, Family family, DecoderEvents events,
                                                      NetworkTimeouts limits, int &error)
{
    std::string target = url;
    if (target.rfind("mms://", 0) == 0)
        target = "mmsh://" + target.substr(6);
    std::unique_ptr<FfmpegDecoder> d(new FfmpegDecoder);
    d->SetEvents(std::move(events));
    d->url_ = target;
    d->family_ = family;
    if (target.rfind("mmsh://", 0) == 0 || target.rfind("mmst://", 0) == 0) {
        // FFmpeg's mms protocols are read by the demuxer directly.
        AVFormatContext *fmt = av.avformat_alloc_context();
        if (!fmt) {
            error = BASS_ERROR_MEM;
            return nullptr;
        }
        d->net_.reset();
        d->mms_ = true;
        // Every blocking read of the protocol checks this clock: the open
        // and each later read end when the server keeps silent.
        d->mmsClock_.Start(limits);
        fmt->interrupt_callback = {&StallClock::Interrupt, &d->mmsClock_};
        AVDictionary *opts = nullptr;
        av.av_dict_set(&opts, "rw_timeout", std::to_string(int64_t(limits.stallMs) * 1000).c_str(), 0);
        av.av_dict_set(&opts, "timeout", std::to_string(int64_t(limits.openMs) * 1000).c_str(), 0);
        if (av.avformat_open_input(&fmt, target.c_str(), nullptr, &opts) < 0) {
            av.av_dict_free(&opts);
            error = BASS_ERROR_FILEOPEN;
            return nullptr;
        }
        av.av_dict_free(&opts);
        d->fmt_ = fmt;
        // Finish as for any demuxer below, without a byte source.
        if (!d->OpenDemuxer(nullptr, target, nullptr, true, family, error))
            return nullptr;
        return d;
    }
    d->net_ = NetworkInput::Open(target, limits, error);
    if (!d->net_)
        return nullptr;
    const char *forced = FormatForMime(d->net_->mimeType(), family);
    if (d->net_->isFile()) {
        d->avio_ = MakeAvio(d->net_->download(), false);
        if (!d->avio_) {
            error = BASS_ERROR_MEM;
            return nullptr;
        }
        // Reads block on the download, which runs from here on.
        d->net_->StartDownload([raw = d.get()] { raw->OnDownloadComplete(); });
        if (!d->OpenDemuxer(d->avio_, target, forced, true, family, error))
            return nullptr;
        d->seekable_ = false;
    } else {
        if (!d->OpenDemuxer(d->net_->live(), target, forced, true, family, error))
            return nullptr;
        d->seekable_ = false;
        d->length_ = -1;
    }
    return d;
}

bool FfmpegDecoder::OpenDemuxer(AVIOContext *pb, const std::string &name, const char *forcedFormat, bool network,
                                Family family, int &error)
{
    if (pb) {
        fmt_ = av.avformat_alloc_context();
        if (!fmt_) {
            error = BASS_ERROR_MEM;
            return false;
        }
        fmt_->pb = pb;
        fmt_->flags |= AVFMT_FLAG_CUSTOM_IO;
        AVDictionary *opts = nullptr;
        if (network) {
            // A live stream is read at real-time speed: keep probing short.
            av.av_dict_set(&opts, "formatprobesize", "32768", 0);
            av.av_dict_set(&opts, "probesize", "65536", 0);
        }
        const AVInputFormat *forced = forcedFormat ? av.av_find_input_format(forcedFormat) : nullptr;
        const int r = av.avformat_open_input(&fmt_, name.c_str(), forced, &opts);
        av.av_dict_free(&opts);
        if (r < 0) {
            fmt_ = nullptr;  // freed by avformat_open_input
            error = BASS_ERROR_FILEFORM;
            return false;
        }
    }
    const int best = av.av_find_best_stream(fmt_, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (best < 0) {
        if (av.avformat_find_stream_info(fmt_, nullptr) < 0
            || av.av_find_best_stream(fmt_, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0) < 0) {
            error = BASS_ERROR_FILEFORM;
            return false;
        }
    }
    stream_ = av.av_find_best_stream(fmt_, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    AVStream *st = fmt_->streams[stream_];
    if (!Accepted(fmt_->iformat, st->codecpar->codec_id, family)) {
        error = BASS_ERROR_FILEFORM;
        return false;
    }
    if (st->codecpar->sample_rate <= 0 || st->codecpar->ch_layout.nb_channels <= 0) {
        AVDictionary *opts = nullptr;
        if (network)
            av.av_dict_set(&opts, "analyzeduration", "500000", 0);
        av.avformat_find_stream_info(fmt_, nullptr);
        av.av_dict_free(&opts);
    }
    const AVCodec *codec = av.avcodec_find_decoder(st->codecpar->codec_id);
    if (!codec || st->codecpar->sample_rate <= 0 || st->codecpar->ch_layout.nb_channels <= 0) {
        error = BASS_ERROR_FILEFORM;
        return false;
    }
    codec_ = av.avcodec_alloc_context3(codec);
    packet_ = av.av_packet_alloc();
    frame_ = av.av_frame_alloc();
    if (!codec_ || !packet_ || !frame_ || av.avcodec_parameters_to_context(codec_, st->codecpar) < 0
        || av.avcodec_open2(codec_, codec, nullptr) < 0) {
        error = BASS_ERROR_FILEFORM;
        return false;
    }
    for (unsigned i = 0; i < fmt_->nb_streams; ++i)
        if (int(i) != stream_)
            fmt_->streams[i]->discard = AVDISCARD_ALL;
    rate_ = st->codecpar->sample_rate;
    channels_ = st->codecpar->ch_layout.nb_channels;
    startPts_ = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
    if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
        length_ = av.av_rescale_q(st->duration, st->time_base, AVRational{1, rate_});
    else if (fmt_->duration != AV_NOPTS_VALUE && fmt_->duration > 0)
        length_ = av.av_rescale_q(fmt_->duration, AVRational{1, AV_TIME_BASE}, AVRational{1, rate_});
    if (st->codecpar->codec_id == AV_CODEC_ID_VORBIS) {
        // FFmpeg's Ogg demuxer keeps the comment header out of the extradata
        // (it holds an empty list then); the stream's metadata has them.
        auto parsed = ParseVorbisExtradata(st->codecpar->extradata, size_t(st->codecpar->extradata_size));
        if (parsed && !parsed->empty()) {
            oggComments_ = JoinCommentList(*parsed);
        } else {
            std::vector<std::string> list;
            const AVDictionaryEntry *e = nullptr;
            while ((e = av.av_dict_get(st->metadata, "", e, AV_DICT_IGNORE_SUFFIX)))
                list.push_back(std::string(e->key) + "=" + e->value);
            oggComments_ = JoinCommentList(list);
        }
    }
    return true;
}

FfmpegDecoder::~FfmpegDecoder()
{
    Abort();
    av.swr_free(&swr_);
    av.av_frame_free(&frame_);
    av.av_packet_free(&packet_);
    av.avcodec_free_context(&codec_);
    if (fmt_ && (fmt_->flags & AVFMT_FLAG_CUSTOM_IO))
        av.avformat_close_input(&fmt_);  // leaves the custom pb alone
    else if (fmt_)
        av.avformat_close_input(&fmt_);
    FreeAvio(avio_);
    net_.reset();  // joins the download thread before bytes go away
}

void FfmpegDecoder::Abort()
{
    if (net_)
        net_->Abort();
    mmsClock_.Abort();
}

void FfmpegDecoder::OnDownloadComplete()
{
    // The complete file is read once more, seekably, for its exact length
    // (an Ogg file's length needs its last page).
    int64_t exact = -1;
    int error = 0;
    auto bytes = std::make_unique<MemoryByteSource>(net_->download()->Snapshot());
    if (auto probe = Open(std::move(bytes), url_, family_, error))
        exact = probe->LengthFrames();
    Raise(DecoderEvent::DownloadComplete, exact >= 0 ? std::to_string(exact) : std::string());
}

int64_t FfmpegDecoder::FileRead() const
{
    if (avio_ && fmt_ && fmt_->pb)
        return av.avio_seek(fmt_->pb, 0, SEEK_CUR);  // avio_tell is inline
    return -1;
}

int64_t FfmpegDecoder::FileDownloaded() const
{
    if (net_ && net_->download())
        return net_->download()->downloaded();
    if (bytes_)
        return bytes_->Size();
    return -1;
}

int64_t FfmpegDecoder::FileSize() const
{
    if (net_)
        return net_->announcedSize();
    if (bytes_)
        return bytes_->Size();
    return -1;
}

bool FfmpegDecoder::Seek(int64_t frame)
{
    if (frame < 0)
        return false;
    if (net_) {
        if (!net_->isFile() || !net_->download()->complete())
            return false;
        if (!seekable_) {
            seekable_ = true;
            avio_->seekable = AVIO_SEEKABLE_NORMAL;
        }
    }
    if (!seekable_)
        return false;
    AVStream *st = fmt_->streams[stream_];
    const int64_t ts = startPts_ + av.av_rescale_q(frame, AVRational{1, rate_}, st->time_base);
    if (av.av_seek_frame(fmt_, stream_, ts, AVSEEK_FLAG_BACKWARD) < 0
        && av.avformat_seek_file(fmt_, stream_, INT64_MIN, ts, ts, 0) < 0)
        return false;
    av.avcodec_flush_buffers(codec_);
    pending_.clear();
    pendingAt_ = 0;
    drained_ = ended_ = false;
    errors_ = 0;
    // Back at the start the demuxer applies the encoder delay again itself.
    seekTarget_ = frame == 0 ? -1 : frame;
    next_ = frame;
    return true;
}

int FfmpegDecoder::Read(int16_t *out, int maxFrames)
{
    int produced = 0;
    while (produced < maxFrames) {
        const size_t available = (pending_.size() - pendingAt_) / size_t(channels_);
        if (available > 0) {
            const size_t n = std::min(available, size_t(maxFrames - produced));
            std::memcpy(out + size_t(produced) * size_t(channels_), pending_.data() + pendingAt_,
                        n * size_t(channels_) * sizeof(int16_t));
            pendingAt_ += n * size_t(channels_);
            produced += int(n);
            next_ += int64_t(n);
            continue;
        }
        if (ended_ || !DecodeFrame()) {
            if (!ended_ && !net_) {
                // Decoded to the end: the length is exact now.
                length_ = next_;
            } else if (!ended_ && net_ && net_->isFile() && net_->download()->complete()) {
                length_ = next_;
            }
            ended_ = true;
            break;
        }
    }
    return produced;
}

bool FfmpegDecoder::DecodeFrame()
{
    for (;;) {
        const int r = av.avcodec_receive_frame(codec_, frame_);
        if (r == 0) {
            const bool ok = Convert(frame_);
            av.av_frame_unref(frame_);
            if (ok)
                errors_ = 0;  // the count is of consecutive failures
            if (ok && pending_.size() > pendingAt_)
                return true;
            continue;
        }
        if (r == AVERROR_EOF)
            return false;
        if (r != AVERROR(EAGAIN)) {
            if (++errors_ > kMaxErrors)
                return false;
            continue;
        }
        if (drained_)
            return false;
        const int rr = av.av_read_frame(fmt_, packet_);
        if (rr < 0 && rr != AVERROR_EOF && rr != AVERROR_EXIT && !net_ && ++errors_ <= kMaxErrors) {
            // A damaged stretch of a local file: the demuxer resynchronises
            // on the next read.
            continue;
        }
        if (rr < 0) {
            drained_ = true;
            av.avcodec_send_packet(codec_, nullptr);
            continue;
        }
        if (net_)
            net_->Progress();
        if (mms_)
            mmsClock_.Progress();
        if (packet_->stream_index != stream_) {
            av.av_packet_unref(packet_);
            continue;
        }
        CheckMetadata(packet_);
        const int s = av.avcodec_send_packet(codec_, packet_);
        av.av_packet_unref(packet_);
        if (s < 0 && s != AVERROR(EAGAIN)) {
            // A damaged packet is skipped; a stream of them ends the channel.
            if (++errors_ > kMaxErrors)
                return false;
        }
    }
}

bool FfmpegDecoder::Convert(AVFrame *frame)
{
    if (frame->nb_samples <= 0)
        return false;
    if (!swr_ || swrFormat_ != frame->format || swrRate_ != frame->sample_rate
        || swrChannels_ != frame->ch_layout.nb_channels) {
        av.swr_free(&swr_);
        AVChannelLayout outLayout;
        av.av_channel_layout_default(&outLayout, channels_);
        AVChannelLayout inLayout;
        if (av.av_channel_layout_copy(&inLayout, &frame->ch_layout) < 0 || inLayout.nb_channels <= 0)
            return false;
        if (inLayout.order == AV_CHANNEL_ORDER_UNSPEC) {
            const int n = inLayout.nb_channels;
            av.av_channel_layout_uninit(&inLayout);
            av.av_channel_layout_default(&inLayout, n);
        }
        const int r = av.swr_alloc_set_opts2(&swr_, &outLayout, AV_SAMPLE_FMT_S16, rate_, &inLayout,
                                          AVSampleFormat(frame->format), frame->sample_rate, 0, nullptr);
        av.av_channel_layout_uninit(&inLayout);
        av.av_channel_layout_uninit(&outLayout);
        if (r < 0 || av.swr_init(swr_) < 0) {
            av.swr_free(&swr_);
            return false;
        }
        swrFormat_ = frame->format;
        swrRate_ = frame->sample_rate;
        swrChannels_ = frame->ch_layout.nb_channels;
    }
    const int capacity = av.swr_get_out_samples(swr_, frame->nb_samples);
    if (capacity <= 0)
        return false;
    pending_.resize(size_t(capacity) * size_t(channels_));
    pendingAt_ = 0;
    auto *outPtr = reinterpret_cast<uint8_t *>(pending_.data());
    const int got = av.swr_convert(swr_, &outPtr, capacity, const_cast<const uint8_t **>(frame->extended_data),
                                frame->nb_samples);
    if (got <= 0) {
        pending_.clear();
        return false;
    }
    pending_.resize(size_t(got) * size_t(channels_));
    if (seekTarget_ >= 0) {
        // After a seek: drop what lies before the asked frame.
        int64_t first = seekTarget_;
        const int64_t pts = frame->best_effort_timestamp;
        if (pts != AV_NOPTS_VALUE)
            first = av.av_rescale_q(pts - startPts_, fmt_->streams[stream_]->time_base, AVRational{1, rate_});
        const int64_t drop = seekTarget_ - first;
        if (drop >= got) {
            pending_.clear();
            return false;  // still before the target
        }
        if (drop > 0)
            pendingAt_ = size_t(drop) * size_t(channels_);
        seekTarget_ = -1;
    }
    return true;
}

void FfmpegDecoder::CheckMetadata(AVPacket *pkt)
{
    if (net_ && net_->live()) {
        uint8_t *icy = nullptr;
        if (av.av_opt_get(net_->live(), "icy_metadata_packet", AV_OPT_SEARCH_CHILDREN, &icy) >= 0 && icy) {
            std::string text(reinterpret_cast<char *>(icy));
            if (!text.empty() && text != lastIcy_) {
                lastIcy_ = text;
                Raise(DecoderEvent::Metadata, text);
            }
        }
        av.av_free(icy);
    }
    size_t size = 0;
    const uint8_t *side = av.av_packet_get_side_data(pkt, AV_PKT_DATA_METADATA_UPDATE, &size);
    if (side && size > 0) {
        AVDictionary *dict = nullptr;
        if (av.av_packet_unpack_dictionary(side, size, &dict) >= 0 && dict) {
            std::vector<std::string> list;
            const AVDictionaryEntry *e = nullptr;
            while ((e = av.av_dict_get(dict, "", e, AV_DICT_IGNORE_SUFFIX)))
                list.push_back(std::string(e->key) + "=" + e->value);
            std::string joined = JoinCommentList(list);
            if (joined != oggComments_) {
                oggComments_ = joined;
                Raise(DecoderEvent::OggComments, joined);
            }
        }
        av.av_dict_free(&dict);
    }
}

}  // namespace quaverly::bass
