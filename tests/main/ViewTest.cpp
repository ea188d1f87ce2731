#include "monitor/EventGrid.h"
#include "monitor/EventGridModel.h"
#include "support/Files.h"
#include "support/LoopbackWindow.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace {

// Waits for a label of the status bar to read `text`.
bool reads(const LoopbackWindow &w, const char *label, const QString &text)
{
    return QTest::qWaitFor([&] { return w.find<QLabel>(label)->text() == text; }, 1000);
}

} // namespace

TEST(View, PauseHoldsTheViewStillLosesNothingAndResumesInOrder)
{
    LoopbackWindow w;
    for (int i = 0; i < 100; ++i)
        w.send({0x90, std::uint8_t(i), 0x40});
    ASSERT_TRUE(w.waitForRows(102));
    w.toggle("mnuPause");
    EXPECT_EQ(w.find<QPushButton>("btnPause")->text(), "&Resume");
    QScrollBar *scroll = w.grid()->verticalScrollBar();
    scroll->setValue(0);
    for (int i = 100; i < 127; ++i)
        w.send({0x90, std::uint8_t(i), 0x40});
    EXPECT_TRUE(reads(w, "lblPaused", "Paused: 27 new rows"));
    EXPECT_EQ(w.gridRows(), 102) << "the view stands still";
    EXPECT_EQ(scroll->value(), 0) << "where the user scrolled to";

    w.find<QPushButton>("btnPause")->click();
    EXPECT_EQ(w.gridRows(), 129) << "resume shows them all at once";
    EXPECT_EQ(scroll->value(), scroll->maximum()) << "and the scroll rule applies again";
    for (int i = 0; i < 127; ++i)
        ASSERT_EQ(w.window->GetMIDIINText(i + 1, 2), QString::asprintf("%02X", i)) << "in order";
    EXPECT_TRUE(w.find<QLabel>("lblPaused")->isHidden());

    w.toggle("mnuPause");
    w.send({0xF8});
    EXPECT_TRUE(reads(w, "lblPaused", "Paused: 1 new rows"));
    w.find<QPushButton>("btnClear")->click();
    w.toggle("mnuPause");
    EXPECT_EQ(w.gridRows(), 2) << "Clear All while paused clears what waits too";
    EXPECT_TRUE(reads(w, "lblRows", "0 rows"));
}

TEST(View, FindsForwardBackwardAndSaysWhenNothingMatches)
{
    LoopbackWindow w;
    for (const std::initializer_list<std::uint8_t> &message :
        {std::initializer_list<std::uint8_t> {0x90, 0x3C, 0x40}, {0xB0, 0x07, 0x64},
            {0x90, 0x3E, 0x40}, {0xF8}})
        w.send(message);
    ASSERT_TRUE(w.waitForRows(6));
    w.toggle("mnuFind");
    auto *text = w.find<QLineEdit>("txtFind");
    ASSERT_TRUE(text->isVisible());
    EXPECT_TRUE(text->hasFocus());
    QTest::keyClicks(text, "note on");
    const auto selectedRow
        = [&] { return w.grid()->selectionModel()->selectedRows().value(0).row(); };
    QTest::keyClick(text, Qt::Key_Return);
    EXPECT_EQ(selectedRow(), 0);
    w.toggle("mnuFindNext");
    EXPECT_EQ(selectedRow(), 2);
    w.toggle("mnuFindPrevious");
    EXPECT_EQ(selectedRow(), 0);
    text->setText("Volume");
    QTest::keyClick(text, Qt::Key_Return);
    EXPECT_EQ(selectedRow(), 1) << "in the details column";
    text->setText("90 3E");
    QTest::keyClick(text, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(selectedRow(), 2) << "across two cells, backward";
    text->setText("F0 7E");
    QTest::keyClick(text, Qt::Key_Return);
    EXPECT_EQ(w.find<QLabel>("lblFindResult")->text(), "Not found");
}

TEST(View, ChoicesSurviveARestartAndLeaveCellsAndLogsAlone)
{
    QTemporaryDir folder;
    QByteArray plainIn, plainInOut;
    {
        LoopbackWindow w;
        w.send({0x90, 0x3C, 0x40});
        w.send({0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
        ASSERT_TRUE(w.waitForRows(4));
        plainIn = w.saveAs("mnuSaveIn", folder.filePath("in.txt"));
        plainInOut = w.saveAs("mnuSaveInOut", folder.filePath("inout.txt"));
        const QString cells = w.row(1) + w.row(2);
        for (const char *choice : {"mnuTimeOfDay", "mnuShowDetails", "mnuMiddleC3"}) {
            w.toggle(choice);
            EXPECT_EQ(w.row(1) + w.row(2), cells) << choice;
            EXPECT_EQ(w.saveAs("mnuSaveIn", folder.filePath("in.txt")), plainIn) << choice;
            EXPECT_EQ(w.saveAs("mnuSaveInOut", folder.filePath("inout.txt")), plainInOut) << choice;
        }
        EXPECT_EQ(w.grid()->model()->columnCount(), 7) << "details hidden";
        w.window->close();
    }
    LoopbackWindow again(LoopbackWindow::Preferences::AsStored);
    EXPECT_TRUE(again.find<QAction>("mnuTimeOfDay")->isChecked());
    EXPECT_FALSE(again.find<QAction>("mnuShowDetails")->isChecked());
    EXPECT_TRUE(again.find<QAction>("mnuMiddleC3")->isChecked());
}

TEST(View, TheDetailsColumnAndTheStatusBarReadTheTraffic)
{
    LoopbackWindow w;
    w.send({0x90, 0x3C, 0x64});
    ASSERT_TRUE(w.waitForRows(3));
    EXPECT_EQ(w.grid()->model()->headerData(7, Qt::Horizontal).toString(), "Details");
    EXPECT_TRUE(reads(w, "lblRows", "1 rows"));
    EXPECT_TRUE(reads(w, "lblRate", "1 msg/s"));
    EXPECT_TRUE(reads(w, "lblDroppedCount", "0 dropped"));

    auto *timing = w.find<QLabel>("lblTiming");
    EXPECT_TRUE(timing->isHidden()) << "no clock, no timing readout";
    w.send({0xFA});
    w.send({0xF8});
    w.send({0xF8});
    EXPECT_TRUE(QTest::qWaitFor([&] { return timing->text().contains(" BPM"); }, 1000));
    EXPECT_TRUE(timing->text().endsWith("Started 1:1:1")) << timing->text().toStdString();
    w.toggle("mnuTimingPanel");
    EXPECT_TRUE(w.find<QWidget>("frmTiming")->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return timing->isHidden(); }, 3000))
        << "the readout goes when the clock stops";

    w.grid()->selectRow(2); // a clock pulse
    w.toggle("mnuIntervalStatistics");
    EXPECT_EQ(w.find<QComboBox>("cboIntervalKind")->currentText(), "Timing Clock");
    w.find<QPushButton>("btnCopyIntervals")->click();
    EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith("Intervals\t1\n"));
}

// A find through millions of rows goes on between the window's other work; a new search or
// Clear All ends it without a word.
TEST(View, ALongFindLetsTheWindowWorkAndCanBeEnded)
{
    QTableView view;
    EventGridModel model;
    EventGrid grid(view, model);
    const std::uint8_t clock[] = {0xF8}, note[] = {0x90, 0x3C, 0x40};
    constexpr std::size_t Rows = 5'000'000;
    for (std::size_t i = 0; i + 1 < Rows; ++i)
        model.store().append(Origin::Received, 0, 0, clock);
    model.store().append(Origin::Received, 0, 0, note);
    grid.showWaitingRows();
    QSignalSpy finished(&grid, &EventGrid::findFinished);

    grid.find("90 3C", RowSearch::Direction::Forward);
    EXPECT_TRUE(grid.isFinding()) << "more than one stretch";
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(finished.takeFirst().front().toBool(), true);
    EXPECT_EQ(view.currentIndex().row(), int(Rows - 1));

    grid.find("no such text", RowSearch::Direction::Backward);
    grid.find("no such text either", RowSearch::Direction::Forward);
    grid.clear();
    EXPECT_FALSE(grid.isFinding());
    EXPECT_FALSE(finished.wait(200)) << "ended searches say nothing";
}
