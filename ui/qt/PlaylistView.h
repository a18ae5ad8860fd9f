#pragma once

#include <QAbstractTableModel>
#include <QTableView>

#include <cstdint>

#include "core/ListViewModel.h"

class QMenu;
class QAction;

namespace quaverly {

// Qt table model over the toolkit-neutral list view state: one row per
// TListItem, four columns (caption, path, seconds, time text). It only reads
// the rows; TPlaylistView tells it when they changed.
class TListViewQtModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TListViewQtModel(TListViewModel &list, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // Rebuilds the Qt side after the rows changed (a model reset).
    void Reset();

private:
    TListViewModel &list_;
};

// The playlist list view `MList`: a report view with hidden headers,
// whole-row multi-selection, black background, green text, the CJK font at
// 12 pixels and 13-pixel rows. The rows live in the TListViewModel; the view
// mirrors them (SyncFromModel) and writes the user's selection back into it.
// User actions come out as signals for the playlist handlers to take.
class TPlaylistView final : public QTableView {
    Q_OBJECT
public:
    static constexpr int RowHeight = 13;
    // RGB(0, 239, 0), the value 61184.
    static constexpr QRgb TextColour = 0xFF00EF00u;

    explicit TPlaylistView(TListViewModel &list, QWidget *parent = nullptr);

    // Mirrors the model into the widget: rows (when their revision or count
    // changed), column widths, selection (when a mark changed), focus row, enabled state, a pending scroll request
    // (consumed) and a pending focus request (consumed).
    void SyncFromModel();

    // The pop-up menu `PopupMenu1` with its one entry `pmDel` ("删除",
    // shortcut Delete). It never pops up by itself.
    QMenu *PopupMenu() const { return popupMenu_; }
    QAction *DeleteAction() const { return pmDel_; }

signals:
    void ItemDoubleClicked();      // MListDblClick
    void RightButtonReleased();    // MListMouseUp with the right button
    void DeleteRequested();        // pmDelClick (the menu entry or the Delete key)
    void SelectionChangedByUser(); // the user changed the selection (already in the model)

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void ApplySelection();
    void TakeSelectionFromWidget();

    TListViewModel &list_;
    TListViewQtModel *model_;
    QMenu *popupMenu_;
    QAction *pmDel_;
    std::uint64_t seenRevision_ = UINT64_MAX;
    int seenCount_ = -1;
    std::uint64_t seenSelection_ = 0;  // TSelectionFlag::Changes() when the selection was last mirrored
    bool syncing_ = false;
};

}  // namespace quaverly
