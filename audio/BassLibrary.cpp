#include "audio/BassLibrary.h"

#include "platform/ProgramPaths.h"

#include <utility>

namespace quaverly {

namespace {

// Binds one entry point; on the first miss records its name and fails.
template <typename Fn>
bool BindOne(const DynamicLibrary &library, const char *name, Fn &fn, std::string &error)
{
    if (library.Bind(name, fn))
        return true;
    error = std::string("missing entry point ") + name;
    return false;
}

}  // namespace

BassLibrary::~BassLibrary()
{
    Unload();
}

bool BassLibrary::LoadFromProgramFolder()
{
    return Load(ProgramFolder());
}

bool BassLibrary::Load(const std::string &folder)
{
    Unload();
    error_.clear();
    DynamicLibrary library(folder + kFileName);
    if (!library.loaded()) {
        error_ = library.error();
        return false;
    }
    BassApi api;
    const bool bound = BindOne(library, "BASS_SetConfig", api.SetConfig, error_)
        && BindOne(library, "BASS_Init", api.Init, error_)
        && BindOne(library, "BASS_Free", api.Free, error_)
        && BindOne(library, "BASS_GetVersion", api.GetVersion, error_)
        && BindOne(library, "BASS_StreamCreateFile", api.StreamCreateFile, error_)
        && BindOne(library, "BASS_MusicLoad", api.MusicLoad, error_)
        && BindOne(library, "BASS_StreamCreateURL", api.StreamCreateURL, error_)
        && BindOne(library, "BASS_ChannelGetInfo", api.ChannelGetInfo, error_)
        && BindOne(library, "BASS_ChannelGetTags", api.ChannelGetTags, error_)
        && BindOne(library, "BASS_ChannelGetLength", api.ChannelGetLength, error_)
        && BindOne(library, "BASS_ChannelGetPosition", api.ChannelGetPosition, error_)
        && BindOne(library, "BASS_ChannelBytes2Seconds", api.ChannelBytes2Seconds, error_)
        && BindOne(library, "BASS_ChannelSeconds2Bytes", api.ChannelSeconds2Bytes, error_)
        && BindOne(library, "BASS_ChannelSetPosition", api.ChannelSetPosition, error_)
        && BindOne(library, "BASS_StreamGetFilePosition", api.StreamGetFilePosition, error_)
        && BindOne(library, "BASS_ChannelSetSync", api.ChannelSetSync, error_)
        && BindOne(library, "BASS_ChannelPlay", api.ChannelPlay, error_)
        && BindOne(library, "BASS_ChannelStop", api.ChannelStop, error_)
        && BindOne(library, "BASS_StreamFree", api.StreamFree, error_)
        && BindOne(library, "BASS_MusicFree", api.MusicFree, error_)
        && BindOne(library, "BASS_ChannelIsActive", api.ChannelIsActive, error_)
        && BindOne(library, "BASS_ChannelGetData", api.ChannelGetData, error_);
    if (!bound)
        return false;  // `library` closes itself here: the library counts as absent
    library_ = std::move(library);
    api_ = api;
    return true;
}

void BassLibrary::Unload()
{
    if (!library_.loaded())
        return;
    api_.Free();
    api_ = BassApi{};
    library_ = DynamicLibrary();
}

}  // namespace quaverly
