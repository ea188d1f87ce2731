#include "export/TrafficLog.h"

#include "monitor/RowStore.h"
#include "support/Files.h"
#include "support/LoopbackWindow.h"

#include <QBuffer>
#include <QTemporaryDir>

namespace {

// Every kind of row, as reception and the sender leave them.
const char *const EveryKindOfRow[] = {"12\t90\t3c\t40\t1\tNote On\t",
    "13\tc5\t07\t\t6\tProgram Change\t", "14\tf0\t\t\t\tSystem Exclusive\tf0 41 f7 ",
    "Sent\t90\t3c\t7f\t\t\t", " sent \tb0\t07\t64\t\t\t", "Send Err\t\t\t\t\t\t"};

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
    RowStore rows;
    for (const char *row : EveryKindOfRow)
        rows.append(row);
    const std::pair<TrafficLog::Rows, QByteArray> cases[] = {
        {TrafficLog::Rows::IncomingOnly, "90 3C 40\r\nC5 07 \r\nF0 41 F7 \r\n  \r\n"},
        {TrafficLog::Rows::All,
            "12 90 3C 40\r\n13 C5 07 \r\n14 F0 41 F7 \r\nSENT 90 3C 7F\r\n"
            " SENT  B0 07 64\r\nSEND ERR   \r\n"},
    };
    for (const auto &[selection, log] : cases) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        ASSERT_TRUE(TrafficLog::write(rows, selection, out));
        EXPECT_EQ(out.data(), log);
    }
}

TEST_F(Export, SavesTheGridQuietlyFromTheDocumentsFolderOrElseHome)
{
    for (const char *row : EveryKindOfRow)
        w.window->AddGridRow(row);
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
        const char *lastRow, *menuItem;
        int column;
    };
    const Case cases[] = {
        {"12\t90\t3c\t40\t1\tNote On\t", "mnuSaveIn", 3},
        {"14\tf0\t\t\t\tSystem Exclusive\tf0 41 f7 ", "mnuSaveInOut", 6},
        {"Sent\t90\t3c\t7f\t\t\t", "mnuSaveIn", 0}, // skipped after its time stamp
        {"Sent\t90\t3c\t7f\t\t\t", "mnuSaveInOut", 3},
    };
    for (const Case &c : cases) {
        w.window->AddGridRow(c.lastRow);
        save(c.menuItem);
        const QModelIndex current = w.grid()->currentIndex();
        EXPECT_EQ(current.row(), w.grid()->model()->rowCount() - 2) << c.lastRow;
        EXPECT_EQ(current.column(), c.column) << c.lastRow;
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
