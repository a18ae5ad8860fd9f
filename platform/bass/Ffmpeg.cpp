#include "platform/bass/Ffmpeg.h"

#include <dlfcn.h>

#include <cstdlib>
#include <mutex>

namespace quaverly::bass {

namespace {

FfmpegApi g_api;

#ifndef QUAVERLY_BASS_FFMPEG_LINKED

#define QUAVERLY_STRING(x) #x
#define QUAVERLY_SONAME(lib, major) "lib" lib ".so." QUAVERLY_STRING(major)

// The sonames of the FFmpeg the library was compiled against.
struct Library {
    const char *soname;
    void *handle = nullptr;
};
Library g_avutil{QUAVERLY_SONAME("avutil", LIBAVUTIL_VERSION_MAJOR)};
Library g_avcodec{QUAVERLY_SONAME("avcodec", LIBAVCODEC_VERSION_MAJOR)};
Library g_avformat{QUAVERLY_SONAME("avformat", LIBAVFORMAT_VERSION_MAJOR)};
Library g_swresample{QUAVERLY_SONAME("swresample", LIBSWRESAMPLE_VERSION_MAJOR)};

template <typename Fn>
bool Bind(Library &lib, const char *name, Fn &fn)
{
    if (!lib.handle)
        lib.handle = dlopen(lib.soname, RTLD_NOW | RTLD_LOCAL);
    fn = lib.handle ? reinterpret_cast<Fn>(dlsym(lib.handle, name)) : nullptr;
    return fn != nullptr;
}

bool BindAll()
{
    bool ok = true;
#define QUAVERLY_FFMPEG_BIND(lib, name) ok = Bind(g_##lib, #name, g_api.name) && ok;
    QUAVERLY_FFMPEG_FUNCTIONS(QUAVERLY_FFMPEG_BIND)
#undef QUAVERLY_FFMPEG_BIND
    // A partly bound FFmpeg stays loaded but unused: another thread may
    // have seen none of it, and unloading buys nothing.
    return ok;
}

#else

bool BindAll()
{
#define QUAVERLY_FFMPEG_LINK(lib, name) g_api.name = &::name;
    QUAVERLY_FFMPEG_FUNCTIONS(QUAVERLY_FFMPEG_LINK)
#undef QUAVERLY_FFMPEG_LINK
    return true;
}

#endif

}  // namespace

const FfmpegApi &av = g_api;

bool LoadFfmpeg()
{
    static bool loaded = false;
    static std::once_flag once;
    std::call_once(once, [] {
        loaded = BindAll();
        // FFmpeg's warnings about damaged input would go to the program's
        // stderr; a damaged file is a normal case here. QUAVERLY_BASS_LOG=1
        // keeps them for debugging.
        if (loaded && !std::getenv("QUAVERLY_BASS_LOG"))
            g_api.av_log_set_level(AV_LOG_FATAL);
    });
    return loaded;
}

}  // namespace quaverly::bass
