// The C entry points of libbass.so: argument checks, then the engine and
// the channel do the work.

#include "platform/bass/Engine.h"
#include "platform/bass/Streams.h"
#include "platform/bass/bass.h"

#include <cmath>

using namespace quaverly::bass;

namespace {

// 2.4 (low 16 bits the major number, high 16 bits the minor).
constexpr DWORD kVersion = 2u | (4u << 16);

std::shared_ptr<Channel> Lookup(DWORD handle)
{
    auto channel = Engine::Get().Find(handle);
    SetError(channel ? BASS_OK : BASS_ERROR_HANDLE);
    return channel;
}

}  // namespace

extern "C" {

BOOL BASS_SetConfig(DWORD option, DWORD value)
{
    return Engine::Get().SetConfig(option, value) ? TRUE : FALSE;
}

BOOL BASS_Init(int device, DWORD freq, DWORD, void *, const void *)
{
    return Engine::Get().Init(device, freq) ? TRUE : FALSE;
}

BOOL BASS_Free(void)
{
    return Engine::Get().Free() ? TRUE : FALSE;
}

DWORD BASS_GetVersion(void)
{
    return kVersion;
}

int BASS_ErrorGetCode(void)
{
    return LastError();
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void *file, QWORD offset, QWORD length, DWORD flags)
{
    return CreateFileStream(Family::Core, mem, file, offset, length, flags);
}

HMUSIC BASS_MusicLoad(BOOL mem, const void *file, QWORD offset, DWORD length, DWORD flags, DWORD)
{
    return CreateMusic(mem, file, offset, length, flags);
}

HSTREAM BASS_StreamCreateURL(const char *url, DWORD, DWORD flags, void *, void *)
{
    return CreateUrlStream(Family::Core, url, flags);
}

BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO *info)
{
    const auto c = Lookup(handle);
    if (!c || !info)
        return FALSE;
    info->freq = DWORD(c->rate());
    info->chans = DWORD(c->channels());
    info->flags = c->decodeOnly() ? BASS_STREAM_DECODE : 0;
    return TRUE;
}

const char *BASS_ChannelGetTags(DWORD handle, DWORD tags)
{
    const auto c = Lookup(handle);
    if (!c)
        return nullptr;
    const char *t = c->Tags(tags);
    if (!t)
        SetError(BASS_ERROR_NOTAVAIL);
    return t;
}

QWORD BASS_ChannelGetLength(DWORD handle, DWORD mode)
{
    const auto c = Lookup(handle);
    if (!c || mode != BASS_POS_BYTE)
        return QWORD(-1);
    const QWORD n = c->Length();
    if (n == QWORD(-1))
        SetError(BASS_ERROR_NOTAVAIL);
    return n;
}

QWORD BASS_ChannelGetPosition(DWORD handle, DWORD mode)
{
    const auto c = Lookup(handle);
    if (!c || mode != BASS_POS_BYTE)
        return QWORD(-1);
    return c->Position();
}

float BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos)
{
    const auto c = Lookup(handle);
    if (!c || pos == QWORD(-1))
        return -1.0f;
    return float(double(pos / c->frameBytes()) / double(c->rate()));
}

QWORD BASS_ChannelSeconds2Bytes(DWORD handle, float pos)
{
    const auto c = Lookup(handle);
    if (!c || !(pos >= 0.0f) || std::isinf(pos))
        return QWORD(-1);
    // A hair above the product, so that 0.1 s is 4410 frames, not 4409.
    const double frames = std::floor(double(pos) * c->rate() + 1e-6);
    return QWORD(frames) * c->frameBytes();
}

BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos, DWORD mode)
{
    const auto c = Lookup(handle);
    if (!c || mode != BASS_POS_BYTE)
        return FALSE;
    if (!c->SetPosition(pos)) {
        SetError(BASS_ERROR_POSITION);
        return FALSE;
    }
    return TRUE;
}

QWORD BASS_StreamGetFilePosition(HSTREAM handle, DWORD mode)
{
    const auto c = Lookup(handle);
    if (!c || c->kind() != ChannelKind::Stream)
        return QWORD(-1);
    return c->FilePosition(mode);
}

HSYNC BASS_ChannelSetSync(DWORD handle, DWORD type, QWORD, SYNCPROC *proc, void *user)
{
    const auto c = Lookup(handle);
    if (!c)
        return 0;
    const HSYNC id = c->AddSync(Engine::Get().NewSync(), type, proc, user);
    if (!id)
        SetError(BASS_ERROR_ILLPARAM);
    return id;
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart)
{
    return Engine::Get().Play(handle, restart != FALSE) ? TRUE : FALSE;
}

BOOL BASS_ChannelStop(DWORD handle)
{
    return Engine::Get().Stop(handle) ? TRUE : FALSE;
}

BOOL BASS_StreamFree(HSTREAM handle)
{
    const bool ok = Engine::Get().Remove(handle, ChannelKind::Stream);
    SetError(ok ? BASS_OK : BASS_ERROR_HANDLE);
    return ok ? TRUE : FALSE;
}

BOOL BASS_MusicFree(HMUSIC handle)
{
    const bool ok = Engine::Get().Remove(handle, ChannelKind::Music);
    SetError(ok ? BASS_OK : BASS_ERROR_HANDLE);
    return ok ? TRUE : FALSE;
}

DWORD BASS_ChannelIsActive(DWORD handle)
{
    const auto c = Lookup(handle);
    return c ? c->Active() : BASS_ACTIVE_STOPPED;
}

DWORD BASS_ChannelGetData(DWORD handle, void *buffer, DWORD length)
{
    const auto c = Lookup(handle);
    if (!c)
        return DWORD(-1);
    const DWORD n = c->GetData(buffer, length);
    if (n == DWORD(-1))
        SetError(buffer ? BASS_ERROR_DECODE : BASS_ERROR_ILLPARAM);
    return n;
}

}  // extern "C"
