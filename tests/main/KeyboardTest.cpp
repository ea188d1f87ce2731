#include "grid/EventGridModel.h"
#include "support/LoopbackWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

QStringList tabbedFrom(QWidget *start, qsizetype steps)
{
    start->setFocus();
    QStringList reached;
    for (qsizetype i = 0; i < steps; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached << QApplication::focusWidget()->objectName();
    }
    return reached;
}

} // namespace

// Row by row, left to right, as the window reads; the find bar after the grid it searches.
TEST(Keyboard, TabFollowsTheWindowAndLeavesTheGrid)
{
    LoopbackWindow w;
    const QStringList expected = {"ComboMidiOut", "grdMIDIIn", "txtBoxSend", "ComboHistory",
        "btnSend", "chkRepeat", "btnPause", "btnClear"}; // the rate box shows only for repeating
    EXPECT_EQ(tabbedFrom(w.find<QWidget>("ComboMidiIn"), expected.size()), expected);

    w.toggle("mnuFind");
    const QStringList withFindBar
        = {"txtFind", "btnFindNext", "btnFindPrevious", "btnFindClose", "txtBoxSend"};
    EXPECT_EQ(tabbedFrom(w.grid(), withFindBar.size()), withFindBar);
    w.find<QWidget>("txtFind")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(QApplication::focusWidget(), w.grid()) << "Escape goes back to the grid";
    EXPECT_FALSE(w.find<QWidget>("findBar")->isVisible());
}

// Clear All goes back with Ctrl+Z, rows and counts, before the traffic that came since, until
// the next clear.
TEST(Keyboard, ClearAllIsUndoneAfterNewTrafficToo)
{
    LoopbackWindow w;
    const auto &rows = static_cast<EventGridModel *>(w.grid()->model())->store();
    w.toggle("mnuNoteOff");
    w.send({0x80, 1, 2});
    w.send({0x90, 1, 2});
    w.send({0x91, 3, 4});
    ASSERT_TRUE(w.waitForRows(4));
    const QString cleared[] = {w.row(1), w.row(2)};
    const std::int64_t clearedStamps[] = {rows.at(0).stampUs, rows.at(1).stampUs};
    auto *filtered = w.find<QLabel>("lblFilteredCount");
    w.find<QPushButton>("btnClear")->click();
    EXPECT_EQ(w.gridRows(), 2);
    EXPECT_FALSE(filtered->isVisible());
    w.send({0x80, 1, 2});
    w.send({0x92, 5, 6});
    ASSERT_TRUE(w.waitForRows(3));
    w.find<QPlainTextEdit>("txtBoxSend")->insertPlainText("90");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(w.gridRows(), 3) << "the message box's typing goes first";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(w.gridRows(), 5) << "the cleared rows, then the one since";
    EXPECT_EQ(w.row(3).section('\t', 1), "92\t05\t06\t3\tNOTE ON\t");
    for (std::size_t row = 0; row < 2; ++row) {
        EXPECT_EQ(w.row(int(row) + 1), cleared[row]);
        EXPECT_EQ(rows.at(row).stampUs, clearedStamps[row]);
        EXPECT_EQ(rows.sourceName(rows.at(row).source), rows.sourceName(rows.at(2).source));
    }
    EXPECT_LE(rows.at(1).stampUs, rows.at(2).stampUs) << "in the order they came";
    EXPECT_EQ(filtered->text(), "filtered: 2") << "the counts before and since, added";

    // Paused, the rows come back into view while those since go on waiting.
    w.toggle("mnuPause");
    w.find<QPushButton>("btnClear")->click();
    w.send({0x93, 7, 8});
    ASSERT_TRUE(QTest::qWaitFor([&] { return rows.size() == 1; }, 5000));
    QTest::keyClick(w.grid(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(w.gridRows(), 5) << "the three cleared rows shown";
    EXPECT_EQ(rows.size(), 4u) << "and the one since stored after them";
    w.toggle("mnuPause");
    ASSERT_EQ(w.gridRows(), 6);
    EXPECT_EQ(w.row(4).section('\t', 1), "93\t07\t08\t4\tNOTE ON\t");

    w.find<QPushButton>("btnClear")->click();
    w.find<QPushButton>("btnClear")->click();
    QTest::keyClick(w.grid(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(w.gridRows(), 2) << "a second clear ends the chance for the first";
}

TEST(Keyboard, RowsAreSelectedWholeAndCopiedAsShown)
{
    LoopbackWindow w;
    w.send({0x90, 0x3C, 0x40});
    w.send({0xC5, 0x07});
    w.send({0xF0, 0x7E, 0x7F, 0xF7});
    ASSERT_TRUE(w.waitForRows(5));
    EventView *grid = w.grid();
    const auto centreOf = [&](std::size_t row) { return grid->cellRect(row, 2).center(); };
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centreOf(0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, centreOf(2));
    ASSERT_EQ(grid->selection().count(), 2u) << "whole rows, two of them";
    EXPECT_TRUE(grid->hasFocus()) << "a Ctrl+click goes on selecting; the grid keeps the keys";

    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    const QStringList lines = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith("\t90\t3C\t40\t1\tNOTE ON\t\tC4 velocity 64"))
        << lines[0].toStdString();
    EXPECT_TRUE(
        lines[1].contains("\tF0\t\t\t\tSYSTEM EXCLUSIVE\tF0 7E 7F F7 \tUniversal Non-Real-Time"))
        << lines[1].toStdString();
    const auto actions = grid->actions();
    EXPECT_TRUE(std::ranges::any_of(actions, [](QAction *a) { return a->text() == "Copy"; }))
        << "the grid's context menu offers Copy";
}

// Pressed, not read back: a shortcut that another action or a control took would not fire.
TEST(Keyboard, ShortcutsForExitAboutPauseFindAndRescan)
{
    const std::pair<const char *, QKeyCombination> shortcuts[] = {
        {"mnuExit", Qt::CTRL | Qt::Key_Q},
        {"mnuAbout", QKeyCombination(Qt::Key_F1)},
        {"mnuPause", Qt::CTRL | Qt::Key_P},
        {"mnuFind", Qt::CTRL | Qt::Key_F},
        {"mnuFindNext", QKeyCombination(Qt::Key_F3)},
        {"mnuRescan", QKeyCombination(Qt::Key_F5)},
    };
    for (const auto &[item, keys] : shortcuts) {
        LoopbackWindow w;
        QSignalSpy triggered(w.find<QAction>(item), &QAction::triggered);
        QTest::keyClick(w.grid(), keys.key(), keys.keyboardModifiers());
        EXPECT_EQ(triggered.count(), 1) << item;
        EXPECT_TRUE(item != std::string_view("mnuExit") || w.find<QAction>(item)->text() == "Exit")
            << "the caption stays";
    }
}
