#include <QAction>
#include <QSignalBlocker>
#include <QSignalSpy>
#include <QFontInfo>
#include <QHeaderView>
#include <QImage>
#include <QMenu>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTest>

#include <algorithm>
#include <tuple>
#include <utility>

#include "PlaylistFixture.h"
#include "ui/qt/PlaylistView.h"

namespace quaverly::test {
namespace {

void StandardColumns(TListViewModel &list)
{
    list.Columns = {{143, 126, 143}, {0, 0, 0}, {0, 0, 0}, {42, 42, 42}};
}

bool RowHasColour(const QImage &image, int top, int bottom, int left, int right, QRgb colour)
{
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
                return true;
    return false;
}

class PlaylistViewWidget : public ::testing::Test {
protected:
    PlaylistViewWidget() : view(list)
    {
        StandardColumns(list);
        view.resize(189, 71);
    }
    void Rows(int n)
    {
        list.Items.clear();
        for (int i = 0; i < n; ++i)
            list.Items.push_back({"Song " + std::to_string(i), {"/m/" + std::to_string(i), "65", "1:05"}, false});
        view.SyncFromModel();
    }
    TListViewModel list;
    TPlaylistView view;
};

TEST_F(PlaylistViewWidget, IsAReportViewWithHiddenHeadersAndThirteenPixelRows)
{
    Rows(3);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_FALSE(view.horizontalHeader()->isVisible());
    EXPECT_FALSE(view.verticalHeader()->isVisible());
    EXPECT_EQ(QAbstractItemView::SelectRows, view.selectionBehavior());
    EXPECT_EQ(QAbstractItemView::ExtendedSelection, view.selectionMode());
    EXPECT_EQ(QAbstractItemView::NoEditTriggers, view.editTriggers());
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ(13, view.rowHeight(r));
    EXPECT_EQ(13, view.visualRect(view.model()->index(1, 0)).top());
    EXPECT_EQ(143, view.columnWidth(0));
    EXPECT_TRUE(view.isColumnHidden(1));
    EXPECT_TRUE(view.isColumnHidden(2));
    EXPECT_EQ(42, view.columnWidth(3));
    EXPECT_EQ(12, view.font().pixelSize());
    const QString family = QFontInfo(view.font()).family();
    EXPECT_TRUE(family.contains("WenQuanYi") || family.contains("Noto Sans CJK")) << family.toStdString();
    EXPECT_EQ("1:05", view.model()->data(view.model()->index(0, 3)).toString().toStdString());
    EXPECT_TRUE(view.model()->data(view.model()->index(0, 3), Qt::TextAlignmentRole).toInt() & Qt::AlignRight);

    // The title column follows the model's width (the narrowing rule).
    list.Columns[0].Width = 126;
    view.SyncFromModel();
    EXPECT_EQ(126, view.columnWidth(0));
}

TEST_F(PlaylistViewWidget, DrawsGreenTextOnBlack)
{
    list.Items = {{"HHHH 中文", {"/m/a", "5", "0:05"}, false}};
    view.SyncFromModel();
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    const QImage image = view.viewport()->grab().toImage();
    EXPECT_TRUE(RowHasColour(image, 0, 13, 0, 80, 0x00EF00)) << "no pixel in the text colour";
    // Below the rows and right of the text the list is black.
    EXPECT_EQ(0x000000u, image.pixel(5, 40) & 0xFFFFFF);
    EXPECT_EQ(0x000000u, image.pixel(120, 6) & 0xFFFFFF);
    // No green below the only row.
    EXPECT_FALSE(RowHasColour(image, 14, image.height(), 0, image.width(), 0x00EF00));
}

TEST_F(PlaylistViewWidget, SelectionIsMirroredBothWays)
{
    Rows(6);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    for (size_t row : {1, 2, 4})
        list.Items.Select(row);
    view.SyncFromModel();
    EXPECT_EQ(3, view.selectionModel()->selectedRows().size());
    EXPECT_TRUE(view.selectionModel()->isRowSelected(4, {}));

    int changes = 0;
    QObject::connect(&view, &TPlaylistView::SelectionChangedByUser, [&] { ++changes; });
    const QPoint row0 = view.visualRect(view.model()->index(0, 0)).center();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, row0);
    EXPECT_EQ(1, list.SelCount());
    EXPECT_TRUE(list.Items[0].Selected);
    const QPoint row3 = view.visualRect(view.model()->index(3, 0)).center();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ControlModifier, row3);
    EXPECT_EQ(2, list.SelCount());
    EXPECT_TRUE(list.Items[3].Selected);
    EXPECT_EQ(3, list.ItemFocused);
    EXPECT_GE(changes, 2);
}

std::vector<int> SelectedRowsOf(const QTableView &view)
{
    std::vector<int> rows;
    for (const QModelIndex &index : view.selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

TEST_F(PlaylistViewWidget, SelectionWrittenAfterTheUsersClickIsNotLeftStale)
{
    Rows(6);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    list.Items.Select(1);
    view.SyncFromModel();
    ASSERT_EQ((std::vector<int>{1}), SelectedRowsOf(view));

    // The user picks row 4; a handler then puts the selection back to row 1
    // by writing the marks directly, as the playback controller does.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier,
                      view.visualRect(view.model()->index(4, 0)).center());
    ASSERT_TRUE(list.Items[4].Selected);
    list.ClearSelection();
    list.Items.Select(1);
    view.SyncFromModel();
    EXPECT_EQ((std::vector<int>{1}), SelectedRowsOf(view));

    // Marks moved with their rows (a sort) without a row-count change.
    std::vector<TListItem> &rows = list.Items.EditAll();
    std::swap(rows[1], rows[5]);
    view.SyncFromModel();
    EXPECT_EQ((std::vector<int>{5}), SelectedRowsOf(view));

    // Rows replaced by the same number of new ones.
    list.Items = {{"n0", {"/n0"}, false}, {"n1", {"/n1"}, false}, {"n2", {"/n2"}, true},
                  {"n3", {"/n3"}, false}, {"n4", {"/n4"}, false}, {"n5", {"/n5"}, false}};
    view.SyncFromModel();
    EXPECT_EQ((std::vector<int>{2}), SelectedRowsOf(view));
}

TEST_F(PlaylistViewWidget, SyncWithoutAChangeLeavesTheWidgetsSelectionAlone)
{
    Rows(5);
    list.Items.Select(0);
    view.SyncFromModel();
    // A selection the widget has but the model was not told of (signals
    // blocked): a sync with nothing changed must not walk the rows and
    // overwrite it; a change in the model must.
    {
        const QSignalBlocker blocker(view.selectionModel());
        view.selectionModel()->select(view.model()->index(3, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    view.SyncFromModel();
    EXPECT_EQ((std::vector<int>{0, 3}), SelectedRowsOf(view));
    list.Items.Select(2);
    view.SyncFromModel();
    EXPECT_EQ((std::vector<int>{0, 2}), SelectedRowsOf(view));
}

TEST_F(PlaylistViewWidget, EventsBecomeSignalsAndTheMenuNeverPopsUpByItself)
{
    Rows(3);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    int doubles = 0, rights = 0, deletes = 0;
    QObject::connect(&view, &TPlaylistView::ItemDoubleClicked, [&] { ++doubles; });
    QObject::connect(&view, &TPlaylistView::RightButtonReleased, [&] { ++rights; });
    QObject::connect(&view, &TPlaylistView::DeleteRequested, [&] { ++deletes; });
    const QPoint row1 = view.visualRect(view.model()->index(1, 0)).center();
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, row1);
    QTest::mouseClick(view.viewport(), Qt::RightButton, Qt::NoModifier, row1);
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_Delete);
    EXPECT_EQ(1, doubles);
    EXPECT_EQ(1, rights);
    EXPECT_EQ(1, deletes);
    EXPECT_EQ(Qt::NoContextMenu, view.contextMenuPolicy());
    ASSERT_EQ(1, view.PopupMenu()->actions().size());
    EXPECT_EQ("删除", view.DeleteAction()->text().toStdString());
    EXPECT_EQ(QKeySequence(Qt::Key_Delete), view.DeleteAction()->shortcut());
    EXPECT_FALSE(view.PopupMenu()->isVisible());
}

TEST_F(PlaylistViewWidget, AHundredThousandRowsScrollWithoutAWidgetPerRow)
{
    Rows(100000);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_EQ(100000, view.model()->rowCount());
    EXPECT_TRUE(view.verticalScrollBar()->isVisible());
    list.ScrollRequest = 99999;
    view.SyncFromModel();
    EXPECT_EQ(-1, list.ScrollRequest);
    QApplication::processEvents();
    const int bottomRow = view.rowAt(view.viewport()->height() - 2);
    EXPECT_GE(bottomRow, 99990);
    EXPECT_LT(view.findChildren<QWidget *>().size(), 40);
    list.Items.Select(99998);
    list.Items.Select(5);
    view.SyncFromModel();
    EXPECT_EQ(2, view.selectionModel()->selectedRows().size());
    // A few rows fit without a scroll bar.
    Rows(4);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !view.verticalScrollBar()->isVisible(); }, 2000));
}

TEST_F(PlaylistViewWidget, ARowWrittenThroughTheModelIsRedrawnAtTheNextMirrorAndASelectionAloneIsNot)
{
    Rows(3);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QSignalSpy resets(view.model(), &QAbstractItemModel::modelReset);
    QSignalSpy changes(view.model(), &QAbstractItemModel::dataChanged);
    const auto told = [&] { return resets.count() + changes.count(); };

    // A duration measured while the row plays, as the controller writes it.
    list.Items.Edit(1).SubItems = {"/m/1", "200", "3:20"};
    view.SyncFromModel();
    EXPECT_GT(told(), 0);
    EXPECT_EQ("3:20", view.model()->data(view.model()->index(1, 3)).toString().toStdString());

    int before = told();
    list.Items.EraseIf([](const TListItem &row) { return row.Caption == "Song 0"; });
    view.SyncFromModel();
    EXPECT_GT(told(), before);
    EXPECT_EQ(2, view.model()->rowCount());

    // Selecting is mirrored without rebuilding the rows.
    before = told();
    list.Items.Select(1);
    view.SyncFromModel();
    EXPECT_EQ(before, told());
    EXPECT_TRUE(view.selectionModel()->isRowSelected(1, {}));
}

// The track and the handle of a scroll bar, where its style puts them.
std::pair<QRect, QRect> TrackAndHandle(QScrollBar *bar)
{
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    option.upsideDown = bar->invertedAppearance();
    QStyle *style = bar->style();
    return {style->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarGroove, bar),
            style->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, bar)};
}

// The rows of the track drawn darker than its lightest row: where a user
// sees the handle.
std::pair<int, int> DarkRowsOfTrack(QScrollBar *bar)
{
    const QImage image = bar->grab().toImage();
    const QRect track = TrackAndHandle(bar).first;
    const int x = track.center().x();
    int lightest = 0;
    for (int y = track.top(); y <= track.bottom(); ++y)
        lightest = std::max(lightest, qGray(image.pixel(x, y)));
    int first = -1, last = -1;
    for (int y = track.top(); y <= track.bottom(); ++y) {
        if (qGray(image.pixel(x, y)) < lightest - 24) {
            first = first < 0 ? y : first;
            last = y;
        }
    }
    return {first, last};
}

TEST_F(PlaylistViewWidget, TheScrollBarShowsItsHandleWhereItIsAndDraggingItUpScrollsUp)
{
    // Eight rows in the 72-pixel panel: the short track of the normal view.
    Rows(8);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QScrollBar *bar = view.verticalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    ASSERT_EQ(0, bar->value());

    // At the top the handle is the dark part at the top of the track.
    auto [track, handle] = TrackAndHandle(bar);
    EXPECT_EQ(track.top(), handle.top());
    auto [first, last] = DarkRowsOfTrack(bar);
    EXPECT_EQ(handle.top(), first);
    EXPECT_EQ(handle.bottom(), last);

    // At the end, the dark part at the bottom.
    QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
    ASSERT_EQ(bar->maximum(), bar->value());
    std::tie(track, handle) = TrackAndHandle(bar);
    EXPECT_EQ(track.bottom(), handle.bottom());
    std::tie(first, last) = DarkRowsOfTrack(bar);
    EXPECT_EQ(handle.top(), first);
    EXPECT_EQ(handle.bottom(), last);

    // Dragging the dark part up scrolls the list up.
    const QPoint grip(handle.center().x(), (first + last) / 2);
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, grip);
    QMouseEvent move(QEvent::MouseMove, QPointF(grip.x(), track.top()), bar->mapToGlobal(QPointF(grip.x(), track.top())),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &move);
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, QPoint(grip.x(), track.top()));
    EXPECT_EQ(0, bar->value());
    EXPECT_EQ(0, view.rowAt(1));
}

// The playlist handlers driving the real view, as the main window wires them.
class PlaylistOnScreen : public PlaylistTest {
protected:
    PlaylistOnScreen() : view(form.MList)
    {
        view.resize(189, 71);
        QObject::connect(&view, &TPlaylistView::DeleteRequested, [this] {
            playlist.pmDelClick();
            view.SyncFromModel();
        });
        QObject::connect(&view, &TPlaylistView::RightButtonReleased, [this] {
            playlist.MListMouseUp(true);
            view.SyncFromModel();
        });
    }
    TPlaylistView view;
};

TEST_F(PlaylistOnScreen, AddThroughTheDialogDeleteWithTheKeyAndSeeTheCredit)
{
    playlist.ShowCredit();
    view.SyncFromModel();
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_EQ(3, view.model()->rowCount());
    EXPECT_EQ(" Quaverly Brindlewick", view.model()->data(view.model()->index(2, 0)).toString().toStdString());
    EXPECT_EQ("制作 ", view.model()->data(view.model()->index(2, 3)).toString().toStdString());
    const QImage credit = view.viewport()->grab().toImage();
    EXPECT_TRUE(RowHasColour(credit, 26, 39, 0, 143, 0x00EF00));
    EXPECT_FALSE(RowHasColour(credit, 0, 26, 0, credit.width(), 0x00EF00));

    dialogs.answers.push_back(std::vector<std::string>{Media("b.mp3"), Media("a.mp3"), Media("c.mp3")});
    QTest::mouseClick(view.viewport(), Qt::RightButton, Qt::NoModifier, QPoint(10, 5));
    ASSERT_EQ(3, view.model()->rowCount());
    EXPECT_EQ("a", view.model()->data(view.model()->index(0, 0)).toString().toStdString());
    EXPECT_TRUE(view.selectionModel()->isRowSelected(1, {}));  // b, the first dialog file

    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier,
                      view.visualRect(view.model()->index(2, 0)).center());
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_Delete);
    ASSERT_EQ(2, view.model()->rowCount());
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), Titles());
    EXPECT_EQ(std::string::npos, ReadBytes(form.State.PlaylistPath).find("c.mp3"));

    QTest::keyClick(&view, Qt::Key_Delete);
    QTest::keyClick(&view, Qt::Key_Delete);
    EXPECT_TRUE(form.CreditShown());
    EXPECT_EQ(3, view.model()->rowCount());
    EXPECT_FALSE(FileThere(folder / "newlist1.m3u"));
}

TEST_F(PlaylistOnScreen, DownAfterDeleteGoesOnFromTheRowThatTookTheDeletedRowsPlace)
{
    dialogs.answers.push_back(std::vector<std::string>{Media("a.mp3"), Media("b.mp3"), Media("c.mp3"), Media("d.mp3")});
    playlist.sbAddClick();
    view.SyncFromModel();
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier,
                      view.visualRect(view.model()->index(1, 0)).center());
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_Delete);
    ASSERT_EQ((std::vector<std::string>{"a", "c", "d"}), Titles());
    EXPECT_TRUE(view.selectionModel()->isRowSelected(1, {}));

    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(2, form.MList.FirstSelected());
    EXPECT_EQ(1, form.MList.SelCount());
    EXPECT_EQ(2, form.MList.ItemFocused);
}

}  // namespace
}  // namespace quaverly::test
