#include <unordered_map>

#include "core/PathText.h"
#include "core/SameFile.h"
#include "playlist/Playlist.h"

namespace quaverly {

void TPlaylist::sbAddClick()
{
    if (state_.Connecting)
        return;
    state_.Timer2Enabled = false;
    const auto chosen = dialogs_.OpenFiles(OpenDialogFilter, state_.OpenDialogInitialDir);
    if (!chosen || chosen->empty()) {
        SavePlaylistIfChanged();
        state_.Timer2Enabled = true;
        return;
    }
    const std::vector<std::string> &files = *chosen;
    if (state_.StartMode == 2) {
        state_.StartMode = 0;
        state_.GeometryDirty = true;
    }
    const std::string &name = files.front();
    const std::string dir = FolderOf(name);
    if (!SameFolder(dir, state_.OpenDialogInitialDir)) {
        state_.OpenDialogInitialDir = dir;
        host_.ForceSettingsRewrite();
    }

    const std::string fileName = FileNameOf(name);
    const bool isPlaylist = fileName.size() >= 4 && UpperAscii(fileName.substr(fileName.size() - 4)) == ".M3U";
    if (!isPlaylist) {
        if (state_.ReplaceOnAdd == 1)
            pmDelClick();
        AddFiles(files);
    } else {
        if (SameFile(name, state_.PlaylistPath)) {
            state_.Timer2Enabled = true;
            return;
        }
        SavePlaylistIfChanged();
        state_.PlaylistPath = name;
        if (!ReadPlaylist()) {
            state_.Timer2Enabled = true;
            return;
        }
        if (form_.Playing()) {
            state_.Timer1Enabled = false;
            controller_.StopPlayback();
            controller_.PlayCurrentItem();
        } else if (form_.sbPlay.Visible) {
            ScrollIntoView(form_.MList.FirstSelected());
            if (!SameFolder(dir, state_.ProgramFolder)) {
                // The list is saved into the program folder; the file opened
                // from elsewhere is left as it is.
                state_.PlaylistPath = CopyNameInProgramFolder(name);
                state_.PlaylistDirty = true;
            }
        }
    }
    if (state_.PlaylistDirty)
        SavePlaylist();
    state_.Timer2Enabled = true;
}

// ProgramFolder + the file name, else + the name and "2.m3u", else "3.m3u"
// and on: the copy never replaces a playlist that is already there.
std::string TPlaylist::CopyNameInProgramFolder(const std::string &name)
{
    std::string path = state_.ProgramFolder + FileNameOf(name);
    if (!files_.Exists(path))
        return path;
    const std::string stem = state_.ProgramFolder + quaverly::DisplayNameOf(name);
    for (unsigned n = 2;; ++n) {
        path = stem + std::to_string(n) + ".m3u";
        if (!files_.Exists(path))
            return path;
    }
}

void TPlaylist::AddFiles(const std::vector<std::string> &files)
{
    auto &list = form_.MList;
    if (form_.CreditShown()) {
        list.Clear();
    } else {
        list.ItemFocused = -1;
        list.ClearSelection();
    }
    if (state_.ReplaceOnAdd == 1)
        SetTitleToMin();

    int pick = 0;
    if (form_.RandomOrder() && !form_.Playing())
        pick = random_.Next(int(files.size()));
    const int current =
        state_.CurrentIndex >= 0 && state_.CurrentIndex < list.Count() ? state_.CurrentIndex : -1;

    // A file is already in the list when a row holds the same text, or names
    // the same existing file. The rows' files are looked up only when a chosen
    // file exists under a text no row holds.
    std::unordered_map<std::string, int> rowOfPath;
    rowOfPath.reserve(list.Items.size() + files.size());
    for (size_t i = 0; i < list.Items.size(); ++i)
        if (!list.Items[i].SubItems.empty())
            rowOfPath.emplace(PathKey(list.Items[i].SubItems[0]), int(i));
    std::unordered_map<TFileId, int, TFileIdHash> rowOfFile;
    bool rowFilesKnown = false;
    const auto rowOfSameFile = [&](const TFileId &id) {
        if (!rowFilesKnown) {
            std::vector<std::string_view> paths;
            std::vector<int> rows;
            for (size_t i = 0; i < list.Items.size(); ++i) {
                if (!list.Items[i].SubItems.empty() && !IsUrl(list.Items[i].SubItems[0])) {
                    paths.push_back(list.Items[i].SubItems[0]);
                    rows.push_back(int(i));
                }
            }
            const std::vector<TPathLook> looks = files_.LookUp(paths);
            for (size_t k = 0; k < looks.size() && k < rows.size(); ++k)
                if (looks[k].Id)
                    rowOfFile.emplace(*looks[k].Id, rows[k]);
            rowFilesKnown = true;
        }
        const auto it = rowOfFile.find(id);
        return it == rowOfFile.end() ? -1 : it->second;
    };

    int reveal = -1;
    for (size_t k = 0; k < files.size(); ++k) {
        const std::string &file = files[k];
        int row = -1;
        if (const auto it = rowOfPath.find(PathKey(file)); it != rowOfPath.end()) {
            row = it->second;
        } else {
            const std::optional<TFileId> id = IsUrl(file) ? std::nullopt : FileIdOf(file);
            if (id)
                row = rowOfSameFile(*id);
            if (row < 0) {
                PrepareForNewRow();
                row = list.Count();
                list.Items.push_back({quaverly::DisplayNameOf(file), {file}, false});
                state_.PlaylistDirty = true;
                if (id)
                    rowOfFile.emplace(*id, row);
            }
            rowOfPath.emplace(PathKey(file), row);
        }
        if (int(k) == pick) {
            SelectRow(row);
            reveal = row;
        }
    }

    if (form_.Playing()) {
        list.ClearSelection();
        SelectRow(current);
    } else if (form_.CreditShown()) {
        LeaveCredit();
    }
    if (!form_.sbNormal.Enabled)
        controller_.UpdateMidiButtons();
    state_.NextIndex = list.FirstSelected();
    if (state_.PlaylistDirty) {
        const std::vector<int> order = SortByTitle();
        // The rows moved: the row to reveal and the playing row go with them.
        for (size_t i = 0; i < order.size(); ++i) {
            if (order[i] == reveal) {
                reveal = int(i);
                break;
            }
        }
        if (current >= 0 && form_.Playing())
            for (size_t i = 0; i < order.size(); ++i)
                if (order[i] == current)
                    state_.CurrentIndex = int(i);
        if (state_.ReplaceOnAdd == 1)
            FitListHeight();
        state_.ShufflePos = 0;
    }
    ScrollIntoView(reveal);
}

void TPlaylist::pmDelClick()
{
    auto &list = form_.MList;
    if (form_.CreditShown() || !form_.NormalView())
        return;
    const bool playing = form_.Playing();
    int first = -1;
    std::string playingPath;
    if (state_.ReplaceOnAdd == 1 || list.Count() == 1) {
        list.Clear();
    } else {
        if (list.SelCount() == 0)
            return;
        list.ItemFocused = -1;
        first = list.FirstSelected();
        if (playing && state_.CurrentIndex >= 0 && state_.CurrentIndex < list.Count() &&
            !list.Items[size_t(state_.CurrentIndex)].SubItems.empty())
            playingPath = list.Items[size_t(state_.CurrentIndex)].SubItems[0];
        list.Items.EraseIf([](const TListItem &item) { return item.Selected; });
    }

    if (list.Count() == 0) {
        if (playing) {
            state_.Timer1Enabled = false;
            controller_.StopPlayback();
            controller_.ShowStoppedState();
        }
        if (state_.ReplaceOnAdd == 1) {
            state_.PlaylistPath.clear();
        } else {
            ShowCredit();
            // Only a playlist of the program folder goes with its last row; a
            // list the user keeps elsewhere is never deleted by emptying it.
            if (InProgramFolder(state_.PlaylistPath))
                files_.Remove(state_.PlaylistPath);
        }
        state_.PlaylistDirty = false;
        return;
    }

    FitListHeight();
    const int keep = playing && !playingPath.empty() ? IndexOfPath(playingPath) : -1;
    if (keep == -1) {
        if (first >= list.Count())
            first = list.Count() - 1;
        state_.NextIndex = first;
        if (playing) {
            state_.Timer1Enabled = false;
            controller_.StopPlayback();
            state_.CurrentIndex = state_.NextIndex;
            controller_.PlayCurrentItem();
        }
    } else {
        state_.NextIndex = keep;
    }
    // The row that took the deleted rows' place gets the focus too, so the
    // arrow keys go on from it rather than from the top of the list.
    SelectRow(state_.NextIndex);
    if (state_.NextIndex >= 0 && state_.NextIndex < list.Count())
        list.ItemFocused = state_.NextIndex;
    if (form_.Playing())
        state_.CurrentIndex = state_.NextIndex;
    if (form_.sbNormal.Enabled)
        controller_.UpdateMidiButtons();
    state_.PlaylistDirty = true;
    SavePlaylist();
    state_.ShufflePos = 0;
}

void TPlaylist::MListDblClick()
{
    if (state_.Connecting)
        return;
    if (form_.MList.SelCount() > 0) {
        controller_.PlaySelected();
        if (form_.VisPanel.Visible)
            state_.IgnoreNextMouseUp = true;
    }
}

void TPlaylist::MListMouseUp(bool rightButton)
{
    if (!rightButton)
        return;
    SavePlaylistIfChanged();
    state_.ReplaceOnAdd = 1;
    sbAddClick();
    state_.ReplaceOnAdd = 0;
}

}  // namespace quaverly
