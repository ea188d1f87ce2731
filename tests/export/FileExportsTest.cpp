#include "support/Files.h"
#include "support/LoopbackWindow.h"

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
    EXPECT_EQ(w.dialogs->shown.back().text, "Saved 2 SysEx messages (1 without F7) to " + path);
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
    for (std::size_t i = 1; i < arrivals.size(); ++i) {
        EXPECT_GE(arrivals[i] - arrivals[i - 1], 30) << "the pause after each dump";
        EXPECT_LE(arrivals[i] - arrivals[i - 1], 30 + 15);
    }

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

TEST_F(Files, ExportsCsvAndAMidiFile)
{
    w.send({0x90, 0x3C, 0x40});
    ASSERT_TRUE(w.waitForRows(3));
    EXPECT_TRUE(
        w.saveAs("mnuExportCsv", folder.filePath("grid.csv"))
            .startsWith("Timestamp,Status,Data 1,Data 2,Channel,Event,SysEx Data,Time of Day,"
                        "Details\r\n"));
    EXPECT_TRUE(w.saveAs("mnuSaveMidiFile", folder.filePath("take.mid")).startsWith("MThd"));
    EXPECT_TRUE(w.dialogs->shown.back().text.startsWith("Saved 1 MIDI message"));
}
