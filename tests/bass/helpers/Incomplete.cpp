// A library with the audio library's file name that lacks one entry point
// (BASS_ChannelGetData): the binding must count it as absent.
#include "platform/bass/bass.h"

extern "C" {
BOOL BASS_SetConfig(DWORD, DWORD) { return TRUE; }
BOOL BASS_Init(int, DWORD, DWORD, void *, const void *) { return TRUE; }
BOOL BASS_Free(void) { return TRUE; }
DWORD BASS_GetVersion(void) { return 0; }
HSTREAM BASS_StreamCreateFile(BOOL, const void *, QWORD, QWORD, DWORD) { return 0; }
HMUSIC BASS_MusicLoad(BOOL, const void *, QWORD, DWORD, DWORD, DWORD) { return 0; }
HSTREAM BASS_StreamCreateURL(const char *, DWORD, DWORD, void *, void *) { return 0; }
BOOL BASS_ChannelGetInfo(DWORD, BASS_CHANNELINFO *) { return FALSE; }
const char *BASS_ChannelGetTags(DWORD, DWORD) { return nullptr; }
QWORD BASS_ChannelGetLength(DWORD, DWORD) { return QWORD(-1); }
QWORD BASS_ChannelGetPosition(DWORD, DWORD) { return QWORD(-1); }
float BASS_ChannelBytes2Seconds(DWORD, QWORD) { return -1; }
QWORD BASS_ChannelSeconds2Bytes(DWORD, float) { return QWORD(-1); }
BOOL BASS_ChannelSetPosition(DWORD, QWORD, DWORD) { return FALSE; }
QWORD BASS_StreamGetFilePosition(HSTREAM, DWORD) { return QWORD(-1); }
HSYNC BASS_ChannelSetSync(DWORD, DWORD, QWORD, SYNCPROC *, void *) { return 0; }
BOOL BASS_ChannelPlay(DWORD, BOOL) { return FALSE; }
BOOL BASS_ChannelStop(DWORD) { return FALSE; }
BOOL BASS_StreamFree(HSTREAM) { return FALSE; }
BOOL BASS_MusicFree(HMUSIC) { return FALSE; }
DWORD BASS_ChannelIsActive(DWORD) { return 0; }
}
