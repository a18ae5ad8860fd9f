#include "platform/nsplay/VlcApi.h"

#include <mutex>

namespace quaverly::nsplay {

namespace {

struct LoadedApi {
    DynamicLibrary library;
    VlcApi api;
    std::string error;
    bool ok = false;
};

LoadedApi LoadNow()
{
    LoadedApi loaded;
    loaded.library = DynamicLibrary("libvlc.so.5");
    if (!loaded.library.loaded()) {
        loaded.error = "libVLC could not be loaded: " + loaded.library.error();
        return loaded;
    }
#define QUAVERLY_VLC_BIND(name)                                                                               \
    if (!loaded.library.Bind(#name, loaded.api.name)) {                                                      \
        loaded.error = "libVLC lacks " #name;                                                                 \
        return loaded;                                                                                        \
    }
    QUAVERLY_VLC_ENTRY_POINTS(QUAVERLY_VLC_BIND)
#undef QUAVERLY_VLC_BIND
    loaded.ok = true;
    return loaded;
}

}  // namespace

const VlcApi *VlcApi::Load(std::string &error)
{
    // Kept until the process ends: libVLC's plugins stay mapped anyway, and
    // an instance may still be released at exit.
    static LoadedApi *loaded = nullptr;
    static std::once_flag once;
    std::call_once(once, [] { loaded = new LoadedApi(LoadNow()); });
    error = loaded->error;
    return loaded->ok ? &loaded->api : nullptr;
}

}  // namespace quaverly::nsplay
