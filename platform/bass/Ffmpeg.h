#pragma once

// FFmpeg, bound the first time the library opens a stream rather than when
// it is loaded: a process that holds the library but plays nothing (or only
// modules) never maps FFmpeg and the hundred-odd libraries Debian's build of
// it brings along. Every FFmpeg call of the library goes through `av`.
//
// With QUAVERLY_BASS_FFMPEG_LINKED (the small static FFmpeg the opt-in
// build links) the same table holds the linked functions.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavformat/avio.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libavutil/opt.h>
#include <libavutil/tx.h>
#include <libswresample/swresample.h>
}

namespace quaverly::bass {

// X(library, function) for every FFmpeg function the library calls.
#define QUAVERLY_FFMPEG_FUNCTIONS(X)                                                                      \
    X(avutil, av_log_set_level)                                                                         \
    X(avutil, av_malloc)                                                                                \
    X(avutil, av_free)                                                                                  \
    X(avutil, av_freep)                                                                                 \
    X(avutil, av_dict_set)                                                                              \
    X(avutil, av_dict_get)                                                                              \
    X(avutil, av_dict_free)                                                                             \
    X(avutil, av_opt_get)                                                                               \
    X(avutil, av_rescale_q)                                                                             \
    X(avutil, av_channel_layout_default)                                                                \
    X(avutil, av_channel_layout_copy)                                                                   \
    X(avutil, av_channel_layout_uninit)                                                                 \
    X(avutil, av_frame_alloc)                                                                           \
    X(avutil, av_frame_unref)                                                                           \
    X(avutil, av_frame_free)                                                                            \
    X(avutil, av_tx_init)                                                                               \
    X(avutil, av_tx_uninit)                                                                             \
    X(avcodec, avcodec_find_decoder)                                                                    \
    X(avcodec, avcodec_alloc_context3)                                                                  \
    X(avcodec, avcodec_parameters_to_context)                                                           \
    X(avcodec, avcodec_open2)                                                                           \
    X(avcodec, avcodec_free_context)                                                                    \
    X(avcodec, avcodec_send_packet)                                                                     \
    X(avcodec, avcodec_receive_frame)                                                                   \
    X(avcodec, avcodec_flush_buffers)                                                                   \
    X(avcodec, av_packet_alloc)                                                                         \
    X(avcodec, av_packet_unref)                                                                         \
    X(avcodec, av_packet_free)                                                                          \
    X(avcodec, av_packet_get_side_data)                                                                 \
    X(avcodec, av_packet_unpack_dictionary)                                                             \
    X(avformat, avformat_alloc_context)                                                                 \
    X(avformat, avformat_open_input)                                                                    \
    X(avformat, avformat_find_stream_info)                                                              \
    X(avformat, avformat_close_input)                                                                   \
    X(avformat, avformat_seek_file)                                                                     \
    X(avformat, av_find_input_format)                                                                   \
    X(avformat, av_probe_input_format)                                                                  \
    X(avformat, av_find_best_stream)                                                                    \
    X(avformat, av_read_frame)                                                                          \
    X(avformat, av_seek_frame)                                                                          \
    X(avformat, avio_alloc_context)                                                                     \
    X(avformat, avio_context_free)                                                                      \
    X(avformat, avio_open2)                                                                             \
    X(avformat, avio_closep)                                                                            \
    X(avformat, avio_read_partial)                                                                      \
    X(avformat, avio_size)                                                                              \
    X(avformat, avio_seek)                                                                              \
    X(swresample, swr_alloc_set_opts2)                                                                  \
    X(swresample, swr_init)                                                                             \
    X(swresample, swr_convert)                                                                          \
    X(swresample, swr_get_out_samples)                                                                  \
    X(swresample, swr_free)

struct FfmpegApi {
#define QUAVERLY_FFMPEG_POINTER(lib, name) decltype(&::name) name = nullptr;
    QUAVERLY_FFMPEG_FUNCTIONS(QUAVERLY_FFMPEG_POINTER)
#undef QUAVERLY_FFMPEG_POINTER
};

// Valid once LoadFfmpeg returned true (in this thread or in one that handed
// a stream to this one).
extern const FfmpegApi &av;

// Binds FFmpeg the first time (later calls return the first answer at
// once): false when one of its libraries or functions is missing.
bool LoadFfmpeg();

}  // namespace quaverly::bass
