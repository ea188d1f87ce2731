#include "pane/HexDumpModel.h"
#include "pane/MessageDecoding.h"
#include "rows/UmpRows.h"
#include "support/LoopbackWindow.h"

#include <QClipboard>
#include <QDockWidget>
#include <QGuiApplication>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>

TEST(MessagePane, TheDumpIsSixteenBytesALineAfterItsOffset)
{
    HexDumpModel dump;
    const struct
    {
        int size;
        int lines;
        const char *lastLine;
    } cases[] = {
        {0, 0, nullptr}, // nothing to show: no line, not an empty one
        {16, 1, "00000000  F0 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E F7"},
        {17, 2, "00000010  F7"}, // a line of one byte
        {16 * 1024 * 1024, 1024 * 1024,
            "00FFFFF0  70 71 72 73 74 75 76 77 78 79 7A 7B 7C 7D 7E F7"},
    };
    for (const auto &test : cases) {
        dump.setBytes(sysExOf(std::max(test.size, 2)).first(test.size));
        ASSERT_EQ(dump.rowCount(), test.lines) << test.size;
        if (test.lastLine) {
            EXPECT_EQ(
                dump.data(dump.index(test.lines - 1), Qt::DisplayRole).toString(), test.lastLine);
        }
    }
    EXPECT_EQ(HexDumpModel::wholeText(sysExOf(17)),
        "00000000  F0 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F\n00000010  F7\n");
}

TEST(MessagePane, TheDecodingIsOneFieldALineWithABodyPrettyPrinted)
{
    const QList<MessageDecoding::Cell> cells
        = {{"Status", "F0"}, {"Channel", ""}, {"Event", "SYSTEM EXCLUSIVE"}};
    EXPECT_EQ(MessageDecoding::lines(cells, {"Universal Non-Real-Time", "all devices"}, 6, {}),
        QStringList({"Status: F0", "Event: SYSTEM EXCLUSIVE", "Bytes: 6", "Universal Non-Real-Time",
            "all devices"}));
    EXPECT_EQ(MessageDecoding::lines({}, {}, 9, QByteArray(R"({"resource":"DeviceInfo"})")),
        QStringList({"Bytes: 9", "Body:\n{\n    \"resource\": \"DeviceInfo\"\n}"}));
    // A UMP message's fields, one a line.
    EXPECT_EQ(UmpRows::decodingLines({{0x40953C00, 0xFFFF0000}, 2}),
        QStringList({"MIDI 2.0 Note On, group 1", "channel: 6", "note: 60", "velocity: 65535",
            "attribute type: none", "attribute: 0"}));
    // A body that is not JSON is shown as it came rather than dropped.
    EXPECT_EQ(MessageDecoding::lines({}, {}, 3, QByteArray("{no")).last(), "Body:\n{no");
}

TEST(MessagePane, ShowsTheSelectedRowWholeAndCopiesEachPart)
{
    LoopbackWindow w;
    auto *pane = w.find<QDockWidget>("dockMessagePane");
    ASSERT_TRUE(pane);
    EXPECT_TRUE(pane->isHidden()) << "until asked for";
    w.toggle("mnuMessagePane");
    EXPECT_TRUE(pane->isVisible());

    const int before = w.gridRows();
    w.send(sysExOf(40));
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.gridRows() > before; }, 5000));
    w.grid()->selectRow(w.grid()->rowCount() - 2); // the last row is the empty one
    const QAbstractItemModel *dump = w.find<QListView>("lstHexDump")->model();
    ASSERT_EQ(dump->rowCount(), 3);
    EXPECT_EQ(dump->data(dump->index(2, 0)).toString(), "00000020  20 21 22 23 24 25 26 F7");
    const QString decoding = w.find<QPlainTextEdit>("txtDecoding")->toPlainText();
    EXPECT_TRUE(decoding.contains("\nBytes: 40\n")) << decoding.toStdString();
    EXPECT_TRUE(decoding.contains("Event: SYSTEM EXCLUSIVE")) << decoding.toStdString();

    QSignalSpy copied(QGuiApplication::clipboard(), &QClipboard::dataChanged);
    w.find<QPushButton>("btnCopyDump")->click();
    ASSERT_TRUE(copied.wait(5000)) << "the dump's text is made on a worker";
    EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith(
        "00000000  F0 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F\n00000010  10"));
    w.find<QPushButton>("btnCopyDecoding")->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), decoding);

    w.toggle("mnuMessagePane");
    w.toggle("mnuMessagePane");
    EXPECT_EQ(dump->rowCount(), 3) << "shown again, the pane reads the selected row, not the next";
}
