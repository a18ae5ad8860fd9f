#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/IExternalPlayer.h"
#include "core/IPlaybackController.h"
#include "platform/Random.h"
#include "core/IPlaylist.h"
#include "playlist/PlaylistFiles.h"
#include "playlist/PlaylistHost.h"
#include "core/FormModel.h"
#include "core/IDialogs.h"

namespace quaverly {

// The playlist: the rows of the list view MList (there is no other item
// container) and the M3U file that stores them. This is the concrete
// IPlaylist the shell constructs; its handlers are bound to the buttons, the
// list view and its pop-up menu by the Qt layer.
//
// Columns of MList: 0 the title (caption), 1 the path (sub-item 0), 2 the
// seconds (sub-item 1), 3 the time text (sub-item 2). The number of sub-items
// tells whether a row was never measured (1), has an unknown length (2) or a
// known one (3).
class TPlaylist final : public IPlaylist {
public:
    static constexpr int TitleColumnMax = 143;
    static constexpr int TimeColumnWidth = 42;
    static constexpr int RowPixels = 13;     // per row
    static constexpr int BorderPixels = 7;   // around the rows
    static constexpr int MinPanelHeight = 72;
    static constexpr int SettingNonClientMetrics = 42;

    // The open dialog's filter, exactly as the dialog shows it.
    static const char *const OpenDialogFilter;
    // The message texts of an unusable and of an unreadable playlist file.
    static const char *const UnusableDeletedText;
    static const char *const UnusableText;
    static const char *const UnreadableText;
    static const char *const CreditTitle;
    static const char *const CreditTime;

    // `files` defaults to the real file system.
    TPlaylist(TFormModel &form, IPlaybackController &controller, IExternalPlayer &externalPlayer,
              IDialogs &dialogs, IRandom &random, IPlaylistHost &host, IPlaylistFiles *files = nullptr);
    ~TPlaylist() override;

    // IPlaylist
    void PickRandomPlaylist() override;
    void LoadPlaylist() override;
    void SavePlaylist() override;
    void SavePlaylistIfChanged() override;
    void ShowCredit() override;
    std::string DisplayNameOf(const std::string &path) const override;
    void OnSettingChange(int flag) override;
    void FitListHeight() override;
    void RevealCurrentItem() override;

    // LoadPlaylist with its outcome: false when the file could not be read
    // (reported by a message box); the calling command ends there.
    bool ReadPlaylist();

    // Row of the first path that names the same file as `path` (byte-equal,
    // or the same existing file), -1 when none.
    int IndexOfPath(const std::string &path) const;
    // Adds files (the open dialog's choice, in its order) to the list.
    void AddFiles(const std::vector<std::string> &files);
    // Sorts all rows by title once; selection and focus travel with the rows.
    // Returns for each new index the row's old index.
    std::vector<int> SortByTitle();
    void LeaveCredit();
    void PrepareForNewRow();

    // Handlers of the form.
    void sbAddClick();
    void pmDelClick();
    void MListDblClick();
    void MListMouseUp(bool rightButton);
    void sbOrderClick();
    void sbRandomClick();
    void sbNormalClick();
    void sbLevelClick();

private:
    void EnsureColumns();
    TListColumn &TitleColumn();
    void SetTitleToMin();
    void SetTitleToMax();
    void SelectRow(int index);
    void ScrollIntoView(int index);
    void StopForEmptyList();
    bool InProgramFolder(const std::string &path) const;
    std::string DefaultPlaylistName();
    std::string CopyNameInProgramFolder(const std::string &name);

    TFormModel &form_;
    TMainState &state_;
    IPlaybackController &controller_;
    IExternalPlayer &external_;
    IDialogs &dialogs_;
    IRandom &random_;
    IPlaylistHost &host_;
    std::unique_ptr<IPlaylistFiles> ownFiles_;
    IPlaylistFiles &files_;
    // Playlists of the program folder that could neither be used nor deleted:
    // the random pick passes over them for the rest of the run.
    std::set<std::string> unusable_;
};

}  // namespace quaverly
