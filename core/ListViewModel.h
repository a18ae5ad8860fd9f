#pragma once

#include <atomic>
#include <cstddef>
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

// The rows of the list view. Reading is free; every change of a row goes
// through a method that marks the rows for refresh, so a view that mirrors
// them sees the change at its next look, whoever made it, and no writer has
// to remember to report it. Selection marks alone change without that mark
// (TSelectionFlag counts them), so selecting never rebuilds the rows.
class TListRows {
public:
    TListRows() = default;
    TListRows &operator=(std::vector<TListItem> rows)
    {
        rows_ = std::move(rows);
        Touch();
        return *this;
    }

    std::size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    const TListItem &operator[](std::size_t i) const { return rows_[i]; }
    const TListItem &back() const { return rows_.back(); }
    std::vector<TListItem>::const_iterator begin() const { return rows_.begin(); }
    std::vector<TListItem>::const_iterator end() const { return rows_.end(); }
    const std::vector<TListItem> &All() const { return rows_; }

    // Changes; each marks the rows for refresh.
    void push_back(TListItem row)
    {
        rows_.push_back(std::move(row));
        Touch();
    }
    void clear()
    {
        rows_.clear();
        Touch();
    }
    void reserve(std::size_t n) { rows_.reserve(n); }
    // Row i to change in place (its caption or sub-items, a measured duration).
    TListItem &Edit(std::size_t i)
    {
        Touch();
        return rows_[i];
    }
    // Every row, for changes of many at once (sorting).
    std::vector<TListItem> &EditAll()
    {
        Touch();
        return rows_;
    }
    template <class Pred>
    std::size_t EraseIf(Pred pred)
    {
        const std::size_t n = std::erase_if(rows_, pred);
        if (n > 0)
            Touch();
        return n;
    }
    // A selection mark alone.
    void Select(std::size_t i, bool on = true) { rows_[i].Selected = on; }

    // Grows with every change of the rows; compare it with an earlier value.
    std::uint64_t Revision() const { return revision_; }

private:
    void Touch() { ++revision_; }
    std::vector<TListItem> rows_;
    std::uint64_t revision_ = 0;
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
    TListRows Items;
    std::vector<TListColumn> Columns;
    int ItemFocused = -1;        // row with the focus rectangle, -1 for none
    int ScrollRequest = -1;      // row to scroll into view at the next mirror, -1 for none
    bool Enabled = true;
    bool Focused = false;        // keyboard focus requested for the list

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
        for (std::size_t i = 0; i < Items.size(); ++i)
            Items.Select(i, false);
    }
    void Clear()
    {
        Items.clear();
        ItemFocused = -1;
    }
};

}  // namespace quaverly
