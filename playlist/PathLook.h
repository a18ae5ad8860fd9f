#pragma once

#include <cstdint>
#include <optional>

#include "core/SameFile.h"

namespace quaverly {

// What the file system says about a local path of a playlist.
enum class TPathState : std::uint8_t {
    // An existing file (not a folder).
    File,
    // Its folder is there and the file is not: the entry is dropped.
    Gone,
    // Its folder cannot be seen (a drive or share not mounted yet, a folder
    // without access): the entry is kept as it is, and fails when played as
    // any missing file does.
    Unavailable,
};

struct TPathLook {
    TPathState State = TPathState::Gone;
    // The file's identity, for State == File.
    std::optional<TFileId> Id;
};

}  // namespace quaverly
