#include "platform/bass/Streams.h"

#include "platform/bass/Engine.h"
#include "platform/bass/Ffmpeg.h"
#include "platform/bass/ModDecoder.h"

#include <string>
#include <string_view>

namespace quaverly::bass {

namespace {

bool StartsWith(std::string_view s, std::string_view prefix)
{
    return s.substr(0, prefix.size()) == prefix;
}

std::unique_ptr<ByteSource> OpenBytes(BOOL mem, const void *file, QWORD offset, QWORD length, int &error)
{
    if (mem) {
        if (length == 0) {
            error = BASS_ERROR_ILLPARAM;
            return nullptr;
        }
        return std::make_unique<MemoryByteSource>(static_cast<const uint8_t *>(file) + offset, int64_t(length));
    }
    auto bytes = FileByteSource::Open(static_cast<const char *>(file), offset, length);
    if (!bytes)
        error = BASS_ERROR_FILEOPEN;
    return bytes;
}

// Channels call back through their decoder's events; the channel outlives
// its decoder (Shutdown releases the decoder first).
DecoderEvents EventsFor(Channel *channel)
{
    return [channel](DecoderEvent e, const std::string &text) { channel->OnDecoderEvent(e, text); };
}

HSTREAM Register(const std::shared_ptr<Channel> &channel, std::unique_ptr<Decoder> decoder)
{
    channel->Attach(std::move(decoder));
    SetError(BASS_OK);
    return Engine::Get().Add(channel);
}

// Streams decode with FFmpeg, bound on the first one opened.
bool CheckFfmpeg()
{
    if (LoadFfmpeg())
        return true;
    SetError(BASS_ERROR_NOTAVAIL);
    return false;
}

bool CheckInit(DWORD flags)
{
    if ((flags & BASS_STREAM_DECODE) || Engine::Get().initialised())
        return true;
    SetError(BASS_ERROR_INIT);
    return false;
}

}  // namespace

HSTREAM CreateFileStream(Family family, BOOL mem, const void *file, QWORD offset, QWORD length, DWORD flags)
{
    if (!file) {
        SetError(BASS_ERROR_ILLPARAM);
        return 0;
    }
    if (!CheckInit(flags) || !CheckFfmpeg())
        return 0;
    int error = BASS_ERROR_FILEFORM;
    auto bytes = OpenBytes(mem, file, offset, length, error);
    if (!bytes) {
        SetError(error);
        return 0;
    }
    const std::string hint = mem ? std::string() : std::string(static_cast<const char *>(file));
    auto decoder = FfmpegDecoder::Open(std::move(bytes), hint, family, error);
    if (!decoder) {
        SetError(error);
        return 0;
    }
    Engine &engine = Engine::Get();
    auto channel = std::make_shared<Channel>(engine.NewHandle(), ChannelKind::Stream,
                                             (flags & BASS_STREAM_DECODE) != 0, engine.dispatcher());
    return Register(channel, std::move(decoder));
}

HSTREAM CreateUrlStream(Family family, const char *url, DWORD flags)
{
    if (!url) {
        SetError(BASS_ERROR_ILLPARAM);
        return 0;
    }
    const std::string_view u(url);
    const bool known = StartsWith(u, "http://") || StartsWith(u, "https://") || StartsWith(u, "ftp://")
        || (family == Family::Wma && (StartsWith(u, "mms://") || StartsWith(u, "mmsh://") || StartsWith(u, "mmst://")));
    if (!known) {
        SetError(BASS_ERROR_FILEOPEN);
        return 0;
    }
    if (!CheckInit(flags) || !CheckFfmpeg())
        return 0;
    Engine &engine = Engine::Get();
    auto channel = std::make_shared<Channel>(engine.NewHandle(), ChannelKind::Stream,
                                             (flags & BASS_STREAM_DECODE) != 0, engine.dispatcher());
    int error = BASS_ERROR_FILEOPEN;
    auto decoder = FfmpegDecoder::OpenUrl(url, family, EventsFor(channel.get()), engine.netTimeouts(), error);
    if (!decoder) {
        SetError(error);
        return 0;
    }
    return Register(channel, std::move(decoder));
}

HMUSIC CreateMusic(BOOL mem, const void *file, QWORD offset, DWORD length, DWORD flags)
{
    if (!file) {
        SetError(BASS_ERROR_ILLPARAM);
        return 0;
    }
    if (!CheckInit(flags))
        return 0;
    int error = BASS_ERROR_FILEFORM;
    auto bytes = OpenBytes(mem, file, offset, length, error);
    if (!bytes) {
        SetError(error);
        return 0;
    }
    auto decoder = ModDecoder::Open(*bytes, error);
    if (!decoder) {
        SetError(error);
        return 0;
    }
    Engine &engine = Engine::Get();
    auto channel = std::make_shared<Channel>(engine.NewHandle(), ChannelKind::Music,
                                             (flags & BASS_STREAM_DECODE) != 0, engine.dispatcher());
    return Register(channel, std::move(decoder));
}

}  // namespace quaverly::bass

extern "C" HSTREAM quaverly_bass_wma_create(BOOL mem, const void *file, QWORD offset, QWORD length, DWORD flags)
{
    using namespace quaverly::bass;
    if (!mem && file) {
        const std::string_view u(static_cast<const char *>(file));
        if (u.find("://") != std::string_view::npos)
            return CreateUrlStream(Family::Wma, static_cast<const char *>(file), flags);
    }
    return CreateFileStream(Family::Wma, mem, file, offset, length, flags);
}
