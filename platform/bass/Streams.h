#pragma once

// Creation of channels, shared by both libraries' entry points.

#include "platform/bass/FfmpegDecoder.h"
#include "platform/bass/bass.h"

namespace quaverly::bass {

HSTREAM CreateFileStream(Family family, BOOL mem, const void *file, QWORD offset, QWORD length, DWORD flags);
HSTREAM CreateUrlStream(Family family, const char *url, DWORD flags);
HMUSIC CreateMusic(BOOL mem, const void *file, QWORD offset, DWORD length, DWORD flags);

}  // namespace quaverly::bass

// The hook libbasswma.so calls (exported by libbass.so, which it links).
extern "C" HSTREAM quaverly_bass_wma_create(BOOL mem, const void *file, QWORD offset, QWORD length, DWORD flags);
