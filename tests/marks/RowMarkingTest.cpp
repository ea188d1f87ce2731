#include "capture/CaptureDocument.h"
#include "support/LoopbackWindow.h"


// Ctrl+M marks the selected row with a note, or edits or takes away its mark; F2 and
// Shift+F2 select the marked rows round the ends; the grid shows a Mark column while any
// row is marked.
TEST(RowMarking, MarksTheSelectedRowAndGoesFromMarkToMark)
{
    LoopbackWindow test;
    for (std::uint8_t key = 0x3C; key < 0x41; ++key)
        test.send({0x90, key, 0x40});
    ASSERT_TRUE(test.waitForRows(5 + 2)) << "five rows received";
    const RowMarks &marks = test.window->document().rows().marks();
    EventView &grid = *test.grid();
    EXPECT_EQ(test.find<QAction>("mnuPreviousMark")->shortcut(), QKeySequence("Shift+F2"));

    test.toggle("mnuMarkRow");
    EXPECT_EQ(test.dialogs->beeps, 1) << "no row selected";
    const int columns = grid.model()->columnCount();
    for (const auto &[row, note] : {std::pair(1, QString("reply")), std::pair(3, QString())}) {
        grid.selectRow(row);
        test.dialogs->nextText = note;
        test.toggle("mnuMarkRow");
    }
    EXPECT_EQ(marks.notes(), (RowMarks::Notes {{1, "reply"}, {3, ""}}));
    ASSERT_EQ(grid.model()->columnCount(), columns + 1);
    EXPECT_EQ(grid.model()->index(1, columns).data().toString(), "\u25CF reply");

    for (const auto &[item, row] : {std::pair("mnuNextMark", 1), std::pair("mnuNextMark", 3),
             std::pair("mnuNextMark", 1), std::pair("mnuPreviousMark", 3)}) {
        test.toggle(item);
        EXPECT_EQ(grid.selection().ranges(),
            (std::vector<RowSelection::Range> {{std::size_t(row), std::size_t(row)}}))
            << item;
        EXPECT_EQ(grid.currentRow(), std::size_t(row)) << item;
    }

    test.dialogs->nextChoice = 0; // Edit Note, on row 3 where the last step left
    test.dialogs->nextText = "edited";
    test.toggle("mnuMarkRow");
    EXPECT_EQ(marks.noteAt(3), "edited");
    test.dialogs->nextChoice = 1; // Remove Mark
    test.toggle("mnuMarkRow");
    grid.selectRow(1);
    test.toggle("mnuMarkRow");
    EXPECT_TRUE(marks.empty());
    EXPECT_EQ(grid.model()->columnCount(), columns) << "the Mark column goes with the last mark";
    test.toggle("mnuNextMark");
    EXPECT_EQ(test.dialogs->beeps, 2) << "no mark to go to";
}
