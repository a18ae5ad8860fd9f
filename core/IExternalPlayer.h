#pragma once

namespace quaverly {

// The external MIDI player ("XGPlayer.exe" beside the program): its registry
// settings, its own file list, its window.
class IExternalPlayer {
public:
    virtual ~IExternalPlayer() = default;
    // Fills the playlist from the external player's own list of files.
    virtual void ImportExternalPlayerList() = 0;
    // Copies the player's settings key to the backup key (once per run).
    virtual void BackupExternalPlayerSettings() = 0;
    // When the backup key exists, replaces the settings key by it.
    virtual void RestoreExternalPlayerSettings() = 0;
    // Closes the external player's window.
    virtual void CloseExternalPlayer() = 0;
};

}  // namespace quaverly
