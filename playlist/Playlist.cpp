#include "playlist/Playlist.h"

#include "core/PathText.h"
#include "core/SameFile.h"
#include "playlist/TitleOrder.h"

namespace quaverly {

const char *const TPlaylist::OpenDialogFilter =
    "媒体文件(所有类型)|*.mid;*.rmi;*.kar;*.midi;*.mp3;*.wma;*.wav;*.cda;*.mpa;*.mp1;*.mp2;*.ogg;*.snd;*.au;"
    "*.aif;*.aiff;*.avi;*.mpg;*.dat;*.wmv;*.asf;*.wm;*.mpeg;*.m1v;*.vob;*.m3u"
    "|MIDI音乐(MID;RMI;KAR;MIDI)|*.mid;*.rmi;*.kar;*.midi"
    "|音频文件(MP3;WMA;WAV;MPA;MP1;MP2;OGG;SND;AU;AIF;AIFF)|*.mp3;*.wma;*.wav;*.cda;*.mpa;*.mp1;*.mp2;*.ogg;"
    "*.snd;*.au;*.aif;*.aiff"
    "|视频文件(AVI;MPG;DAT;WMV;ASF;WM;MPEG;M1V;VOB)|*.avi;*.mpg;*.dat;*.wmv;*.asf;*.wm;*.mpeg;*.m1v;*.vob"
    "|播放列表(M3U)|*.m3u|所有文件(*)|*.*";
const char *const TPlaylist::UnusableDeletedText = "该文件已失效,即将删除之!";
const char *const TPlaylist::UnusableText = "该文件已失效!";
const char *const TPlaylist::UnreadableText = "无法读取该播放列表文件!";
const char *const TPlaylist::CreditTitle = " Quaverly Brindlewick";
const char *const TPlaylist::CreditTime = "制作 ";

TPlaylist::TPlaylist(TFormModel &form, IPlaybackController &controller, IExternalPlayer &externalPlayer,
                     IDialogs &dialogs, IRandom &random, IPlaylistHost &host, IPlaylistFiles *files)
    : form_(form),
      state_(form.State),
      controller_(controller),
      external_(externalPlayer),
      dialogs_(dialogs),
      random_(random),
      host_(host),
      ownFiles_(files ? nullptr : std::make_unique<TPosixPlaylistFiles>()),
      files_(files ? *files : *ownFiles_)
{
    EnsureColumns();
}

TPlaylist::~TPlaylist() = default;

// The form resource gives the four columns; a model filled some other way
// gets them here so that the column rules always have something to work on.
void TPlaylist::EnsureColumns()
{
    auto &columns = form_.MList.Columns;
    if (columns.size() >= 4)
        return;
    columns.resize(4);
    columns[0] = {TitleColumnMax, TitleColumnMax - 17, TitleColumnMax};
    columns[1] = {0, 0, 0};
    columns[2] = {0, 0, 0};
    columns[3] = {TimeColumnWidth, TimeColumnWidth, TimeColumnWidth};
}

TListColumn &TPlaylist::TitleColumn() { return form_.MList.Columns[0]; }
void TPlaylist::SetTitleToMin() { TitleColumn().Width = TitleColumn().MinWidth; }
void TPlaylist::SetTitleToMax() { TitleColumn().Width = TitleColumn().MaxWidth; }

void TPlaylist::SelectRow(int index)
{
    if (index >= 0 && index < form_.MList.Count())
        form_.MList.Items.Select(size_t(index));
}

void TPlaylist::ScrollIntoView(int index)
{
    if (index >= 0 && index < form_.MList.Count())
        form_.MList.ScrollRequest = index;
}

std::string TPlaylist::DisplayNameOf(const std::string &path) const { return quaverly::DisplayNameOf(path); }

int TPlaylist::IndexOfPath(const std::string &path) const
{
    const auto &items = form_.MList.Items;
    for (size_t i = 0; i < items.size(); ++i)
        if (!items[i].SubItems.empty() && SamePathText(items[i].SubItems[0], path))
            return int(i);
    // Another text may name the same file (a link, "./", a doubled "/").
    const std::optional<TFileId> id = IsUrl(path) ? std::nullopt : FileIdOf(path);
    if (!id)
        return -1;
    std::vector<std::string_view> paths;
    std::vector<int> rowOf;
    for (size_t i = 0; i < items.size(); ++i) {
        if (!items[i].SubItems.empty() && !IsUrl(items[i].SubItems[0])) {
            paths.push_back(items[i].SubItems[0]);
            rowOf.push_back(int(i));
        }
    }
    const std::vector<TPathLook> looks = files_.LookUp(paths);
    for (size_t k = 0; k < looks.size() && k < rowOf.size(); ++k)
        if (looks[k].Id == id)
            return rowOf[k];
    return -1;
}

std::vector<int> TPlaylist::SortByTitle()
{
    auto &list = form_.MList;
    std::vector<const std::string *> titles;
    titles.reserve(list.Items.size());
    for (const auto &item : list.Items)
        titles.push_back(&item.Caption);
    std::vector<int> order = TitleOrder(titles);
    // The rows are moved into their places in the list itself, cycle by
    // cycle, so a long list needs no second copy of its rows.
    std::vector<TListItem> &rows = list.Items.EditAll();
    std::vector<bool> placed(order.size(), false);
    for (size_t i = 0; i < order.size(); ++i) {
        if (placed[i])
            continue;
        TListItem held = std::move(rows[i]);
        size_t at = i;
        for (;;) {
            placed[at] = true;
            const size_t from = size_t(order[at]);
            if (from == i)
                break;
            rows[at] = std::move(rows[from]);
            at = from;
        }
        rows[at] = std::move(held);
    }
    int focused = -1;
    for (size_t i = 0; i < order.size() && list.ItemFocused >= 0; ++i)
        if (order[i] == list.ItemFocused)
            focused = int(i);
    list.ItemFocused = focused;
    return order;
}

void TPlaylist::ShowCredit()
{
    auto &f = form_;
    if (f.Form.Height > 108) {
        f.Form.Height = 108;
        f.MListPanel.Height = MinPanelHeight;
        state_.GeometryDirty = true;
    }
    host_.RefreshWindowRegion();
    f.Form.Color = clBlack;
    f.lbResize.Visible = false;
    f.lbResize.Enabled = false;
    f.MListPanel.Enabled = false;
    f.sbPlay.Visible = false;
    f.sbNext.Visible = false;
    f.sbAbout.Visible = true;
    f.sbAbout.Enabled = false;
    f.sbAbout.Hint = "版权所有";
    f.sbNormal.Enabled = false;
    f.sbLevel.Enabled = false;
    f.sbOrder.Enabled = false;
    f.sbRandom.Enabled = false;
    SetTitleToMax();
    // The credit view shows its three rows and nothing else.
    f.MList.Clear();
    f.MList.Items.push_back({});
    f.MList.Items.push_back({});
    f.MList.Items.push_back({CreditTitle, {"", "", CreditTime}, false});
}

void TPlaylist::LeaveCredit()
{
    auto &f = form_;
    f.Form.Color = f.BtnPanel.Color;
    f.lbResize.Visible = true;
    f.sbAbout.Visible = false;
    f.sbPlay.Visible = true;
    f.sbRandom.Enabled = true;
    f.sbOrder.Enabled = true;
    f.MListPanel.Enabled = true;
    f.MList.Focused = true;
}

void TPlaylist::RevealCurrentItem()
{
    auto &list = form_.MList;
    if (list.SelCount() == 0) {
        SelectRow(state_.CurrentIndex);
    } else if (list.FirstSelected() != state_.CurrentIndex && state_.Connecting) {
        list.ItemFocused = -1;
        list.ClearSelection();
        SelectRow(state_.CurrentIndex);
    }
    ScrollIntoView(list.FirstSelected());
}

void TPlaylist::sbOrderClick()
{
    form_.sbOrder.Visible = false;
    form_.sbRandom.Visible = true;
}

void TPlaylist::sbRandomClick()
{
    form_.sbRandom.Visible = false;
    form_.sbOrder.Visible = true;
}

void TPlaylist::sbNormalClick()
{
    external_.BackupExternalPlayerSettings();
    form_.sbNormal.Visible = false;
    form_.sbLevel.Visible = true;
}

void TPlaylist::sbLevelClick()
{
    form_.sbLevel.Visible = false;
    form_.sbNormal.Visible = true;
}

bool TPlaylist::InProgramFolder(const std::string &path) const
{
    return !path.empty() && SameFolder(FolderOf(path), state_.ProgramFolder);
}

}  // namespace quaverly
