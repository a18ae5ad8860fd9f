#include "playlist/M3uFormat.h"
#include "core/PathText.h"
#include "core/SameFile.h"
#include "playlist/Playlist.h"

namespace quaverly {

void TPlaylist::LoadPlaylist() { (void)ReadPlaylist(); }

void TPlaylist::StopForEmptyList()
{
    if (form_.Playing()) {
        state_.Timer1Enabled = false;
        controller_.StopPlayback();
        controller_.ShowStoppedState();
    }
    ShowCredit();
}

bool TPlaylist::ReadPlaylist()
{
    auto &list = form_.MList;
    list.Clear();
    SetTitleToMin();

    const std::optional<std::string> bytes = files_.ReadAll(state_.PlaylistPath);
    if (!bytes) {
        // The rows are gone already; the file is kept, and the path is
        // dropped so that no later save can overwrite it with an empty list.
        StopForEmptyList();
        host_.BringToFront();
        dialogs_.MessageBox(UnreadableText, state_.PlaylistPath);
        state_.PlaylistPath.clear();
        return false;
    }

    TM3uContent content = ParseM3u(*bytes, TPathLooks([this](const std::vector<std::string_view> &paths) {
        return files_.LookUp(paths);
    }));
    if (content.Repaired)
        state_.PlaylistDirty = true;
    list.Items = std::move(content.Rows);

    // Rows whose folder cannot be seen alone do not make a usable list.
    if (list.Count() > content.Unavailable) {
        state_.NextIndex = random_.Next(list.Count());
        SelectRow(state_.NextIndex);
        if (form_.CreditShown())
            LeaveCredit();
        state_.SavedRandom = content.Random;
        state_.SavedVisMidi = content.VisMidi;
        form_.sbRandom.Visible = content.Random;
        form_.sbOrder.Visible = !content.Random;
        controller_.UpdateMidiButtons();
        form_.sbLevel.Visible = content.VisMidi;
        form_.sbNormal.Visible = !content.VisMidi;
        if (form_.sbLevel.Enabled && form_.sbLevel.Visible)
            external_.BackupExternalPlayerSettings();
        SortByTitle();
        FitListHeight();
        state_.ShufflePos = 0;
        return true;
    }

    StopForEmptyList();
    host_.BringToFront();
    // Only a file without a single entry goes: entries that are missing now
    // may come back when their drive is mounted.
    if (!content.HasPathLines && InProgramFolder(state_.PlaylistPath)) {
        dialogs_.MessageBox(UnusableDeletedText, state_.PlaylistPath);
        files_.Remove(state_.PlaylistPath);
    } else {
        dialogs_.MessageBox(UnusableText, state_.PlaylistPath);
    }
    state_.PlaylistPath.clear();
    return true;
}

std::string TPlaylist::DefaultPlaylistName()
{
    for (unsigned n = 1;; ++n) {
        std::string path = state_.ProgramFolder + "newlist" + std::to_string(n) + ".m3u";
        if (!files_.Exists(path))
            return path;
    }
}

void TPlaylist::SavePlaylist()
{
    if (form_.CreditShown() || state_.StartMode == 2)
        return;
    const std::string header =
        M3uHeader(form_.sbRandom.Visible, form_.sbLevel.Visible && form_.sbLevel.Enabled);

    bool written = false;
    if (!state_.PlaylistDirty && files_.IsFile(state_.PlaylistPath)) {
        // Only the flags changed: the header line is replaced and every other
        // byte of the file stays as it is.
        if (const auto old = files_.ReadAll(state_.PlaylistPath)) {
            if (!files_.WriteAtomic(state_.PlaylistPath, ReplaceM3uHeader(*old, header)))
                return;  // the flags still differ, so the next save tries again
            written = true;
        }
    }
    if (!written) {
        state_.PlaylistDirty = false;
        const std::string bytes = EncodeM3u(form_.MList.Items.All(), header);
        if (state_.PlaylistPath.empty())
            state_.PlaylistPath = DefaultPlaylistName();
        if (!files_.WriteAtomic(state_.PlaylistPath, bytes)) {
            state_.PlaylistDirty = true;  // the file is still the old one
            return;
        }
    }
    state_.SavedRandom = form_.sbRandom.Visible;
    state_.SavedVisMidi = form_.sbLevel.Visible;
}

void TPlaylist::SavePlaylistIfChanged()
{
    if (state_.PlaylistDirty || form_.sbRandom.Visible != state_.SavedRandom ||
        form_.sbLevel.Visible != state_.SavedVisMidi)
        SavePlaylist();
}

void TPlaylist::PickRandomPlaylist()
{
    for (;;) {
        std::vector<std::string> names = files_.ListPlaylists(state_.ProgramFolder);
        std::erase_if(names, [this](const std::string &name) {
            return unusable_.count(state_.ProgramFolder + name) != 0;
        });
        if (names.empty())
            return;
        const int choice = random_.Next(int(names.size()));
        const std::string path = state_.ProgramFolder + names[size_t(choice)];
        if (!state_.PlaylistPath.empty()) {
            if (SameFile(state_.PlaylistPath, path))
                return;
            SavePlaylistIfChanged();
        }
        state_.PlaylistPath = path;
        ReadPlaylist();
        if (!state_.PlaylistPath.empty())
            return;
        // Reported, and deleted when that was allowed and possible: never
        // offered again, so a file that is kept cannot bring the search back.
        unusable_.insert(path);
    }
}

}  // namespace quaverly
