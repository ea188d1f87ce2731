#include "grid/EventGrid.h"
#include "grid/EventGridModel.h"
#include "support/Files.h"
#include "support/LoopbackWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolTip>

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
    const auto selectedRow = [&] { return w.grid()->selection().ranges().front().first; };
    const auto *result = w.find<QLabel>("lblFindResult");
    // Where a step of the find lands: the row selected, and what the bar says of it.
    const auto after = [&](const char *step) {
        w.toggle(step);
        return QString::number(selectedRow()) + ": " + result->text();
    };
    QTest::keyClick(text, Qt::Key_Return);
    EXPECT_EQ(selectedRow(), 0);
    EXPECT_EQ(result->text(), "1 of 2");
    EXPECT_EQ(after("mnuFindNext"), "2: 2 of 2");
    EXPECT_EQ(after("mnuFindPrevious"), "0: 1 of 2");
    EXPECT_EQ(after("mnuFindPrevious"), "2: 2 of 2, wrapped to the bottom");
    EXPECT_EQ(after("mnuFindNext"), "0: 1 of 2, wrapped to the top");
    text->setText("Volume");
    QTest::keyClick(text, Qt::Key_Return);
    EXPECT_EQ(selectedRow(), 1) << "in the details column";
    text->setText("90 3E");
    QTest::keyClick(text, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(selectedRow(), 2) << "across two cells, backward";
    text->setText("F0 7E");
    QTest::keyClick(text, Qt::Key_Return);
    EXPECT_EQ(result->text(), "Not found");
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
        for (const char *choice :
            {"mnuTimeOfDay", "mnuShowDetails", "mnuMiddleC3", "mnuColourByKind"}) {
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
    EXPECT_FALSE(again.find<QAction>("mnuColourByKind")->isChecked());
}

// At the designed size with Details on, every cell reads whole and both wide columns are in
// view; a cell cut by a narrower column ends in an ellipsis and tells its text in a tooltip.
TEST(View, ColumnsFitTheirTextAndRowsAreTintedByKind)
{
    LoopbackWindow w;
    w.send({0xA0, 0x3C, 0x40}); // the longest event name
    w.send({0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7});
    w.send({0xB0, 0x07, 0x64});
    ASSERT_TRUE(w.waitForRows(5));
    EventView *grid = w.grid();
    const QFontMetrics metrics = grid->fontMetrics();
    for (const char *time : {"mnuTimeSinceStart", "mnuTimeOfDay", "mnuTimeSeconds"}) {
        w.toggle(time);
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 6; ++column) {
                const QString text = grid->model()->index(row, column).data().toString();
                EXPECT_GT(grid->columnWidth(column), metrics.horizontalAdvance(text))
                    << time << " " << text.toStdString();
            }
    }
    QHeaderView *header = grid->horizontalHeader();
    EXPECT_LE(
        header->sectionViewportPosition(7) + header->sectionSize(7), grid->viewport()->width())
        << "Details in view";
    EXPECT_GE(header->sectionSize(6), metrics.averageCharWidth() * 12) << "and SysEx Data beside";
    EXPECT_FALSE(grid->horizontalScrollBar()->isVisible());

    const QString words = grid->model()->index(1, 7).data().toString();
    header->resizeSection(7, metrics.horizontalAdvance(words) / 2);
    const QPoint details = grid->cellRect(1, 7).center();
    QHelpEvent hover(QEvent::ToolTip, details, grid->viewport()->mapToGlobal(details));
    QApplication::sendEvent(grid->viewport(), &hover);
    EXPECT_EQ(QToolTip::text(), words);

    const auto tint
        = [&](int row) { return grid->model()->index(row, 0).data(Qt::BackgroundRole); };
    EXPECT_NE(tint(0).value<QBrush>().color(), tint(1).value<QBrush>().color());
    EXPECT_NE(tint(1).value<QBrush>().color(), tint(2).value<QBrush>().color());
    w.toggle("mnuColourByKind");
    EXPECT_FALSE(tint(0).isValid()) << "the theme's own colours";

    // Without Details, the Source column stands in its place and is fitted to its names.
    w.toggle("mnuShowDetails");
    w.toggle("mnuShowSource");
    EXPECT_EQ(grid->model()->headerData(7, Qt::Horizontal).toString(), "Source");
    EXPECT_GT(header->sectionSize(7),
        metrics.horizontalAdvance(grid->model()->index(0, 7).data().toString()));
    EXPECT_LT(header->sectionSize(7), grid->viewport()->width() / 3) << "it does not stretch";
    EXPECT_EQ(
        header->sectionViewportPosition(6) + header->sectionSize(6), grid->viewport()->width())
        << "SysEx Data takes the rest";
}

// The window's place, the widths the user gave columns and each dialog's folder come back at
// the next start; Fit Columns lets the widths go.
TEST(View, TheWindowColumnWidthsAndFoldersComeBack)
{
    QTemporaryDir folder;
    const QRect place(5, 60, 790, 520); // the offscreen screen is 800 x 600
    {
        LoopbackWindow w;
        w.window->setGeometry(place);
        QHeaderView *header = w.grid()->horizontalHeader();
        QTest::mousePress(header->viewport(), Qt::LeftButton);
        header->resizeSection(0, 150); // as a drag of the edge does
        QTest::mouseRelease(header->viewport(), Qt::LeftButton);
        w.saveAs("mnuExportCsv", folder.filePath("grid.csv"));
        w.window->close();
    }
    {
        LoopbackWindow w(LoopbackWindow::Preferences::AsStored);
        EXPECT_EQ(w.window->geometry(), place);
        EXPECT_EQ(w.grid()->columnWidth(0), 150);
        w.toggle("mnuTimeOfDay");
        EXPECT_EQ(w.grid()->columnWidth(0), 150) << "a width the user set wins";
        w.saveAs("mnuExportCsv", folder.filePath("again.csv"));
        EXPECT_EQ(QFileInfo(w.dialogs->askedFolders.back()).absolutePath(), folder.path());
        w.toggle("mnuFitColumns");
        EXPECT_NE(w.grid()->columnWidth(0), 150);
        w.window->showMaximized();
        w.window->close();
    }
    LoopbackWindow w(LoopbackWindow::Preferences::AsStored);
    EXPECT_TRUE(w.window->isMaximized());
    EXPECT_NE(w.grid()->columnWidth(0), 150) << "fitted again, and so saved";
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
    for (const std::uint8_t realTime : {0xFA, 0xF8, 0xF8}) // Start, then two clock pulses
        w.send({realTime});
    // Two pulses sent at once make no tempo that can be; the transport shows all the same.
    EXPECT_TRUE(QTest::qWaitFor([&] { return timing->text().endsWith("Started 1:1:1"); }, 1000))
        << timing->text().toStdString();
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
    EventView view;
    CaptureDocument document;
    EventGridModel model(document);
    EventGrid grid(view, model, document);
    const std::uint8_t clock[] = {0xF8}, note[] = {0x90, 0x3C, 0x40};
    constexpr std::size_t Rows = 5'000'000;
    for (std::size_t i = 0; i + 1 < Rows; ++i)
        document.store().append(Origin::Received, 0, 0, clock);
    document.store().append(Origin::Received, 0, 0, note);
    grid.showWaitingRows();
    QSignalSpy finished(&grid, &EventGrid::findFinished);

    grid.find("90 3C", RowSearch::Direction::Forward);
    EXPECT_TRUE(grid.isFinding()) << "more than one stretch";
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(finished.takeFirst().front().toBool(), true);
    EXPECT_EQ(view.currentRow(), Rows - 1);

    grid.find("no such text", RowSearch::Direction::Backward);
    grid.find("no such text either", RowSearch::Direction::Forward);
    document.clear();
    EXPECT_FALSE(grid.isFinding());
    EXPECT_FALSE(finished.wait(200)) << "ended searches say nothing";
}
