#include "support/Files.h"
#include "support/LoopbackWindow.h"

#include <QTemporaryDir>

namespace {

struct Export : testing::Test
{
    QTemporaryDir folder;
    QString path = folder.filePath("log.txt");
    LoopbackWindow w;
    QByteArray save(const char *menuItem) { return w.saveAs(menuItem, path); }
};

} // namespace

// The lines of every kind of row are KnownTrafficTest's; here each menu item's choice of rows.
TEST_F(Export, SavesTheGridQuietlyFromTheDocumentsFolderOrElseHome)
{
    w.send({0x90, 0x3C, 0x40});
    ASSERT_TRUE(w.waitForRows(3));
    w.window->AddGridRow({Origin::Sent, QByteArray("\xC0\x05")});
    EXPECT_TRUE(save("mnuSaveInOut").endsWith(" 90 3C 40\r\nSENT C0 05 \r\n"));
    EXPECT_EQ(save("mnuSaveIn"), "90 3C 40\r\n");
    EXPECT_TRUE(w.dialogs->shown.empty());
    QDir().mkpath(QDir::homePath() + "/Documents");
    save("mnuSaveIn");
    QDir(QDir::homePath() + "/Documents").removeRecursively();
    EXPECT_EQ(w.dialogs->askedFolders,
        QStringList({QDir::homePath(), QDir::homePath(), QDir::homePath() + "/Documents"}))
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
