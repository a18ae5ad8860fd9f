#pragma once
// Why the player could not open an argument, in words for the console: the
// player itself only answers yes or no.
#include "audio/AudioPlayer.h"

#include <string>

namespace quaverly::tools {

std::string OpenFailureReason(const std::string &item, const audio::TAudioPlayer &player);

} // namespace quaverly::tools
