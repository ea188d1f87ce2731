#include "support/LoopbackWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <gtest/gtest.h>

TEST(Keyboard, TabFollowsTheWindowAndLeavesTheGrid)
{
    LoopbackWindow w;
    w.find<QWidget>("ComboMidiIn")->setFocus();
    const QStringList expected = {"ComboMidiOut", "grdMIDIIn", "txtBoxSend", "btnSend", "chkRepeat",
        "ComboHistory", "btnClear"}; // the rate box shows only for repeating
    QStringList reached;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(reached, expected);
}

TEST(Keyboard, RowsAreSelectedWholeAndCopiedAsShown)
{
    LoopbackWindow w;
    w.send({0x90, 0x3C, 0x40});
    w.send({0xC5, 0x07});
    w.send({0xF0, 0x7E, 0x7F, 0xF7});
    ASSERT_TRUE(w.waitForRows(5));
    QTableView *grid = w.grid();
    const auto centreOf
        = [&](int row) { return grid->visualRect(grid->model()->index(row, 2)).center(); };
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centreOf(0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, centreOf(2));
    ASSERT_EQ(grid->selectionModel()->selectedRows().size(), 2) << "whole rows, two of them";
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
