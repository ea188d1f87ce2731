#include "grid/EventView.h"

#include "capture/CaptureDocument.h"
#include "support/RepeatedRows.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

namespace {

constexpr std::size_t Billion = 1'000'000'000;

// A view of 600 x 400 over rows that repeat a note, a controller and a long SysEx dump.
struct BillionRows
{
    BillionRows()
    {
        const std::uint8_t note[] = {0x90, 0x3C, 0x40}, control[] = {0xB0, 0x07, 0x64};
        std::vector<std::uint8_t> dump(200, 0x11);
        dump.front() = 0xF0;
        dump.back() = 0xF7;
        for (std::span<const std::uint8_t> bytes : {std::span<const std::uint8_t>(note),
                 std::span<const std::uint8_t>(control), std::span<const std::uint8_t>(dump)})
            document.store().append(Origin::Received, 0, 0, bytes);
        model.commit();
        view.setRows(rows);
        view.resize(600, 400);
        view.show();
    }

    QPoint centreOf(std::size_t row, int column = 1) const
    {
        return view.cellRect(row, column).center();
    }

    CaptureDocument document;
    EventGridModel model {document};
    RepeatedRows rows {model, Billion};
    EventView view;
};

} // namespace

// A billion rows scroll end to end, by bar, keys and mouse, and a selection of all of them
// is one range.
TEST(EventView, ABillionRowsScrollEndToEndAndSelectAsOne)
{
    BillionRows grid;
    EventView &view = grid.view;
    QScrollBar *bar = view.verticalScrollBar();
    EXPECT_TRUE(view.isRowVisible(Billion - 1)) << "following the newest row";
    EXPECT_EQ(bar->value(), bar->maximum());

    QTest::keyClick(&view, Qt::Key_Home);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_FALSE(view.isFollowing());
    EXPECT_EQ(view.currentRow(), 0u);
    QTest::keyClick(&view, Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(view.selection().count(), Billion);
    EXPECT_EQ(view.selection().ranges().size(), 1u);
    EXPECT_TRUE(view.isFollowing()) << "End follows again";

    bar->setValue(bar->maximum() / 2);
    const std::size_t middle = view.topRow();
    EXPECT_NEAR(double(middle), Billion / 2.0, Billion / 1000.0);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, grid.centreOf(middle + 3));
    EXPECT_EQ(view.currentRow(), middle + 3) << "the row under the pointer, not a step away";
    QTest::keyClick(&view, Qt::Key_PageDown, Qt::ShiftModifier);
    EXPECT_EQ(view.selection().ranges().front().first, middle + 3);
    EXPECT_GT(view.selection().count(), 10u);

    const std::size_t reading = view.topRow();
    grid.rows.add(30);
    view.rowsAdded();
    EXPECT_EQ(view.topRow(), reading) << "new rows leave what is read in place";
    EXPECT_EQ(view.unseenRows(), 30u);
}

// While the view follows, rows that do not move the thumb leave the bar unpainted; a use of
// the bar then starts from the newest rows, not from where the bar was last painted.
TEST(EventView, ABarThatStayedPutWhileFollowingIsUsedFromTheNewestRows)
{
    for (const Qt::Key key : {Qt::Key_PageUp, Qt::Key_Up}) {
        BillionRows grid;
        EventView &view = grid.view;
        QScrollBar *bar = view.verticalScrollBar();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        QCoreApplication::processEvents(); // the bar painted as it stands
        grid.rows.add(5'000);
        view.rowsAdded();
        ASSERT_TRUE(view.isRowVisible(Billion + 4'999)) << "following";
        const std::size_t newestTop = view.topRow();
        QTest::keyClick(bar, key);
        EXPECT_FALSE(view.isFollowing());
        const std::size_t step = key == Qt::Key_Up ? 1 : std::size_t(bar->pageStep());
        EXPECT_EQ(view.topRow(), newestTop - step) << "a step up from the newest rows";
    }
}

TEST(EventView, ClicksSelectAsInAnyListAndCutCellsShowTheirText)
{
    BillionRows grid;
    EventView &view = grid.view;
    const std::size_t top = view.topRow();
    const auto click = [&](std::size_t row, Qt::KeyboardModifiers keys = {}) {
        QTest::mouseClick(view.viewport(), Qt::LeftButton, keys, grid.centreOf(top + row));
    };
    using Ranges = std::vector<RowSelection::Range>;
    const auto selected = [&](const Ranges &offsets) {
        Ranges rows;
        for (const auto &range : offsets)
            rows.push_back({top + range.first, top + range.last});
        return rows;
    };
    click(2);
    click(5, Qt::ShiftModifier);
    EXPECT_EQ(view.selection().ranges(), selected({{2, 5}})) << "Shift reaches from the anchor";
    click(8, Qt::ControlModifier);
    click(3, Qt::ControlModifier);
    EXPECT_EQ(view.selection().ranges(), selected({{2, 2}, {4, 5}, {8, 8}})) << "Ctrl toggles";
    click(6);
    EXPECT_EQ(view.selection().ranges(), selected({{6, 6}})) << "a plain click, one row";

    const std::size_t dump = top + 2 - (top + 2) % 3 + 2; // a row of the SysEx dump
    view.horizontalHeader()->resizeSection(6, 40);
    const QPoint cell = grid.centreOf(dump, 6);
    QHelpEvent hover(QEvent::ToolTip, cell, view.viewport()->mapToGlobal(cell));
    QApplication::sendEvent(view.viewport(), &hover);
    EXPECT_EQ(QToolTip::text(), grid.rows.cell(dump, 6, Qt::DisplayRole).toString());
    EXPECT_TRUE(QToolTip::text().endsWith("(200 bytes)"));
}
