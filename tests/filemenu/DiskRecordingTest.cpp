#include "filemenu/DiskRecording.h"

#include "capture/CaptureDocument.h"
#include "capture/CaptureReader.h"
#include "capture/TaskProgress.h"
#include "support/ScriptedDialogs.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

std::size_t rowsIn(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    TaskProgress progress;
    const CaptureReader::Loaded read = CaptureReader::read(file, qint64(1) << 30, progress);
    return read.rows ? read.rows->size() : 0;
}

} // namespace

// File > Record to Disk... asks where through the dialog service, records what the window
// stores from then on (a clear does not stop it), says so in the status bar, and Stop
// Recording ends the file; a place that takes no file is said at once.
TEST(DiskRecording, RecordsEveryRowStoredUntilStoppedAndSaysWhereItCannot)
{
    QTemporaryDir folder;
    CaptureDocument document;
    document.setOutput(QStringLiteral("synth"));
    ScriptedDialogs dialogs;
    QStatusBar bar;
    QMenu file;
    DiskRecording recording(document, dialogs, bar);
    recording.addMenuItems(&file);
    QAction *item = file.findChild<QAction *>(QStringLiteral("mnuRecordToDisk"));
    auto *status = bar.findChild<QLabel *>(QStringLiteral("lblRecording"));
    ASSERT_TRUE(item && status);
    document.addSent({Origin::Sent, QByteArray("\x90\x3C\x40", 3)}); // before: not recorded

    dialogs.nextRecording = {folder.filePath(QStringLiteral("no/such/folder/take.lmc")), {}};
    item->trigger();
    EXPECT_FALSE(recording.isRecording());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(dialogs.shown.front().text.startsWith(QStringLiteral("Cannot write")));

    const QString path = folder.filePath(QStringLiteral("take.lmc"));
    dialogs.nextRecording = {path, {}};
    item->trigger();
    ASSERT_TRUE(recording.isRecording());
    EXPECT_EQ(item->text(), QStringLiteral("Stop Recording"));
    EXPECT_EQ(status->text(), QStringLiteral("Recording to take.lmc"));
    for (int i = 0; i < 3; ++i)
        document.addSent({Origin::Sent, QByteArray("\x80\x3C\x40", 3)});
    document.clear();
    document.addSent({Origin::SendFailed, QByteArray("\xB0\x07\x40", 3)});
    item->trigger();
    EXPECT_EQ(item->text(), QStringLiteral("Record to Disk..."));
    EXPECT_TRUE(status->isHidden());
    EXPECT_TRUE(QTest::qWaitFor([&] { return rowsIn(path) == 4; }, 5000)) << rowsIn(path);

    // Rows the memory limit drops were recorded as they came: the file keeps every row.
    document.setLimit({CaptureStore::ChunkRows, 0});
    dialogs.nextRecording = {folder.filePath(QStringLiteral("limited.lmc")), {}};
    recording.recordOrStop();
    for (int row = 0; row < 10'000; ++row)
        document.addSent({Origin::Sent, QByteArray(1, '\xF8')});
    recording.recordOrStop();
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return rowsIn(dialogs.nextRecording->path) == 10'000; }, 5000));
}
