#include "export/TrafficLog.h"

#include "monitor/RowStore.h"
#include "support/LoopbackWindow.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Every kind of row, as reception and the sender leave them.
const char *const EveryKindOfRow[] = {"12\t90\t3c\t40\t1\tNote On\t",
    "13\tc5\t07\t\t6\tProgram Change\t", "14\tf0\t\t\t\tSystem Exclusive\tf0 41 f7 ",
    "Sent\t90\t3c\t7f\t\t\t", " sent \tb0\t07\t64\t\t\t", "Send Err\t\t\t\t\t\t"};

struct Export : testing::Test
{
    QTemporaryDir folder;
    QString path = folder.filePath("log.txt");
    LoopbackWindow w;

    QByteArray save(const char *menuItem)
    {
        w.dialogs->nextSaveFileName = path;
        w.toggle(menuItem);
        return readAll(path);
    }
};

} // namespace

// A disk that takes part of a write and then has no room left.
class FullDisk : public QBuffer
{
public:
    explicit FullDisk(qint64 room)
        : m_room(room)
    {
        open(QIODevice::WriteOnly);
    }

protected:
    qint64 writeData(const char *data, qint64 size) override
    {
        if (m_room == 0) {
            setErrorString("No space left on device");
            return -1;
        }
        const qint64 taken = std::min(size, m_room);
        m_room -= taken;
        return QBuffer::writeData(data, taken);
    }

private:
    qint64 m_room;
};

TEST(TrafficLog, AFullDiskIsReportedWithItsReason)
{
    RowStore rows;
    for (int i = 0; i < 1000; ++i)
        rows.append("12\t90\t3c\t40\t1\tNote On\t");
    FullDisk disk(5000);
    EXPECT_FALSE(TrafficLog::write(rows, TrafficLog::Rows::All, disk));
    EXPECT_EQ(disk.errorString(), "No space left on device");
}

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

TEST_F(Export, AnEmptyGridGivesAnEmptyFileThatReplacesTheOldOne)
{
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old contents\r\n");
    old.close();
    EXPECT_EQ(save("mnuSaveInOut"), "");
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

TEST_F(Export, AFailedSaveSaysWhyAndLeavesTheOldFileWhole)
{
    for (int i = 0; i < 5000; ++i)
        w.window->AddGridRow("12\t90\t3c\t40\t1\tNote On\t");
    const QByteArray before(20'000, 'o');
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(before);
    old.close();

    // The disk fills up part-way through the log.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit original {};
    getrlimit(RLIMIT_FSIZE, &original);
    rlimit tight = original;
    tight.rlim_cur = 10'000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    w.dialogs->nextSaveFileName = path;
    w.toggle("mnuSaveInOut");
    setrlimit(RLIMIT_FSIZE, &original);

    ASSERT_EQ(w.dialogs->shown.size(), 1u);
    EXPECT_TRUE(w.dialogs->shown[0].text.startsWith("Cannot save \"" + path + "\": "));
    EXPECT_GT(w.dialogs->shown[0].text.size(), ("Cannot save \"" + path + "\": ").size());
    EXPECT_EQ(readAll(path), before);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList {"log.txt"});
    EXPECT_TRUE(w.window->MIDIInput1().EventsEnabled());
}
