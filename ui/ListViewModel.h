#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

namespace quaverly {

// The selection mark of a row, used as a bool. Every construction of a mark
// and every write that changes one counts in a process-wide change number,
// so a view can tell at a glance whether any selection may have changed since
// it last looked, whoever wrote it (the playlist, the playback controller,
// the view itself) and without each writer having to report it. A change in
// some other list only costs that view one needless walk.
class TSelectionFlag {
public:
    // noexcept, so that a vector of rows moves them when it grows.
    TSelectionFlag(bool on = false) noexcept : on_(on) { Touch(); }
    TSelectionFlag(const TSelectionFlag &other) noexcept : on_(other.on_) { Touch(); }
    TSelectionFlag &operator=(const TSelectionFlag &other) noexcept { return *this = other.on_; }
    TSelectionFlag &operator=(bool on) noexcept
    {
        if (on_ != on) {
            on_ = on;
            Touch();
        }
        return *this;
    }
    operator bool() const noexcept { return on_; }

    // Grows with every change of any mark; compare it with an earlier value.
    static std::uint64_t Changes() { return changes_.load(std::memory_order_relaxed); }

private:
    static void Touch() noexcept { changes_.fetch_add(1, std::memory_order_relaxed); }
    bool on_;
    static inline std::atomic<std::uint64_t> changes_{0};
};

// One row of the report-style list view: the caption and its sub-item texts.
// The playlist gives the number of sub-items a meaning (never measured,
// length unknown, length known), so they are kept as a plain list.
struct TListItem {
    std::string Caption;
    std::vector<std::string> SubItems;
    TSelectionFlag Selected = false;
};

static_assert(std::is_nothrow_move_constructible_v<TListItem> && std::is_nothrow_move_assignable_v<TListItem>);

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
    // Selection marks need no such bump: TSelectionFlag counts their changes.

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
