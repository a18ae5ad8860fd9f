#pragma once

#include <string>

namespace quaverly {

// What the shell, the schedule and the controller ask of the playlist (the
// rows of MList and the M3U file that stores them).
class IPlaylist {
public:
    virtual ~IPlaylist() = default;
    // Loads a randomly chosen "*.m3u" from the program folder.
    virtual void PickRandomPlaylist() = 0;
    // Reads PlaylistPath into the list view, replacing all rows.
    virtual void LoadPlaylist() = 0;
    // Writes the list to PlaylistPath (a default name when it is empty).
    virtual void SavePlaylist() = 0;
    // SavePlaylist when the list changed or the header flags differ from the file.
    virtual void SavePlaylistIfChanged() = 0;
    // The empty-list credit view.
    virtual void ShowCredit() = 0;
    // A URL unchanged; otherwise the file name without folder and extension.
    virtual std::string DisplayNameOf(const std::string &path) const = 0;
    // The application's setting-change handler (42: non-client metrics changed).
    virtual void OnSettingChange(int flag) = 0;
    // Snaps the list panel to its rows (used after a resize by the bottom strip).
    virtual void FitListHeight() = 0;
    // Selection back on the current row, scrolled into view.
    virtual void RevealCurrentItem() = 0;
};

}  // namespace quaverly
