#include "ui/qt/PlaylistView.h"

#include <QAction>
#include <QHeaderView>
#include <QItemSelection>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QStyledItemDelegate>

namespace quaverly {

namespace {
constexpr int kColumns = 4;
constexpr int kTimeColumn = 3;

QString TextOf(const std::string &bytes) { return QString::fromUtf8(bytes.data(), qsizetype(bytes.size())); }

// Rows are drawn as plain text on the list's black: the style's focus fill of
// the current cell would hide the text colour, so only selection is shown.
class TPlainRowDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem plain(option);
        plain.state &= ~QStyle::State_HasFocus;
        QStyledItemDelegate::paint(painter, plain, index);
    }
};
// The list's scroll bar with a plain light track and a darker, raised
// handle. In a track as short as the 72-pixel panel gives, the style's own
// light handle and its darker, outlined rest of the track read the other way
// round: the rest looked like the handle, so the bar seemed to run upside
// down and dragging "it" scrolled the wrong way.
class TListScrollBarStyle final : public QProxyStyle {
public:
    static constexpr QRgb TrackColour = 0xFFF0F0F0u;
    static constexpr QRgb HandleColour = 0xFFA8A8A8u;
    static constexpr QRgb HandleEdgeColour = 0xFF686868u;

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                            const QWidget *widget) const override
    {
        const auto *bar = qstyleoption_cast<const QStyleOptionSlider *>(option);
        if (control != CC_ScrollBar || !bar) {
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            return;
        }
        // The arrows as the style draws them; the track and the handle here.
        QStyleOptionSlider arrows(*bar);
        arrows.subControls = bar->subControls & (SC_ScrollBarAddLine | SC_ScrollBarSubLine);
        QProxyStyle::drawComplexControl(control, &arrows, painter, widget);
        painter->fillRect(subControlRect(control, bar, SC_ScrollBarGroove, widget), QColor::fromRgb(TrackColour));
        const QRect handle = subControlRect(control, bar, SC_ScrollBarSlider, widget);
        if ((bar->subControls & SC_ScrollBarSlider) && handle.isValid() && bar->maximum > bar->minimum) {
            painter->fillRect(handle, QColor::fromRgb(HandleEdgeColour));
            painter->fillRect(handle.adjusted(1, 1, -1, -1), QColor::fromRgb(HandleColour));
        }
    }
};
}  // namespace

TListViewQtModel::TListViewQtModel(TListViewModel &list, QObject *parent) : QAbstractTableModel(parent), list_(list) {}

int TListViewQtModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : list_.Count();
}

int TListViewQtModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant TListViewQtModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= list_.Count())
        return {};
    const TListItem &item = list_.Items[size_t(index.row())];
    if (role == Qt::DisplayRole) {
        if (index.column() == 0)
            return TextOf(item.Caption);
        const size_t sub = size_t(index.column() - 1);
        return sub < item.SubItems.size() ? TextOf(item.SubItems[sub]) : QString();
    }
    if (role == Qt::TextAlignmentRole)
        return int((index.column() == kTimeColumn ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    return {};
}

void TListViewQtModel::Reset()
{
    beginResetModel();
    endResetModel();
}

TPlaylistView::TPlaylistView(TListViewModel &list, QWidget *parent)
    : QTableView(parent), list_(list), model_(new TListViewQtModel(list, this))
{
    setModel(model_);
    setItemDelegate(new TPlainRowDelegate(this));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(RowHeight);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSectionsClickable(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The style object lives as long as the view, which outlives its bar.
    auto *barStyle = new TListScrollBarStyle;
    barStyle->setParent(this);
    verticalScrollBar()->setStyle(barStyle);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setContextMenuPolicy(Qt::NoContextMenu);

    QFont font;
    font.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(12);
    setFont(font);

    QPalette pal = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Base, Qt::black);
        pal.setColor(group, QPalette::Window, Qt::black);
        pal.setColor(group, QPalette::Text, QColor::fromRgb(TextColour));
    }
    setPalette(pal);
    setAutoFillBackground(true);

    popupMenu_ = new QMenu(this);
    pmDel_ = popupMenu_->addAction(QStringLiteral("删除"));
    pmDel_->setShortcut(QKeySequence(Qt::Key_Delete));
    pmDel_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(pmDel_);
    connect(pmDel_, &QAction::triggered, this, &TPlaylistView::DeleteRequested);

    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (syncing_)
            return;
        TakeSelectionFromWidget();
        emit SelectionChangedByUser();
    });
    SyncFromModel();
}

void TPlaylistView::SyncFromModel()
{
    syncing_ = true;
    // The main window syncs after every event, mouse moves included: rows
    // and selection are mirrored only when they changed, so that an event
    // costs nothing per row.
    const bool rowsChanged = seenRevision_ != list_.Items.Revision() || seenCount_ != list_.Count();
    if (rowsChanged) {
        model_->Reset();
        seenRevision_ = list_.Items.Revision();
        seenCount_ = list_.Count();
    }
    for (int c = 0; c < kColumns; ++c) {
        const int width = c < int(list_.Columns.size()) ? list_.Columns[size_t(c)].Width : 0;
        setColumnHidden(c, width <= 0);
        if (width > 0)
            setColumnWidth(c, width);
    }
    if (rowsChanged || seenSelection_ != TSelectionFlag::Changes()) {
        ApplySelection();
        seenSelection_ = TSelectionFlag::Changes();
    }
    if (list_.ItemFocused >= 0 && list_.ItemFocused < list_.Count())
        selectionModel()->setCurrentIndex(model_->index(list_.ItemFocused, 0), QItemSelectionModel::NoUpdate);
    setEnabled(list_.Enabled);
    if (list_.ScrollRequest >= 0) {
        if (list_.ScrollRequest < list_.Count())
            scrollTo(model_->index(list_.ScrollRequest, 0), QAbstractItemView::EnsureVisible);
        list_.ScrollRequest = -1;
    }
    if (list_.Focused) {
        setFocus(Qt::OtherFocusReason);
        list_.Focused = false;
    }
    syncing_ = false;
}

// The selection as runs of consecutive rows, so that a long list costs one
// walk and a few ranges rather than one selection call per row.
void TPlaylistView::ApplySelection()
{
    QItemSelection selection;
    const int count = list_.Count();
    for (int row = 0; row < count;) {
        if (!list_.Items[size_t(row)].Selected) {
            ++row;
            continue;
        }
        int end = row;
        while (end + 1 < count && list_.Items[size_t(end + 1)].Selected)
            ++end;
        selection.select(model_->index(row, 0), model_->index(end, kColumns - 1));
        row = end + 1;
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void TPlaylistView::TakeSelectionFromWidget()
{
    list_.ClearSelection();
    const QItemSelection selection = selectionModel()->selection();
    for (const QItemSelectionRange &range : selection)
        for (int row = range.top(); row <= range.bottom(); ++row)
            if (row >= 0 && row < list_.Count())
                list_.Items.Select(size_t(row));
    const QModelIndex current = selectionModel()->currentIndex();
    list_.ItemFocused = current.isValid() ? current.row() : -1;
    // The widget shows this selection already.
    seenSelection_ = TSelectionFlag::Changes();
}

void TPlaylistView::mouseReleaseEvent(QMouseEvent *event)
{
    QTableView::mouseReleaseEvent(event);
    if (event->button() == Qt::RightButton)
        emit RightButtonReleased();
}

void TPlaylistView::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit ItemDoubleClicked();
}

}  // namespace quaverly
