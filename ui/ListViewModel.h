#pragma once

#include <string>
#include <vector>

namespace quaverly {

// One row of the report-style list view: the caption and its sub-item texts.
// The playlist gives the number of sub-items a meaning (never measured,
// length unknown, length known), so they are kept as a plain list.
struct TListItem {
    std::string Caption;
    std::vector<std::string> SubItems;
    bool Selected = false;
};

struct TListColumn {
    int Width = 0;
    int MinWidth = 0;
    int MaxWidth = 0;
};

// Toolkit-neutral state of the list view `MList`. Handlers change it; the Qt
// layer mirrors it into the real widget after each handler, so the rows live
// here and nowhere else.
struct TListViewModel {
    std::vector<TListItem> Items;
    std::vector<TListColumn> Columns;
    int ItemFocused = -1;        // row with the focus rectangle, -1 for none
    int ScrollRequest = -1;      // row to scroll into view at the next mirror, -1 for none
    bool Enabled = true;
    bool Focused = false;        // keyboard focus requested for the list
    int Revision = 0;            // bumped by every change of Items, so the view knows to refresh

    int Count() const { return int(Items.size()); }
    int SelCount() const
    {
        int n = 0;
        for (const auto &item : Items)
            n += item.Selected ? 1 : 0;
        return n;
    }
    // Index of the first selected row, -1 when none (the list view's Selected).
    int FirstSelected() const
    {
        for (int i = 0; i < Count(); ++i)
            if (Items[size_t(i)].Selected)
                return i;
        return -1;
    }
    void ClearSelection()
    {
        for (auto &item : Items)
            item.Selected = false;
    }
    void Clear()
    {
        Items.clear();
        ItemFocused = -1;
        ++Revision;
    }
};

}  // namespace quaverly
