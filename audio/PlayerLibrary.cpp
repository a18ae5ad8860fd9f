#include "audio/PlayerLibrary.h"

namespace quaverly::audio {

bool TPlayerLibrary::LoadBass(const std::string &folder)
{
    Unload();
    if (!bass_.Load(folder))
        return false;
    static_cast<BassApi &>(*this) = bass_.api();
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
    static_cast<BassApi &>(*this) = BassApi{};
    bass_.Unload();
    WmaStreamCreateFile = nullptr;
    wma_.Unload();
}

} // namespace quaverly::audio
