#include "app/EngineRouting.h"

#include "core/PathText.h"
#include "core/FormModel.h"

namespace quaverly {

std::string RoutingExtension(std::string_view path)
{
    const std::size_t separator = path.find_last_of("\\:");
    const std::size_t start = separator == std::string_view::npos ? 0 : separator + 1;
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot < start)
        return {};
    const std::string_view ext = path.substr(dot);
    if (ext.find('/') != std::string_view::npos)
        return {};
    return UpperAscii(ext);
}

TEngineChoice ChooseEngine(std::string_view path, bool audioEngineAvailable, std::string_view audioExtensions)
{
    TEngineChoice choice;
    choice.IsUrl = IsUrl(path);
    const std::string ext = RoutingExtension(path);

    choice.Kind = ekMediaControl;
    if (ext == ".ASX") {
        choice.Kind = ekAsx;
    } else if (!choice.IsUrl && (ext == ".MID" || ext == ".MIDI" || ext == ".KAR")) {
        choice.Kind = ekMidi;
    } else if (audioEngineAvailable) {
        const bool listed = !ext.empty() && UpperAscii(audioExtensions).find(ext) != std::string::npos;
        if (listed || (choice.IsUrl && ext.empty()))
            choice.Kind = ekAudioEngine;
        if (choice.IsUrl && ext.empty() && UpperAscii(path).find("HTTP://") == std::string::npos)
            choice.Kind = ekOtherUrl;
    }
    choice.IsWindowsMediaFile = ext == ".WMA" || ext == ".WMV" || ext == ".ASF" || ext == ".WM";
    return choice;
}

}  // namespace quaverly
