// The entry point of libbasswma.so. The channel lives in libbass.so (this
// library links it), so every BASS_Channel* function works on it.

#include "platform/bass/bass.h"

extern "C" HSTREAM quaverly_bass_wma_create(BOOL mem, const void *file, QWORD offset, QWORD length, DWORD flags);

extern "C" HSTREAM BASS_WMA_StreamCreateFile(BOOL mem, const void *file, QWORD offset, QWORD length, DWORD flags)
{
    return quaverly_bass_wma_create(mem, file, offset, length, flags);
}
