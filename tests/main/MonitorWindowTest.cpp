#include "support/Files.h"
#include "support/LoopbackWindow.h"
#include "support/ScriptedBackend.h"

#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QToolButton>
#include <gtest/gtest.h>

TEST(MonitorWindow, WaitingMessagesBecomeRowsInArrivalOrderAboveTheEmptyRow)
{
    LoopbackWindow w;
    QSignalSpy waiting(&w.window->MIDIInput1(), &MIDIInput::MessagesWaiting);
    const QByteArray bigSysEx = sysExOf(64 * 1024);
    w.send({0x9C, 0x3C, 0x40});
    w.send({0x9C, 0x3C, 0x00});
    w.send({0xB0, 0x7B, 0x00});
    w.send({0xC5, 0x07});
    w.send(bigSysEx);
    ASSERT_TRUE(w.waitForRows(7));
    EXPECT_EQ(waiting.count(), 1) << "one notification for the burst";
    EXPECT_EQ(w.window->MIDIInput1().MessageCount(), 0);
    EXPECT_TRUE(w.row(1).endsWith("\t9C\t3C\t40\t13\tNOTE ON\t"));
    EXPECT_TRUE(w.row(4).endsWith("\tC5\t07\t\t6\tPROGRAM CHANGE\t")) << "in arrival order";
    EXPECT_EQ(
        w.window->GetMIDIINText(5, 6), QString::fromLatin1(bigSysEx.toHex(' ').toUpper() + ' '))
        << "the SysEx byte for byte";
    EXPECT_EQ(w.row(6), "\t\t\t\t\t\t") << "the empty last row";
    EXPECT_EQ(w.window->GetMIDIINText(0, 6), "SysEx Data") << "row 0 is the header";
}

// What the queue turned away is the dump test's; Clear All here empties the grid and the box.
TEST(MonitorWindow, ClickingARowFillsTheMessageBoxAndClearAllEmptiesBoth)
{
    LoopbackWindow w;
    w.send({0x90, 0x3C, 0x40});
    w.send({0xC5, 0x07});
    w.send({0xF0, 0x7E, 0xF7});
    ASSERT_TRUE(w.waitForRows(5));
    w.window->AddGridRow({Origin::Sent, QByteArray("\x90\x3C\x40")});
    w.window->AddGridRow({});
    auto *box = w.find<QPlainTextEdit>("txtBoxSend");

    const std::pair<int, QString> cases[] = {
        {1, "90 3C 40"}, // a channel message
        {2, "C5 07 "}, // one data byte keeps its trailing space
        {3, "F0 7E F7 "}, // SysEx: the byte list
        {4, "90 3C 40"}, // a sent row reads like a received one
        {5, "  "}, // a failed send has no status
        {6, "  "}, // the empty last row
    };
    for (const auto &[row, text] : cases) {
        EventView *grid = w.grid();
        grid->scrollToRow(std::size_t(row - 1));
        QTest::mouseClick(
            grid->viewport(), Qt::LeftButton, {}, grid->cellRect(std::size_t(row - 1), 0).center());
        EXPECT_EQ(box->toPlainText(), text) << "row " << row;
        EXPECT_TRUE(box->hasFocus());
        EXPECT_EQ(grid->currentColumn(), text.startsWith("F0") ? 6 : 3)
            << "reading the cells leaves the last one current";
    }

    box->setPlainText("90 3C 40");
    w.find<QPushButton>("btnClear")->click();
    EXPECT_EQ(w.gridRows(), 2);
    EXPECT_EQ(box->toPlainText(), "");
    EXPECT_EQ(w.window->GetMIDIINText(0, 0), "Timestamp") << "the header stays";
    w.send({0x90, 0x3C, 0x40});
    ASSERT_TRUE(w.waitForRows(3));
    EXPECT_EQ(w.window->GetMIDIINText(1, 1), "90") << "the next message is row 1 again";
}

// The newest rows stay in view until the user reads: scrolling up, clicking a row or finding
// one leaves the view where it is as rows come, and a button counts them; it, or End, follows
// again.
TEST(MonitorWindow, RowsReachTheViewAtTheScreensPaceAndAreFollowedUntilTheUserReads)
{
    LoopbackWindow w;
    EventView *grid = w.grid();
    QScrollBar *scroll = grid->verticalScrollBar();
    for (int i = 0; i < 200; ++i)
        w.window->AddGridRow({Origin::Sent, QByteArray("\xF8")});
    EXPECT_EQ(w.gridRows(), 2) << "the rows wait for the next frame, not one view update a row";
    ASSERT_TRUE(w.waitForRows(202));
    ASSERT_GT(scroll->maximum(), 0);
    EXPECT_EQ(scroll->value(), scroll->maximum()) << "the newest row in view";

    auto *newRows = w.find<QToolButton>("btnNewRows");
    const auto sendAndWait = [&](int rows) {
        w.send({0xFE});
        ASSERT_TRUE(w.waitForRows(rows));
    };
    scroll->setValue(0);
    sendAndWait(203);
    EXPECT_EQ(scroll->value(), 0) << "scrolled up: what is read stays";
    EXPECT_EQ(newRows->text(), "1 new row \u2193");
    ASSERT_FALSE(newRows->isHidden());
    newRows->click();
    EXPECT_EQ(scroll->value(), scroll->maximum());
    EXPECT_TRUE(newRows->isHidden());

    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->cellRect(190, 0).center());
    const int reading = scroll->value();
    sendAndWait(204);
    sendAndWait(205);
    EXPECT_EQ(scroll->value(), reading) << "a row clicked stays where it was";
    EXPECT_EQ(newRows->text(), "2 new rows \u2193");
    QTest::keyClick(grid, Qt::Key_End);
    sendAndWait(206);
    EXPECT_EQ(scroll->value(), scroll->maximum()) << "End follows again";
    EXPECT_EQ(grid->currentRow(), 203u) << "End goes to the last row, the empty one";
}

TEST(MonitorWindow, FilterMenuTogglesTakesEffectOnTheNextMessageAndHidesADeliveredSysEx)
{
    LoopbackWindow w;
    auto *notice = w.find<QLabel>("lblFilter");
    EXPECT_FALSE(notice->isVisible());

    w.toggle("mnu0"); // channel 1
    EXPECT_TRUE(w.find<QAction>("mnu0")->isChecked());
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->text(), "Note: Data Filter is ON");
    w.send({0x90, 1, 2});
    w.send({0x91, 1, 2});
    ASSERT_TRUE(w.waitForRows(3));
    EXPECT_EQ(w.window->GetMIDIINText(1, 1), "91");
    auto *filtered = w.find<QLabel>("lblFilteredCount");
    EXPECT_TRUE(QTest::qWaitFor([&] { return filtered->isVisible(); }, 2000));
    EXPECT_EQ(filtered->text(), "filtered: 1") << "what the filter kept out is counted";
    EXPECT_FALSE(w.find<QAction>("mnuFilterNote")->isEnabled());

    // A check box toggles and the menu stays open for the next.
    QMenu *channels = w.find<QMenu>("mnuChannels");
    channels->popup({0, 0});
    ASSERT_TRUE(QTest::qWaitForWindowExposed(channels));
    QTest::mouseClick(
        channels, Qt::LeftButton, {}, channels->actionGeometry(w.find<QAction>("mnu1")).center());
    EXPECT_TRUE(w.find<QAction>("mnu1")->isChecked());
    EXPECT_TRUE(channels->isVisible());
    channels->close();

    // Unchecking runs the same handler; Clear All Filters must undo every item at once.
    for (const char *item : {"mnu3", "mnuNoteOn", "mnuActiveSense"})
        w.toggle(item);
    w.toggle("mnuClearFilter");
    for (const char *item : {"mnu0", "mnu1", "mnu3", "mnuNoteOn", "mnuActiveSense"})
        EXPECT_FALSE(w.find<QAction>(item)->isChecked()) << item;
    EXPECT_FALSE(w.window->MIDIInput1().StatusFilter(0xFE)) << "Clear All Filters applies at once";
    EXPECT_FALSE(notice->isVisible());
    w.send({0x90, 1, 2});
    ASSERT_TRUE(w.waitForRows(4));
    EXPECT_EQ(w.window->GetMIDIINText(2, 1), "90") << "channel 1 passes again";

    w.toggle("mnuSysEx");
    // A component that still delivers SysEx despite the filter: the window hides it itself.
    w.window->MIDIInput1().setStatusFilter(0xF0, false);
    w.send({0xF0, 0x01, 0xF7});
    w.send({0x92, 1, 2});
    ASSERT_TRUE(w.waitForRows(5));
    EXPECT_EQ(w.window->GetMIDIINText(3, 1), "92");
    EXPECT_EQ(w.window->MIDIInput1().MessageCount(), 0);
}

// A loss is shown without waiting for a message to come after it.
TEST(MonitorWindow, ShowsADumpTheQueueRefusedAndTheServersXrunsAtOnce)
{
    ScriptedBackend *device = nullptr;
    TestWindow w;
    forgetPreferences();
    w.create(ScriptedBackend::system(device, {"In"}, {"Out"}), {1000, 4096});
    w.start();
    auto *notice = w.find<QLabel>("lblDropped");
    const auto shows = [&](const char *text) {
        return QTest::qWaitFor([&] { return notice->text() == text; }, 5000);
    };
    const QByteArray dump = sysExOf(8192); // more than the queue's bytes
    device->deliver({reinterpret_cast<const std::uint8_t *>(dump.constData()), 8192});
    EXPECT_TRUE(shows("1 messages dropped"));
    EXPECT_TRUE(notice->isVisible());
    device->sink->missedCycles(2);
    EXPECT_TRUE(shows("1 messages dropped; 2 JACK xruns: messages may be missing"));
    w.find<QPushButton>("btnClear")->click();
    EXPECT_FALSE(notice->isVisible());
    device->sink->missedCycles(1);
    EXPECT_TRUE(shows("1 JACK xruns: messages may be missing"));
    EXPECT_EQ(w.gridRows(), 2) << "no row for either";
}

TEST(MonitorWindow, AHugeSysExShowsItsStartAndClicksIntoWhatTheBoxCanSend)
{
    LoopbackWindow w;
    const QByteArray dump = sysExOf(100'000);
    w.send(dump);
    ASSERT_TRUE(w.waitForRows(3));
    const QString shown = w.grid()->model()->index(0, 6).data().toString();
    EXPECT_EQ(
        shown, QString::fromLatin1(dump.left(48).toHex(' ').toUpper()) + " \u2026 (100,000 bytes)");
    EXPECT_EQ(w.window->GetMIDIINText(1, 6).size(), 300'000) << "the store keeps it whole";

    QTest::mouseClick(w.grid()->viewport(), Qt::LeftButton, {}, w.grid()->cellRect(0, 0).center());
    const QString boxText = w.find<QPlainTextEdit>("txtBoxSend")->toPlainText();
    EXPECT_EQ(boxText.size(), 10'922 * 3);
    EXPECT_TRUE(QString::fromLatin1(dump.toHex(' ').toUpper()).startsWith(boxText.trimmed()));
    EXPECT_EQ(w.dialogs->shownTexts(),
        QStringList {
            "This SysEx message has 100,000 bytes; the MIDI Message box holds its first 10,922."});
}

// An Alt+click on a Source cell solos that row's source; a click on another cell does not.
TEST(MonitorWindow, SoloingTheSourceOfARowChecksItUnderFilterSources)
{
    LoopbackWindow w;
    w.toggle("mnuShowSource");
    w.send({0x90, 0x3C, 0x40});
    ASSERT_TRUE(w.waitForRows(3));
    const QAbstractItemModel &model = *w.grid()->model();
    int column = 0;
    while (column < model.columnCount() && model.headerData(column, Qt::Horizontal) != "Source")
        ++column;
    const QString source = model.index(0, column).data().toString();
    ASSERT_FALSE(source.isEmpty());
    QMenu *solo = w.find<QMenu>("mnuSolo");
    const auto soloed = [&] {
        QStringList names;
        for (const QAction *item : solo->actions())
            if (item->isChecked())
                names << item->data().toString();
        return names;
    };
    w.window->soloSourceAt(0, 1);
    EXPECT_TRUE(soloed().isEmpty()) << "the Data 1 cell";
    w.window->soloSourceAt(1, column);
    EXPECT_TRUE(soloed().isEmpty()) << "past the rows";
    w.window->soloSourceAt(0, column);
    EXPECT_EQ(soloed(), QStringList {source});
}
