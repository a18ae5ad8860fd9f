#include "playlist/Playlist.h"

namespace quaverly {

// The list never grows by itself: it shrinks to fit its rows, and the title
// column narrows when a vertical scroll bar is needed.
void TPlaylist::FitListHeight()
{
    auto &f = form_;
    int avail = f.NormalView() ? f.Form.Height - 36 : f.MListPanel.Height;
    if (avail < MinPanelHeight) {
        avail = MinPanelHeight;
        state_.GeometryDirty = true;
    }
    const int cap = host_.WorkAreaTop() + host_.WorkAreaHeight() - 36;
    if (avail > cap) {
        avail = cap;
        state_.GeometryDirty = true;
    }
    int need = f.MList.Count() * RowPixels + BorderPixels;
    if (need < MinPanelHeight)
        need = MinPanelHeight;
    if (need > avail) {
        SetTitleToMin();
    } else {
        if (avail > MinPanelHeight && need < avail) {
            avail = need;
            state_.GeometryDirty = true;
        }
        SetTitleToMax();
    }
    f.MListPanel.Height = avail;
    if (f.NormalView()) {
        f.Form.Height = avail + 36;
        host_.RefreshWindowRegion();
    }
    f.lbResize.Enabled = need > MinPanelHeight;
}

void TPlaylist::PrepareForNewRow()
{
    if (form_.MList.Count() == (form_.MListPanel.Height - BorderPixels) / RowPixels) {
        SetTitleToMin();
        form_.lbResize.Enabled = true;
    }
}

void TPlaylist::OnSettingChange(int flag)
{
    if (flag != SettingNonClientMetrics)
        return;
    int bar = host_.VerticalScrollBarWidth();
    if (bar < 17)
        bar = 17;
    TListColumn &title = TitleColumn();
    if (title.MaxWidth - bar != title.MinWidth) {
        title.MinWidth = title.MaxWidth - bar;
        if (form_.MList.Count() > (form_.MListPanel.Height - BorderPixels) / RowPixels)
            title.Width = title.MinWidth;
    }
}

}  // namespace quaverly
