#include "capture/TaskProgress.h"
#include "grid/EventGridModel.h"
#include "imports/FileImport.h"
#include "recording/CaptureRecorder.h"
#include "recording/RecordedRows.h"
#include "recording/RecordedRows.h"
#include "support/Files.h"
#include "support/LoopbackWindow.h"

#include <QDropEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>

namespace {

struct Files : testing::Test
{
    QTemporaryDir folder;
    LoopbackWindow w;

    void sendFile(const QString &path, int pauseMs)
    {
        w.dialogs->nextSysExSending = {path, std::chrono::milliseconds(pauseMs)};
        w.toggle("mnuSendSysEx");
    }
    void sendFile(const QByteArray &contents, int pauseMs)
    {
        sendFile(writeFile(folder.filePath("dumps.syx"), contents), pauseMs);
    }
    QByteArray save(const char *menuItem) { return w.saveAs(menuItem, folder.filePath("log.txt")); }
    // Opens `path` through File > Open; whether the reading then ended.
    bool open(const QString &path)
    {
        w.dialogs->nextOpenFileName = path;
        w.toggle("mnuOpenCapture");
        return QTest::qWaitFor([&] { return !w.dialogs->progressOpen; });
    }
    // Waits for as long as a fault would take to show; the rows, sent or received, meanwhile.
    bool rowsArrive(int rows, int withinMs)
    {
        return QTest::qWaitFor([&] { return w.gridRows() >= rows; }, withinMs);
    }
};

const QByteArray ThreeDumps
    = bytes({0xF0, 0x7D, 1, 0xF7, 0xF0, 0x7D, 2, 0xF7, 0xF0, 0x7D, 3, 0xF7});

} // namespace

TEST_F(Files, SavesTheSysExOfTheGridOrSaysThereIsNone)
{
    w.toggle("mnuSaveSysEx");
    EXPECT_EQ(w.dialogs->askedFolders.size(), 0) << "no file is asked for when nothing is to save";
    ASSERT_EQ(w.dialogs->shown.size(), 1u);

    w.send(bytes({0xF0, 0x41, 0x10, 0xF7}));
    w.send({0x90, 0x3C, 0x40});
    w.send(bytes({0xF0, 0x43, 0x20})); // cut short by the status after it
    w.send({0x80, 0x3C, 0x40});
    ASSERT_TRUE(w.waitForRows(6));
    const QString path = folder.filePath("dump.syx");
    EXPECT_EQ(w.saveAs("mnuSaveSysEx", path), bytes({0xF0, 0x41, 0x10, 0xF7, 0xF0, 0x43, 0x20}));
    EXPECT_EQ(w.window->statusBar()->currentMessage(),
        "Saved 2 SysEx messages (1 without F7) to " + path);
    EXPECT_EQ(w.dialogs->shown.size(), 1u) << "a save that worked opens no box";
}

TEST_F(Files, SendsAFileDumpByDumpWithItsPauseAndCanBeCancelled)
{
    sendFile(ThreeDumps, 30);
    EXPECT_EQ(w.dialogs->offeredPause, std::chrono::milliseconds(50)) << "the default pause";
    EXPECT_TRUE(w.dialogs->progressOpen);
    EXPECT_EQ(w.dialogs->progressTotal, 3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.dialogs->progressOpen; }, 3000));
    ASSERT_TRUE(w.waitForRows(2 + 6)) << "three SENT rows and three received ones";
    EXPECT_EQ(w.window->GetMIDIINText(1, 0), "SENT");
    EXPECT_EQ(w.window->GetMIDIINText(1, 6), "F0 7D 01 F7 ");
    EXPECT_EQ(w.dialogs->progressValues.back(), 3);
    std::vector<int> arrivals;
    for (int row = 1; row <= 6; ++row)
        if (const QString stamp = w.window->GetMIDIINText(row, 0); stamp != "SENT")
            arrivals.push_back(stamp.toInt());
    ASSERT_EQ(arrivals.size(), 3u);
    for (std::size_t i = 1; i < arrivals.size(); ++i)
        EXPECT_GE(arrivals[i] - arrivals[i - 1], 30) << "the pause after each dump";

    sendFile(ThreeDumps, 500);
    w.dialogs->cancelProgress();
    EXPECT_FALSE(w.dialogs->progressOpen);
    EXPECT_FALSE(rowsArrive(2 + 6 + 1, 700)) << "cancelled before the first dump went";

    sendFile(ThreeDumps, 10);
    w.window->close();
    EXPECT_FALSE(w.dialogs->progressOpen) << "closing the window ends the run";
    EXPECT_FALSE(rowsArrive(2 + 6 + 1, 100));
    EXPECT_TRUE(w.dialogs->shown.empty()) << "nothing is sent on the closed port";
}

TEST_F(Files, RefusesAFileWithItsReasonAndSendsNothing)
{
    const std::pair<QString, QString> cases[] = {
        {writeFile(folder.filePath("bad.syx"), bytes({0xF0, 0x7D, 0xF7, 0x90, 0x3C})),
            "Byte 3 is 90"}, // refused as a whole, though its first dump is sound
        {folder.filePath("none.syx"), "none.syx\" cannot be read: it is not there."},
    };
    for (const auto &[path, reason] : cases) {
        w.dialogs->shown.clear();
        sendFile(path, 10);
        ASSERT_EQ(w.dialogs->shown.size(), 1u);
        EXPECT_TRUE(w.dialogs->shown[0].text.contains(reason)) << qPrintable(reason);
        EXPECT_FALSE(rowsArrive(3, 100)) << qPrintable(reason);
    }
}

// The lines of every kind of row are KnownTrafficTest's; here each menu item's choice of rows
// and format, and where each dialog proposes to save.
TEST_F(Files, SavesTheGridQuietlyInEachFormatWhereEachDialogWasLastLeft)
{
    w.send({0x90, 0x3C, 0x40});
    ASSERT_TRUE(w.waitForRows(3));
    w.window->AddGridRow({Origin::Sent, QByteArray("\xC0\x05")});
    EXPECT_TRUE(save("mnuSaveInOut").endsWith(" 90 3C 40\r\nSENT C0 05 \r\n"));
    EXPECT_EQ(save("mnuSaveIn"), "90 3C 40\r\n");
    EXPECT_TRUE(w.dialogs->shown.empty());
    QDir().mkpath(QDir::homePath() + "/Documents");
    w.saveAs("mnuExportCsv", folder.filePath("grid.csv"));
    QDir(QDir::homePath() + "/Documents").removeRecursively();
    QTemporaryDir gone;
    w.saveAs("mnuExportCsv", gone.filePath("grid.csv"));
    gone.remove();
    EXPECT_TRUE(
        w.saveAs("mnuExportCsv", folder.filePath("grid.csv"))
            .startsWith("Timestamp,Status,Data 1,Data 2,Channel,Event,SysEx Data,Time of Day,"
                        "Details,Capture Microseconds\r\n"));

    const QString dated = R"(lumetra-\d{4}-\d\d-\d\d-\d{6}\.)";
    const std::pair<QString, QString> proposed[] = {
        {QDir::homePath(), dated + "txt"}, // the documents folder is not there
        {folder.path(), dated + "txt"}, // where the first text was saved
        {QDir::homePath() + "/Documents", dated + "csv"}, // another dialog: none of its own yet
        {folder.path(), dated + "csv"},
        {QDir::homePath(), dated + "csv"}, // that folder went: never offered as a name
    };
    ASSERT_EQ(w.dialogs->askedFolders.size(), std::size(proposed));
    for (std::size_t i = 0; i < std::size(proposed); ++i) {
        const QFileInfo asked(w.dialogs->askedFolders[qsizetype(i)]);
        EXPECT_EQ(asked.absolutePath(), QFileInfo(proposed[i].first).absoluteFilePath()) << i;
        EXPECT_TRUE(
            QRegularExpression("^" + proposed[i].second + "$").match(asked.fileName()).hasMatch())
            << asked.fileName().toStdString();
    }
    EXPECT_TRUE(w.saveAs("mnuSaveMidiFile", folder.filePath("take.mid")).startsWith("MThd"));
    EXPECT_TRUE(w.window->statusBar()->currentMessage().startsWith("Saved 1 MIDI message"));
}

TEST_F(Files, LeavesTheCurrentCellWhereReadingTheLogCellByCellWould)
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
        EXPECT_EQ(w.grid()->currentRow(), std::size_t(w.gridRows() - 3))
            << c.lastRow.toHex().toStdString();
        EXPECT_EQ(w.grid()->currentColumn(), c.column) << c.lastRow.toHex().toStdString();
    }
}

// No MessagesWaiting while the file dialog is open; what arrived meanwhile shows after it,
// and is in the log when the user saves. A save that fails says why.
TEST_F(Files, TheDialogHoldsTheGridStillAndTheLogTakesWhatArrivedMeanwhileOrSaysWhyNot)
{
    MIDIInput &input = w.window->MIDIInput1();
    w.dialogs->whileAsking = [&] {
        EXPECT_FALSE(input.EventsEnabled());
        w.send({0x90, 0x3C, 0x40});
        QCoreApplication::processEvents();
        EXPECT_EQ(w.gridRows(), 2);
    };
    w.dialogs->nextSaveFileName.clear();
    w.toggle("mnuSaveIn");
    EXPECT_TRUE(input.EventsEnabled());
    EXPECT_TRUE(w.waitForRows(3));
    EXPECT_TRUE(w.dialogs->shown.empty()) << "cancelled: nothing said";
    EXPECT_TRUE(QDir(folder.path()).isEmpty()) << "and nothing written";

    w.dialogs->whileAsking = [&] { w.send({0xC0, 0x05}); };
    EXPECT_EQ(save("mnuSaveIn"), "90 3C 40\r\nC0 05 \r\n");

    // Whether the old file stays whole is the save's own business; here the window says why.
    const QString nowhere = folder.filePath("no/such/folder/log.txt");
    w.saveAs("mnuSaveInOut", nowhere);
    const QString start = "Cannot save \"" + nowhere + "\": ";
    ASSERT_EQ(w.dialogs->shown.size(), 1u);
    EXPECT_TRUE(w.dialogs->shown[0].text.startsWith(start));
    EXPECT_GT(w.dialogs->shown[0].text.size(), start.size()) << "the system's reason follows";
    EXPECT_TRUE(input.EventsEnabled()) << "and goes on listening";
}

// A capture of millions of rows is written on a thread of its own: the window goes on behind
// a busy dialog, a row sent meanwhile waits for the file, which holds exactly the rows there
// were when the save began.
TEST_F(Files, ALargeCaptureIsWrittenBehindABusyDialogWhileTheWindowGoesOn)
{
    CaptureDocument &document = w.window->document();
    constexpr std::size_t Rows = 1'500'000;
    const std::uint8_t note[] = {0x90, 0x3C, 0x40};
    for (std::size_t i = 0; i < Rows; ++i)
        document.store().append(Origin::Received, 0, 0, note);
    const QString path = folder.filePath("large.txt");
    w.dialogs->nextSaveFileName = path;
    w.toggle("mnuSaveInOut");
    ASSERT_EQ(w.dialogs->busyTexts, QStringList {"Saving \"" + path + "\"..."});
    EXPECT_TRUE(w.dialogs->progressOpen) << "the menu item came back before the file was done";
    w.window->AddGridRow({Origin::Sent, QByteArray("\xC0\x05")});
    EXPECT_EQ(document.rows().size(), Rows) << "the sent row waits";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.dialogs->progressOpen; }, 20000));
    const QByteArray log = readFile(path);
    EXPECT_EQ(log.count("\r\n"), qsizetype(Rows));
    EXPECT_FALSE(log.contains("SENT"));
    EXPECT_EQ(document.rows().size(), Rows + 1);
}

// A capture saved from the window opens as the same grid, after the live rows or in their
// place, as the user chose; while it is shown, live rows wait in a count until the user goes
// back to them. A damaged file is refused with its offset and leaves the rows as they were.
TEST_F(Files, ACaptureReopensAfterOrInPlaceOfTheLiveRowsAsTheUserChooses)
{
    w.send({0x90, 0x3C, 0x40});
    w.send(sysExOf(300));
    w.window->AddGridRow({Origin::Sent, QByteArray("\xC0\x05")});
    ASSERT_TRUE(w.waitForRows(5));
    QStringList saved;
    for (int row = 1; row < 4; ++row)
        saved << w.row(row);
    const QString path = folder.filePath("take.lmc");
    const auto shown = [&](int rows) {
        return QTest::qWaitFor([&] { return !w.dialogs->progressOpen && w.gridRows() == rows; });
    };
    w.saveAs("mnuSaveCapture", path);
    w.send({0x80, 0x3C, 0x40});
    ASSERT_TRUE(shown(6));
    w.dialogs->nextOpenFileName = path;
    w.toggle("mnuOpenCapture");
    EXPECT_FALSE(w.dialogs->progressOpen) << "the question was cancelled";

    EXPECT_EQ(w.window->windowTitle(), "Lumetra");
    w.dialogs->nextChoice = 1; // add after them
    w.toggle("mnuOpenCapture");
    ASSERT_TRUE(shown(9));
    EXPECT_EQ(w.window->windowTitle(), QString::fromUtf8("take.lmc \u2014 Lumetra"))
        << "the title bar names the file shown";
    for (int row = 5; row < 8; ++row)
        EXPECT_EQ(w.row(row), saved[row - 5]) << row;
    w.send({0x90, 0x40, 0x7F});
    const auto *paused = w.find<QLabel>("lblPaused");
    ASSERT_TRUE(QTest::qWaitFor([&] { return paused->text() == "Paused: 1 new rows"; }));
    EXPECT_EQ(w.gridRows(), 9);
    w.find<QPushButton>("btnPause")->click(); // back to the live rows
    ASSERT_TRUE(shown(10));

    w.dialogs->nextChoice = 0; // save them first
    w.dialogs->nextSaveFileName = folder.filePath("live.lmc");
    w.toggle("mnuOpenCapture");
    ASSERT_TRUE(shown(5));
    for (int row = 1; row < 4; ++row)
        EXPECT_EQ(w.row(row), saved[row - 1]) << row;
    TaskProgress progress;
    const CaptureReader::Loaded live = FileImport::load(folder.filePath("live.lmc"), progress);
    ASSERT_TRUE(live.rows);
    EXPECT_EQ(live.rows->size(), 8u);

    w.dialogs->nextChoice = 2; // replace them
    QByteArray damaged = readFile(path);
    damaged[40] = char(damaged[40] ^ 1);
    QMimeData dragged; // dropped onto the window, as from a file manager
    dragged.setUrls({QUrl::fromLocalFile(writeFile(folder.filePath("damaged.lmc"), damaged))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w.window.get(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w.window.get(), &drop);
    ASSERT_TRUE(shown(5));
    EXPECT_EQ(w.dialogs->shown.back().text,
        "Cannot open \"" + folder.filePath("damaged.lmc")
            + "\": At byte 12 of the file, a chunk is damaged: its checksum does not match its "
              "bytes.");
    EXPECT_EQ(w.gridRows(), 5);

    w.find<QPushButton>("btnPause")->click();
    w.send({0x80, 0x3C, 0x40});
    ASSERT_TRUE(w.waitForRows(6));
    EXPECT_TRUE(w.row(4).contains("NOTE OFF")) << w.row(4).toStdString();
}

// Files of every kind dropped or opened are listed newest first, in the next run too, and
// open again from there.
TEST_F(Files, OpenRecentListsTheFilesOpenedNewestFirstFromRunToRun)
{
    const QString syx = writeFile(folder.filePath("dumps.syx"), bytes({0xF0, 0x7D, 0xF7}));
    const QString log = writeFile(folder.filePath("in&out.txt"), "90 3C 40\r\n");
    w.dialogs->nextChoice = 2; // in place of the rows shown
    for (const QString &path : {syx, log, syx})
        ASSERT_TRUE(open(path));
    EXPECT_EQ(w.row(1), "0\tF0\t\t\t\tSYSTEM EXCLUSIVE\tF0 7D F7 ");
    w.window->close();
    LoopbackWindow next(LoopbackWindow::Preferences::AsStored);
    const QList<QAction *> items = next.find<QMenu>("mnuOpenRecent")->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->text(), "&1 " + syx);
    EXPECT_EQ(items[1]->text(), "&2 " + folder.filePath("in&&out.txt"));
    items[1]->trigger();
    ASSERT_TRUE(next.waitForRows(3));
    EXPECT_EQ(next.row(1), "0\t90\t3C\t40\t1\tNOTE ON\t");
}

// Where files were just saved is where the Open dialog starts; the others keep their own. A
// name proposed takes the extension of its filter's first type.
TEST(FileDialogFolders, OpenStartsWhereTheLastFileWasSavedOrOpenedAndFiltersGiveExtensions)
{
    QTemporaryDir saves, texts;
    FileDialogFolders folders;
    folders.remember("TextLog", texts.filePath("a.txt"));
    folders.remember("Capture", saves.filePath("take.lmc"));
    EXPECT_EQ(folders.folderFor(FileDialogFolders::OpenDialog), saves.path());
    EXPECT_EQ(folders.folderFor("TextLog"), texts.path());
    folders.remember(FileDialogFolders::OpenDialog, texts.filePath("b.mid"));
    EXPECT_EQ(folders.folderFor(FileDialogFolders::OpenDialog), texts.path());
    EXPECT_EQ(folders.folderFor("Capture"), saves.path());

    const std::pair<const char *, const char *> cases[] = {
        {"Text files (*.txt);;All files (*)", "txt"},
        {"Lumetra captures (*.lmc)", "lmc"},
        {"MIDI files (*.mid *.midi)", "mid"},
        {"All files (*)", ""},
        {"", ""},
    };
    for (const auto &[filter, extension] : cases)
        EXPECT_EQ(FileDialogFolders::extensionOf(filter), extension) << filter;
}

// Rows just read from a file are saved there: the next file opens in their place without a
// question, until live rows come.
TEST_F(Files, RowsJustReadFromAFileNeedNoQuestionUntilTheyChange)
{
    const QString syx = writeFile(folder.filePath("dumps.syx"), ThreeDumps);
    const auto questions
        = [&] { return w.dialogs->shownTexts().filter("rows shown are not saved").size(); };
    ASSERT_TRUE(open(syx));
    ASSERT_TRUE(open(syx));
    EXPECT_EQ(questions(), 0) << "the file's three rows go for its three";
    w.find<QPushButton>("btnPause")->click(); // back to the live rows
    w.send({0x90, 0x3C, 0x40});
    ASSERT_TRUE(w.waitForRows(6));
    ASSERT_TRUE(open(syx));
    EXPECT_EQ(questions(), 1) << "a row arrived";
}

// Opening one file of a rotating recording offers the whole set as one timeline.
TEST_F(Files, OneFileOfARecordingOpensWithTheRestOfItsSet)
{
    for (int file = 1; file <= 3; ++file) {
        CaptureStore rows;
        rows.append(Origin::Received, *rows.sourceNamed("in"), file * 10, sysExOf(5 + file));
        CaptureRecorder recorder(rows);
        const QString name = QStringLiteral("set_0000%1_20261207-04000%1.lmc").arg(file);
        ASSERT_EQ(recorder.start({folder.filePath(name)}), QString());
        rows.append(Origin::Received, 0, file * 10 + 1, sysExOf(5 + file));
        recorder.stopAndWait();
    }
    w.dialogs->nextChoice = 0; // open them all
    ASSERT_TRUE(open(folder.filePath("set_00002_20261207-040002.lmc")));
    ASSERT_TRUE(w.waitForRows(5));
    EXPECT_TRUE(w.dialogs->shown.back().text.contains("one of the 3 files of a recording"));
    EXPECT_TRUE(w.row(1).contains("F0 01 02 03 04 F7")) << w.row(1).toStdString();
    EXPECT_TRUE(w.row(3).contains("F0 01 02 03 04 05 06 F7")) << w.row(3).toStdString();
}

// A save reads the rows on disk back whole: one that would not fit in memory is refused
// before it begins, for a capture and for every export alike.
TEST_F(Files, ASaveOfRowsOnDiskThatWouldNotFitInMemoryIsRefusedBeforeItBegins)
{
    CaptureStore &rows = w.window->document().store();
    rows.readBackFrom(std::make_shared<RecordedRows>());
    rows.appendOnDisk(std::size_t(1) << 34, 0); // 200 GB once read back
    for (const char *item : {"mnuSaveCapture", "mnuExportCsv"}) {
        const QString path = folder.filePath(QString::fromLatin1(item));
        w.saveAs(item, path);
        EXPECT_FALSE(QFileInfo::exists(path)) << item;
        ASSERT_FALSE(w.dialogs->shownTexts().isEmpty()) << item;
        EXPECT_TRUE(w.dialogs->shownTexts().last().contains("more than the")) << item;
    }
}
