#include "audio/PlayerLibrary.h"

namespace quaverly::audio {

bool TPlayerLibrary::LoadBass(const std::string &folder)
{
    Unload();
    if (!bass_.Load(folder))
        return false;
    Assign(bass_.api());
    return true;
}

bool TPlayerLibrary::LoadWma(const std::string &folder)
{
    if (!wma_.Load(folder))
        return false;
    WmaStreamCreateFile = wma_.StreamCreateFile;
    return WmaStreamCreateFile != nullptr;
}

void TPlayerLibrary::Unload()
{
    Assign(BassApi{});
    bass_.Unload();
    WmaStreamCreateFile = nullptr;
    wma_.Unload();
}

void TPlayerLibrary::Assign(const BassApi &api)
{
    SetConfig = api.SetConfig;
    Init = api.Init;
    Free = api.Free;
    GetVersion = api.GetVersion;
    StreamCreateFile = api.StreamCreateFile;
    MusicLoad = api.MusicLoad;
    StreamCreateURL = api.StreamCreateURL;
    ChannelGetInfo = api.ChannelGetInfo;
    ChannelGetTags = api.ChannelGetTags;
    ChannelGetLength = api.ChannelGetLength;
    ChannelGetPosition = api.ChannelGetPosition;
    ChannelBytes2Seconds = api.ChannelBytes2Seconds;
    ChannelSeconds2Bytes = api.ChannelSeconds2Bytes;
    ChannelSetPosition = api.ChannelSetPosition;
    StreamGetFilePosition = api.StreamGetFilePosition;
    ChannelSetSync = api.ChannelSetSync;
    ChannelPlay = api.ChannelPlay;
    ChannelStop = api.ChannelStop;
    StreamFree = api.StreamFree;
    MusicFree = api.MusicFree;
    ChannelIsActive = api.ChannelIsActive;
    ChannelGetData = api.ChannelGetData;
}

} // namespace quaverly::audio
