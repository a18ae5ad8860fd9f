#pragma once

// What a channel reads its PCM from: FFmpeg for files and URLs, libopenmpt
// for module music. A decoder is used by one thread at a time (the channel's
// decoder lock), except Abort, which any thread may call to make a blocked
// read return.

#include <cstdint>
#include <functional>
#include <string>

namespace quaverly::bass {

// Events a decoder raises while it reads (on the reading thread).
enum class DecoderEvent { Metadata, OggComments, DownloadComplete };
using DecoderEvents = std::function<void(DecoderEvent, const std::string &)>;

class Decoder {
public:
    virtual ~Decoder() = default;
    virtual int rate() const = 0;  // Hz
    virtual int channels() const = 0;
    // Decodes up to maxFrames frames of interleaved 16-bit samples into out.
    // 0 at the end of the data; a broken stream also ends this way.
    virtual int Read(int16_t *out, int maxFrames) = 0;
    // Moves to an absolute frame; false when the decoder cannot seek now.
    virtual bool Seek(int64_t frame) = 0;
    // Frames in the whole stream, -1 when unknown (a live stream).
    virtual int64_t LengthFrames() const = 0;
    // File bytes read so far / downloaded so far / total (-1 unknown).
    virtual int64_t FileRead() const { return -1; }
    virtual int64_t FileDownloaded() const { return -1; }
    virtual int64_t FileSize() const { return -1; }
    // Ogg comments: NUL-terminated strings ending with an empty one; empty
    // for other streams.
    virtual std::string OggComments() const { return {}; }
    // True for a network stream, whose reads may block.
    virtual bool network() const { return false; }
    virtual void Abort() {}
    void SetEvents(DecoderEvents events) { events_ = std::move(events); }

protected:
    void Raise(DecoderEvent e, const std::string &text) const
    {
        if (events_)
            events_(e, text);
    }

private:
    DecoderEvents events_;
};

}  // namespace quaverly::bass
