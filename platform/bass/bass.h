/*
 * The audio library: decoding (FFmpeg, libopenmpt), output (SDL2), spectrum
 * data and network streams behind a small C interface. Two shared libraries
 * carry it: libbass.so (every entry point below except the last) and
 * libbasswma.so (BASS_WMA_StreamCreateFile, for ASF/WMA files and mms/http
 * URLs). The program loads both at run time from its own folder and binds the
 * entry points by name.
 *
 * Channels. A channel is a stream (a file or a URL) or a module music. Its
 * data are 16-bit signed PCM at the source's sample rate and channel count;
 * every length and position is a byte count of that data
 * (frames x channels x 2). Handles are never reused within a process: a freed
 * or never-issued handle makes every handle function return its failure value
 * (FALSE, 0, (QWORD)-1, (DWORD)-1, NULL, -1.0f).
 *
 * Threads. Every entry point may be called from any thread. Sync procedures
 * run on one library thread (never on the caller's thread, never on the
 * audio device's thread) with (sync, channel, data, user); they may call back
 * into the library, except BASS_Free. Freeing a channel waits for a sync
 * procedure of that channel that is running at that moment, so after
 * BASS_StreamFree/BASS_MusicFree returns none of its procedures runs again.
 */
#ifndef QUAVERLY_BASS_H
#define QUAVERLY_BASS_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t DWORD;
typedef uint64_t QWORD;
typedef int32_t BOOL;
#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif
typedef DWORD HSTREAM, HMUSIC, HSYNC;

/* A sync procedure: handle of the sync, the channel, event data (see the sync
 * types), the user value given to BASS_ChannelSetSync. */
typedef void SYNCPROC(HSYNC handle, DWORD channel, DWORD data, void *user);

/* freq: sample rate in Hz; chans: channel count; flags: BASS_SAMPLE_8BITS
 * (never set: every channel is 16-bit), BASS_STREAM_DECODE when the channel
 * was created as a decoding channel. Fields in this order. */
typedef struct {
    DWORD freq, chans, flags;
} BASS_CHANNELINFO;

/* ---- BASS_SetConfig options ------------------------------------------- */
#define BASS_CONFIG_CURVE_VOL 3 /* value: the top of the volume scale (default 10000) */
#define BASS_CONFIG_GVOL_MUSIC 5 /* value: module music volume on that scale */
#define BASS_CONFIG_GVOL_STREAM 6 /* value: stream volume on that scale */
#define BASS_CONFIG_NET_TIMEOUT 11 /* ms to connect to a server and have its
                                      answer (default 8000) */
#define BASS_CONFIG_NET_READTIMEOUT 37 /* ms a network stream may go without
                                          a byte before it ends (default 10000) */

/* ---- channel and stream flags ----------------------------------------- */
#define BASS_SAMPLE_8BITS 1
#define BASS_SAMPLE_MONO 2
#define BASS_MUSIC_PRESCAN 0x20000 /* accepted, the length is always scanned */
#define BASS_STREAM_BLOCK 0x100000 /* URL: download in small blocks; accepted */
#define BASS_STREAM_DECODE 0x200000 /* a channel that is read with
                                       BASS_ChannelGetData instead of played */

/* ---- position modes ---------------------------------------------------- */
#define BASS_POS_BYTE 0

/* ---- BASS_StreamGetFilePosition modes ---------------------------------- */
#define BASS_FILEPOS_CURRENT 0 /* bytes of the file read by the decoder */
#define BASS_FILEPOS_DOWNLOAD 1 /* bytes downloaded (local file: its size) */
#define BASS_FILEPOS_END 2 /* size of the file; for a URL the size the
                              server announced, (QWORD)-1 when it gave none */
#define BASS_FILEPOS_START 3 /* always 0 */

/* ---- sync types --------------------------------------------------------- */
#define BASS_SYNC_END 2 /* the last sample has been played; data 0 */
#define BASS_SYNC_META 4 /* new stream metadata; data is the address of the
                            text: an ICY block ("StreamTitle='...';" as
                            received), or for an Ogg stream its new comments
                            as NUL-terminated strings ending with an empty one.
                            The text is placed below 4 GiB, so the 32-bit data
                            holds its whole address:
                              const char *text = (const char *)(uintptr_t)data;
                            (data 0 if no such memory could be had: then read
                            BASS_ChannelGetTags with BASS_TAG_META or
                            BASS_TAG_OGG). Both kinds end with two NULs.
                            The text lives until the procedure
                            returns: copy what you keep. */
#define BASS_SYNC_DOWNLOAD 7 /* a network file is completely downloaded; data 0.
                                Set after the download already completed, the
                                sync is called once at once. */
#define BASS_SYNC_ONETIME 0x80000000 /* or-ed into the type: fire once, then drop */

/* ---- BASS_ChannelIsActive results -------------------------------------- */
#define BASS_ACTIVE_STOPPED 0
#define BASS_ACTIVE_PLAYING 1
#define BASS_ACTIVE_STALLED 2 /* playing, but a network stream has no data yet */
#define BASS_ACTIVE_PAUSED 3 /* never returned */

/* ---- BASS_ChannelGetTags types ------------------------------------------ */
#define BASS_TAG_ID3 0 /* not provided: NULL */
#define BASS_TAG_META 5 /* the last ICY block, NULL when none came */
#define BASS_TAG_OGG 2 /* the Ogg comments as NUL-terminated strings ending
                          with an empty one; NULL for other streams */

/* ---- BASS_ChannelGetData lengths ----------------------------------------- */
#define BASS_DATA_AVAILABLE 0 /* with any buffer: the bytes ready to play */
#define BASS_DATA_FFT256 0x80000000 /* 256 floats from 512 samples */
#define BASS_DATA_FFT512 0x80000001 /* 512 floats from 1024 samples */
#define BASS_DATA_FFT1024 0x80000002 /* 1024 floats from 2048 samples */
#define BASS_DATA_FFT2048 0x80000003 /* 2048 floats from 4096 samples */
#define BASS_DATA_FFT_INDIVIDUAL 0x10 /* per channel, interleaved */

/* ---- error codes (BASS_ErrorGetCode) ------------------------------------- */
#define BASS_OK 0
#define BASS_ERROR_MEM 1
#define BASS_ERROR_FILEOPEN 2
#define BASS_ERROR_DRIVER 3
#define BASS_ERROR_HANDLE 5
#define BASS_ERROR_FORMAT 6
#define BASS_ERROR_POSITION 7
#define BASS_ERROR_INIT 8
#define BASS_ERROR_ALREADY 14
#define BASS_ERROR_ILLPARAM 20
#define BASS_ERROR_DEVICE 23
#define BASS_ERROR_NOTAVAIL 37
#define BASS_ERROR_DECODE 38
#define BASS_ERROR_FILEFORM 41
#define BASS_ERROR_UNKNOWN -1

/* Options 3, 5, 6 (above): the volume scale, then the stream and music
 * volume on it. TRUE on success, FALSE for an unknown option. A volume above
 * the scale plays at full level. */
BOOL BASS_SetConfig(DWORD option, DWORD value);

/* Opens the output: device -1 or 1 is the default output of SDL2 (the
 * SDL_AUDIODRIVER environment variable picks the driver; "disk" and "dummy"
 * work), 16-bit stereo at freq Hz (44100 when 0). win and guid are ignored.
 * FALSE when no output opens, also when SDL initialises but the device does
 * not open; FALSE (BASS_ERROR_ALREADY) when already initialised. */
BOOL BASS_Init(int device, DWORD freq, DWORD flags, void *win, const void *guid);

/* Closes the output and frees every channel. TRUE when it was initialised. */
BOOL BASS_Free(void);

/* The version: low 16 bits the major, high 16 bits the minor number. */
DWORD BASS_GetVersion(void);

/* A stream from a file (mem FALSE: file is a NUL-terminated path; mem TRUE:
 * file points to length bytes that must stay valid while the stream lives).
 * offset/length limit the part of the file used (length 0: to its end).
 * MP1, MP2, MP3, Ogg Vorbis and WAV are accepted; anything else gives 0
 * quickly (BASS_ERROR_FILEFORM, or BASS_ERROR_FILEOPEN when it cannot be
 * read) and leaves nothing open. Needs BASS_Init unless flags has
 * BASS_STREAM_DECODE. */
HSTREAM BASS_StreamCreateFile(BOOL mem, const void *file, QWORD offset, QWORD length, DWORD flags);

/* A module music (MOD, S3M, XM, IT and the other libopenmpt formats), played
 * at 44100 Hz stereo; 0 when the file is not one. freq is ignored. The
 * first module loads libopenmpt; without it every call gives 0
 * (BASS_ERROR_NOTAVAIL). */
HMUSIC BASS_MusicLoad(BOOL mem, const void *file, QWORD offset, DWORD length, DWORD flags, DWORD freq);

/* A stream from an http URL (ICY metadata requested). A server that
 * announces a size makes a network file: it is downloaded completely in the
 * background (BASS_SYNC_DOWNLOAD when complete) and becomes seekable then.
 * Without a size it is a live stream: never seekable, its ICY titles and new
 * Ogg comments raise BASS_SYNC_META. 0 when the URL cannot be opened: at once
 * for a refused connection; for an unreachable host or a server that does
 * not answer, once BASS_CONFIG_NET_TIMEOUT has passed. A live stream or a
 * download whose server stops sending ends after BASS_CONFIG_NET_READTIMEOUT.
 * offset, downloadproc and user are ignored. */
HSTREAM BASS_StreamCreateURL(const char *url, DWORD offset, DWORD flags, void *downloadproc, void *user);

BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO *info);

/* See BASS_TAG_*. Every text ends with two NULs, so a reader may walk a
 * single string as a comment list without passing its end. The text stays
 * valid until the tags change or the channel is freed. */
const char *BASS_ChannelGetTags(DWORD handle, DWORD tags);

/* The length in bytes; (QWORD)-1 when none (a live stream) or on failure. An
 * estimate from the container until the stream has been decoded to its end,
 * exact afterwards. */
QWORD BASS_ChannelGetLength(DWORD handle, DWORD mode);

/* The byte position of the sample being played; (QWORD)-1 on failure. */
QWORD BASS_ChannelGetPosition(DWORD handle, DWORD mode);

/* Bytes to seconds and back, on the channel's format; -1.0f / (QWORD)-1 on
 * failure. Seconds2Bytes rounds down to whole frames. */
float BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos);
QWORD BASS_ChannelSeconds2Bytes(DWORD handle, float pos);

/* Jumps to a byte offset (rounded down to a whole frame), sample-accurately
 * where the container allows. FALSE beyond the end, for a live stream, for a
 * network file not yet downloaded, and for module music. */
BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos, DWORD mode);

/* See BASS_FILEPOS_*; (QWORD)-1 when unknown or on failure. */
QWORD BASS_StreamGetFilePosition(HSTREAM handle, DWORD mode);

/* Registers proc for an event of the channel (BASS_SYNC_END, _META,
 * _DOWNLOAD, optionally or-ed with BASS_SYNC_ONETIME); param is unused. Each
 * event calls each matching sync exactly once. 0 on failure. */
HSYNC BASS_ChannelSetSync(DWORD handle, DWORD type, QWORD param, SYNCPROC *proc, void *user);

/* Starts or resumes playing; restart TRUE starts from the beginning. A
 * channel that has played to its end starts from the beginning. FALSE for a
 * decoding channel or when the output is not initialised. */
BOOL BASS_ChannelPlay(DWORD handle, BOOL restart);

/* Stops playing; the position is kept, so BASS_ChannelPlay resumes. */
BOOL BASS_ChannelStop(DWORD handle);

BOOL BASS_StreamFree(HSTREAM handle);
BOOL BASS_MusicFree(HMUSIC handle);

/* See BASS_ACTIVE_*; 0 also on failure. */
DWORD BASS_ChannelIsActive(DWORD handle);

/* length BASS_DATA_AVAILABLE: the bytes decoded ahead of the play position.
 * length BASS_DATA_FFT*: magnitudes of a Hann-windowed real FFT of the next
 * samples to be heard (mixed to mono, or with BASS_DATA_FFT_INDIVIDUAL per
 * channel interleaved), scaled so that a full-scale sine centred on a bin
 * gives about 1.0 there; missing samples count as silence. Returns the bytes
 * written to buffer.
 * Otherwise length is a byte count: that many bytes of 16-bit samples from
 * the play position (from the decoder for a decoding channel, which then
 * advances); returns the bytes given, possibly fewer.
 * (DWORD)-1 on failure (bad handle, no buffer for FFT or samples, or a
 * decoding channel at its end). */
DWORD BASS_ChannelGetData(DWORD handle, void *buffer, DWORD length);

/* The error code of the last call on this thread (BASS_ERROR_*). */
int BASS_ErrorGetCode(void);

/* libbasswma.so: a stream from an ASF/WMA file, or from an mms:// (played
 * as mmsh://), mmsh:// or http:// URL; flags as BASS_StreamCreateFile.
 * 0 when it cannot be opened. */
HSTREAM BASS_WMA_StreamCreateFile(BOOL mem, const void *file, QWORD offset, QWORD length, DWORD flags);

#ifdef __cplusplus
}
#endif

#endif
