#include "grid/EventGrid.h"

#include "capture/CaptureDocument.h"
#include "grid/EventGridModel.h"
#include "grid/EventView.h"
#include "grid/FindBar.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

constexpr std::size_t Chunk = CaptureStore::ChunkRows;

struct NumberedGrid
{
    void add(std::size_t rows, std::vector<std::uint8_t> bytes = {0x90, 0x3C, 0x40})
    {
        for (std::size_t i = 0; i < rows; ++i)
            document.store().append(Origin::Received, 0, next++, bytes);
        document.rowsStored();
        grid.showWaitingRows();
    }

    CaptureDocument document;
    EventGridModel model {document};
    EventView view;
    EventGrid grid {view, model, document};
    std::int64_t next = 0;
};

} // namespace

// The view's place, selection and current row move with their rows, to the top if these went.
TEST(EventGrid, KeepsItsPlaceAndSelectionWhenTheOldestRowsAreDropped)
{
    const std::tuple<std::optional<std::size_t>, std::size_t, std::vector<RowSelection::Range>>
        cases[] = {
            {2 * Chunk + 5, Chunk + 5, {{Chunk + 5, Chunk + 5}}}, // selected, then top, after
            {100, 0, {}}, {std::nullopt, 0, {}}, // following
        };
    for (const auto &[selected, top, selection] : cases) {
        NumberedGrid grid;
        grid.view.resize(600, 400);
        grid.view.show();
        grid.add(3 * Chunk);
        if (selected)
            grid.grid.selectRow(*selected);
        grid.add(10);
        QSignalSpy current(&grid.view, &EventView::currentRowChanged);
        grid.document.setLimit({2 * Chunk, 0});
        EXPECT_EQ(current.count(), selected && top == 0 ? 1 : 0) << "the pane reads the row anew";
        EXPECT_EQ(grid.view.isFollowing(), !selected);
        EXPECT_TRUE(grid.view.isRowVisible(selected ? top : 2 * Chunk + 9));
        EXPECT_EQ(grid.view.currentRow(), selected ? std::optional(top) : std::nullopt);
        EXPECT_EQ(grid.view.selection().ranges(), selection);
    }
}

// A find that reads the rows a stretch at a time goes on over the rows kept, and the row it
// began at moves down with them: a row found after that row is not round the end.
TEST(EventGrid, AFindGoingOnWhenTheOldestRowsAreDroppedFindsItsRowAmongThoseKept)
{
    NumberedGrid grid;
    grid.add(3'000'001);
    grid.grid.selectRow(3'000'000);
    grid.add(2'100'000); // more than a stretch
    grid.add(1, {0xB0, 0x07, 0x64});
    FindBar bar(grid.grid);
    bar.findChild<QLineEdit *>("txtFind")->setText("B0 07 64");
    QSignalSpy finished(&grid.grid, &EventGrid::findFinished);
    bar.findNext();
    ASSERT_TRUE(grid.grid.isFinding());
    grid.document.setLimit({2'600'000, 0}); // more rows than the row found lies after it
    ASSERT_TRUE(finished.count() > 0 || finished.wait(10'000));
    EXPECT_TRUE(finished.front().front().toBool());
    EXPECT_EQ(grid.view.currentRow(), grid.document.rows().size() - 1);
    EXPECT_EQ(bar.findChild<QLabel *>("lblFindResult")->text(), "1 of 1");
}
