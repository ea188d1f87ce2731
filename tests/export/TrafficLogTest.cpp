#include "export/TrafficLog.h"

#include "support/Files.h"
#include "support/LoopbackWindow.h"
#include "support/StoredRows.h"

#include <QBuffer>
#include <QTemporaryDir>

namespace {

// Every kind of row, as reception and the sender leave them.
const std::vector<StoredRow> EveryKindOfRow = {
    {Origin::Received, {0x90, 0x3C, 0x40}, 12'000},
    {Origin::Received, {0xC5, 0x07}, 13'999},
    {Origin::Received, {0xF0, 0x41, 0xF7}, 14'000},
    {Origin::Sent, {0x90, 0x3C, 0x7F}},
    {Origin::Sent, {0xB0, 0x07, 0x64}},
    {Origin::SendFailed, {}},
};

struct Export : testing::Test
{
    QTemporaryDir folder;
    QString path = folder.filePath("log.txt");
    LoopbackWindow w;
    QByteArray save(const char *menuItem) { return w.saveAs(menuItem, path); }
};

} // namespace

TEST(TrafficLog, WritesEachSelectionInItsLineFormat)
{
    CaptureStore rows;
    store(rows, EveryKindOfRow);
    const std::pair<TrafficLog::Rows, QByteArray> cases[] = {
        {TrafficLog::Rows::IncomingOnly, "90 3C 40\r\nC5 07 \r\nF0 41 F7 \r\n  \r\n"},
        {TrafficLog::Rows::All,
            "12 90 3C 40\r\n13 C5 07 \r\n14 F0 41 F7 \r\nSENT 90 3C 7F\r\n"
            "SENT B0 07 64\r\nSEND ERR   \r\n"},
    };
    for (const auto &[selection, log] : cases) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        ASSERT_TRUE(TrafficLog::write(rows, selection, out));
        EXPECT_EQ(out.data().toStdString(), log.toStdString());
    }
}

TEST_F(Export, SavesTheGridQuietlyFromTheDocumentsFolderOrElseHome)
{
    const auto bytesOf = [](const StoredRow &row) {
        return QByteArray(
            reinterpret_cast<const char *>(row.bytes.data()), qsizetype(row.bytes.size()));
    };
    for (const StoredRow &row : EveryKindOfRow)
        if (row.origin == Origin::Received)
            w.send(bytesOf(row));
    ASSERT_TRUE(w.waitForRows(5)) << "the received rows come first, as they did";
    for (const StoredRow &row : EveryKindOfRow)
        if (row.origin != Origin::Received)
            w.window->AddGridRow({row.origin, bytesOf(row)});
    EXPECT_EQ(save("mnuSaveIn"), "90 3C 40\r\nC5 07 \r\nF0 41 F7 \r\n  \r\n");
    EXPECT_TRUE(w.dialogs->shown.empty());
    QDir().mkpath(QDir::homePath() + "/Documents");
    save("mnuSaveIn");
    QDir(QDir::homePath() + "/Documents").removeRecursively();
    EXPECT_EQ(
        w.dialogs->askedFolders, QStringList({QDir::homePath(), QDir::homePath() + "/Documents"}))
        << "no folder that is not there, which a dialog would offer as a file name";
}

TEST_F(Export, LeavesTheCurrentCellWhereReadingTheLogCellByCellWould)
{
    struct Case
    {
        Origin origin;
        QByteArray lastRow;
        const char *menuItem;
        int column;
    };
    const Case cases[] = {
        {Origin::Received, "\x90\x3C\x40", "mnuSaveIn", 3},
        {Origin::Received, "\xF0\x41\xF7", "mnuSaveInOut", 6},
        {Origin::Sent, "\x90\x3C\x7F", "mnuSaveIn", 0}, // skipped after its time stamp
        {Origin::Sent, "\x90\x3C\x7F", "mnuSaveInOut", 3},
    };
    for (const Case &c : cases) {
        const int rows = w.gridRows();
        if (c.origin == Origin::Received)
            w.send(c.lastRow);
        else
            w.window->AddGridRow({c.origin, c.lastRow});
        ASSERT_TRUE(w.waitForRows(rows + 1));
        save(c.menuItem);
        const QModelIndex current = w.grid()->currentIndex();
        EXPECT_EQ(current.row(), w.grid()->model()->rowCount() - 2)
            << c.lastRow.toHex().toStdString();
        EXPECT_EQ(current.column(), c.column) << c.lastRow.toHex().toStdString();
    }
}

TEST_F(Export, CancelWritesNothingButShowsWhatArrivedMeanwhile)
{
    MIDIInput &input = w.window->MIDIInput1();
    w.dialogs->whileAsking = [&] {
        EXPECT_FALSE(input.EventsEnabled());
        w.send({0x90, 0x3C, 0x40});
        QCoreApplication::processEvents(); // no MessagesWaiting while the dialog is open
        EXPECT_EQ(w.gridRows(), 2);
    };
    w.dialogs->nextSaveFileName.clear();
    w.toggle("mnuSaveIn");
    EXPECT_TRUE(input.EventsEnabled());
    EXPECT_TRUE(w.waitForRows(3));
    EXPECT_TRUE(w.dialogs->shown.empty());
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
}

TEST_F(Export, MessagesThatArriveDuringTheDialogAreInTheLog)
{
    w.dialogs->whileAsking = [&] { w.send({0xC0, 0x05}); };
    EXPECT_EQ(save("mnuSaveIn"), "C0 05 \r\n");
}

// Whether the old file stays whole is the save's own business; here the window must say why.
TEST_F(Export, AFailedSaveSaysWhyAndGoesOnListening)
{
    const QString nowhere = folder.filePath("no/such/folder/log.txt");
    w.dialogs->nextSaveFileName = nowhere;
    w.toggle("mnuSaveInOut");
    const QString start = "Cannot save \"" + nowhere + "\": ";
    ASSERT_EQ(w.dialogs->shown.size(), 1u);
    EXPECT_TRUE(w.dialogs->shown[0].text.startsWith(start));
    EXPECT_GT(w.dialogs->shown[0].text.size(), start.size()) << "the system's reason follows";
    EXPECT_TRUE(w.window->MIDIInput1().EventsEnabled());
}
