#include "audio/BassWmaLibrary.h"

#include "platform/ProgramPaths.h"

#include <utility>

namespace quaverly {

bool BassWmaLibrary::LoadFromProgramFolder()
{
    return Load(ProgramFolder());
}

bool BassWmaLibrary::Load(const std::string &folder)
{
    Unload();
    error_.clear();
    DynamicLibrary library(folder + kFileName);
    if (!library.loaded()) {
        error_ = library.error();
        return false;
    }
    decltype(StreamCreateFile) create = nullptr;
    if (!library.Bind("BASS_WMA_StreamCreateFile", create)) {
        error_ = "missing entry point BASS_WMA_StreamCreateFile";
        return false;
    }
    library_ = std::move(library);
    StreamCreateFile = create;
    return true;
}

void BassWmaLibrary::Unload()
{
    StreamCreateFile = nullptr;
    library_ = DynamicLibrary();
}

}  // namespace quaverly
