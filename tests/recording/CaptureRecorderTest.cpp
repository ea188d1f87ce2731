#include "recording/CaptureRecorder.h"

#include "capture/CaptureReader.h"
#include "capture/ChunkIndex.h"
#include "capture/TaskProgress.h"
#include "support/Files.h"
#include "support/StoredRows.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdio>
#include <gtest/gtest.h>
#include <latch>
#include <unistd.h>

namespace {

constexpr std::uint8_t Note[] = {0x90, 0x3C, 0x40};

CaptureReader::Loaded readFrom(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(path);
    TaskProgress progress;
    return CaptureReader::read(file, qint64(1) << 32, progress);
}

void stopAndWait(CaptureRecorder &recorder)
{
    QSignalSpy stopped(&recorder, &CaptureRecorder::stopped);
    recorder.stop();
    ASSERT_TRUE(stopped.wait(5000));
}

// Rows of `count` notes, each a millisecond after the one before, on the source named.
void storeNotes(CaptureStore &rows, const QString &source, int count)
{
    const CaptureStore::Source from = *rows.sourceNamed(source);
    const std::int64_t last = rows.size() > 0 ? rows.at(rows.size() - 1).stampUs : 0;
    for (int i = 1; i <= count; ++i)
        rows.append(Origin::Received, from, last + i * 1'000, Note);
}

struct Recording : testing::Test
{
    QString path(const QString &name) const { return m_folder.filePath(name); }

    QTemporaryDir m_folder;
    CaptureStore m_rows;
};

} // namespace

// What a recording holds reads back as the rows stored after it began: sources named on the
// way, ports started between rows, a dump, sent rows, and rows after the store was emptied.
TEST_F(Recording, ReadsBackEveryRowStoredWhileItWent)
{
    storeNotes(m_rows, QStringLiteral("before"), 5);
    m_rows.startPort(0, 2'000);
    CaptureRecorder recorder(m_rows);
    ASSERT_EQ(recorder.start({path(QStringLiteral("take.lmc"))}), QString());
    storeNotes(m_rows, QStringLiteral("before"), 3);
    recorder.take();
    storeNotes(m_rows, QStringLiteral("JACK: synth:out \u00e9"), 200'000); // several chunks
    m_rows.startPort(1, 123'456);
    m_rows.append(Origin::Received, 1, 300'000'000, sysExOf(70'000));
    m_rows.append(Origin::Sent, 0, 300'000'001, std::span(Note, 2));
    recorder.take();
    std::vector<std::string> expected = rowLines(m_rows, 5);
    m_rows.clear();
    recorder.skipStored();
    m_rows.append(Origin::SendFailed, 0, 300'000'002, Note);
    recorder.take();
    stopAndWait(recorder);

    const CaptureReader::Loaded read = readFrom(recorder.filePath());
    ASSERT_TRUE(read.rows) << read.reason.toStdString();
    EXPECT_TRUE(read.notice.isEmpty()) << read.notice.toStdString();
    expected.push_back(rowLines(m_rows).front());
    EXPECT_EQ(rowLines(*read.rows), expected);
}

// A crash or a full disk leaves the chunk being written cut short: the rows before it read,
// and the user is told. A chunk damaged elsewhere still refuses the file.
TEST_F(Recording, LeavesOutATornLastChunkWithANoticeButRefusesOneDamagedBefore)
{
    CaptureRecorder recorder(m_rows);
    ASSERT_EQ(recorder.start({path(QStringLiteral("torn.lmc"))}), QString());
    storeNotes(m_rows, QStringLiteral("in"), 400'000);
    recorder.take();
    stopAndWait(recorder);
    const QByteArray whole = readFile(recorder.filePath());
    QFile file(recorder.filePath());
    const auto chunks = (file.open(QIODevice::ReadOnly), ChunkIndex::ofRecording(file));
    ASSERT_TRUE(chunks && chunks->size() >= 2);
    std::uint64_t rows = 0;
    for (const ChunkIndex::RowsChunk &chunk : *chunks) {
        EXPECT_EQ(whole[chunk.offset], 'R');
        EXPECT_EQ(chunk.firstRow, rows);
        if (chunk.rows > 0) {
            EXPECT_EQ(chunk.firstStampUs, m_rows.at(chunk.firstRow).stampUs);
        }
        rows += chunk.rows;
    }
    EXPECT_EQ(rows, 400'000u);

    const qint64 lastChunk = chunks->back().offset;
    writeFile(path(QStringLiteral("cut.lmc")), whole.left(lastChunk + 100));
    const CaptureReader::Loaded cut = readFrom(path(QStringLiteral("cut.lmc")));
    ASSERT_TRUE(cut.rows) << cut.reason.toStdString();
    EXPECT_EQ(cut.rows->size(), chunks->back().firstRow);
    EXPECT_TRUE(cut.notice.contains(QStringLiteral("from byte %1 on").arg(lastChunk)))
        << cut.notice.toStdString();

    QByteArray damaged = whole;
    damaged[chunks->front().offset + 100] = char(damaged[chunks->front().offset + 100] ^ 1);
    EXPECT_FALSE(readFrom(writeFile(path(QStringLiteral("damaged.lmc")), damaged)).rows);
}

// A write the disk refuses stops the recording with a message; the file keeps the chunks
// written whole, and the rows go on being stored.
TEST_F(Recording, StopsWithAMessageWhenAWriteFailsAndLeavesTheFileWhole)
{
    std::atomic<std::size_t> room = 1'500'000;
    CaptureRecorder recorder(m_rows);
    QSignalSpy failed(&recorder, &CaptureRecorder::failed);
    ASSERT_EQ(recorder.start({path(QStringLiteral("full.lmc")), {}, CaptureRecorder::QueueBytes,
                  [&room](int fd, const void *bytes, std::size_t size) -> ssize_t {
                      const std::size_t taken = std::min(size, room.load());
                      room -= taken;
                      if (taken == 0)
                          errno = ENOSPC;
                      return taken == 0 ? -1 : ::write(fd, bytes, taken);
                  }}),
        QString());
    for (int i = 0; i < 5; ++i) {
        storeNotes(m_rows, QStringLiteral("in"), 100'000);
        recorder.take();
    }
    ASSERT_TRUE(failed.wait(5000));
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_TRUE(
        failed.front().front().toString().endsWith(QString::fromLocal8Bit(std::strerror(ENOSPC))));
    const CaptureReader::Loaded read = readFrom(path(QStringLiteral("full.lmc")));
    ASSERT_TRUE(read.rows) << read.reason.toStdString();
    EXPECT_TRUE(read.notice.isEmpty()) << "cut back to its last whole chunk";
    EXPECT_GT(read.rows->size(), 100'000u);
    std::vector<std::string> written = rowLines(m_rows);
    written.resize(read.rows->size());
    EXPECT_EQ(rowLines(*read.rows), written);
    storeNotes(m_rows, QStringLiteral("in"), 1);
    EXPECT_EQ(m_rows.size(), 500'001u) << "memory mode goes on";
}

// A disk slower than the traffic never holds up the thread that stores the rows: the queue
// to the writer is bounded, and what it lets go is counted, said, and seen in the file as
// rows missing.
TEST_F(Recording, CountsAndSaysTheRowsASlowDiskCostsWithoutWaitingForIt)
{
    std::latch diskFree(1);
    std::atomic<int> writes = 0;
    CaptureRecorder recorder(m_rows);
    QSignalSpy dropped(&recorder, &CaptureRecorder::rowsDroppedChanged);
    ASSERT_EQ(
        recorder.start({path(QStringLiteral("slow.lmc")), {}, 3 << 20,
            [&](int fd, const void *bytes, std::size_t size) {
                if (writes++ > 0) // the file's start is written before the writer's thread starts
                    diskFree.wait();
                return ::write(fd, bytes, size);
            }}),
        QString());
    for (int i = 0; i < 10; ++i) {
        storeNotes(m_rows, QStringLiteral("in"), 200'000);
        recorder.take();
    }
    const bool told = dropped.wait(5000);
    diskFree.count_down();
    ASSERT_TRUE(told);
    const std::uint64_t lost = recorder.rowsDropped();
    EXPECT_GT(lost, 1'000'000u) << "the writer holds about 3 MiB, far from 2 M rows";
    EXPECT_EQ(dropped.back().front().value<std::uint64_t>(), lost);
    stopAndWait(recorder);
    const CaptureReader::Loaded read = readFrom(recorder.filePath());
    ASSERT_TRUE(read.rows) << read.reason.toStdString();
    EXPECT_EQ(read.rows->size() + lost, 2'000'000u);
    EXPECT_TRUE(read.notice.startsWith(QStringLiteral("%1 rows are missing").arg(lost)))
        << read.notice.toStdString();
}

// A file renamed or removed under the recording is said at the next chunk written.
TEST_F(Recording, SaysWhenItsFileIsRenamedOrRemoved)
{
    for (const bool removed : {false, true}) {
        CaptureRecorder recorder(m_rows);
        QSignalSpy failed(&recorder, &CaptureRecorder::failed);
        const QString file = path(QStringLiteral("moved.lmc"));
        ASSERT_EQ(recorder.start({file}), QString());
        storeNotes(m_rows, QStringLiteral("in"), 10);
        recorder.take();
        ASSERT_TRUE(removed ? QFile::remove(file) : QFile::rename(file, file + ".old"));
        storeNotes(m_rows, QStringLiteral("in"), 10);
        recorder.take();
        ASSERT_TRUE(failed.wait(5000)) << removed;
        EXPECT_EQ(failed.front().front().toString().toStdString(),
            QStringLiteral("\"%1\" was %2 while it was being recorded: the recording stopped "
                           "there.")
                .arg(file, removed ? "removed" : "renamed or replaced")
                .toStdString());
        EXPECT_FALSE(recorder.isRecording());
        QFile::remove(file + ".old");
    }
}

// A recording that rotates goes on in numbered, dated files, each of which reads alone; the
// ring keeps the newest, and together they are one timeline.
TEST_F(Recording, RotatesIntoNumberedFilesAndKeepsTheNewestOfTheRing)
{
    Rotation rotation;
    rotation.everyBytes = 1'000'000;
    rotation.keepFiles = 2;
    CaptureRecorder recorder(m_rows);
    ASSERT_EQ(recorder.start({path(QStringLiteral("ring.lmc")), rotation}), QString());
    for (int i = 0; i < 20; ++i) {
        storeNotes(m_rows, QStringLiteral("in"), 50'000);
        recorder.take();
    }
    stopAndWait(recorder);
    const QStringList set = Rotation::setOf(recorder.filePath());
    ASSERT_EQ(set.size(), 2)
        << QDir(m_folder.path()).entryList(QDir::Files).join(' ').toStdString();
    EXPECT_EQ(QDir(m_folder.path()).entryList(QDir::Files).size(), 2);
    const QRegularExpression named(QStringLiteral("/ring_000(0[5-9]|1\\d)_\\d{8}-\\d{6}\\.lmc$"));
    std::vector<std::string> joined;
    for (const QString &file : set) {
        EXPECT_TRUE(named.match(file).hasMatch()) << file.toStdString();
        const CaptureReader::Loaded read = readFrom(file);
        ASSERT_TRUE(read.rows) << read.reason.toStdString();
        const std::vector<std::string> rows = rowLines(*read.rows);
        joined.insert(joined.end(), rows.begin(), rows.end());
    }
    EXPECT_EQ(joined, rowLines(m_rows, m_rows.size() - joined.size()));
}

// The rows of a recording killed without warning are in its file, all but the last second's.
TEST_F(Recording, KeepsEveryRowOlderThanASecondThroughAKill)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LUMETRA_RECORDING_CHILD", path(QStringLiteral("killed.lmc")));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(),
        {"--gtest_filter=RecordingChild.DISABLED_RecordsUntilKilled",
            "--gtest_also_run_disabled_tests"});
    ASSERT_TRUE(child.waitForStarted(5000));
    while (!child.readAllStandardOutput().contains("recording"))
        ASSERT_TRUE(child.waitForReadyRead(10'000));
    const std::int64_t killedMs = QDateTime::currentMSecsSinceEpoch();
    child.kill();
    ASSERT_TRUE(child.waitForFinished(5000));

    const CaptureReader::Loaded read = readFrom(path(QStringLiteral("killed.lmc")));
    ASSERT_TRUE(read.rows) << read.reason.toStdString();
    ASSERT_GT(read.rows->size(), 0u);
    EXPECT_GE(*read.rows->wallMs(read.rows->size() - 1), killedMs - 1'000);
    for (std::size_t row = 0; row < read.rows->size(); ++row)
        ASSERT_EQ(read.rows->at(row).bytes[1], std::uint8_t(row % 0x80)) << "no row missing";
}

// The child of the test above: records a row every 2 ms until it is killed, and says when it
// has recorded for a while.
TEST(RecordingChild, DISABLED_RecordsUntilKilled)
{
    CaptureStore rows;
    CaptureRecorder recorder(rows);
    ASSERT_EQ(recorder.start({qEnvironmentVariable("LUMETRA_RECORDING_CHILD")}), QString());
    const CaptureStore::Source source = *rows.sourceNamed(QStringLiteral("in"));
    QTimer every;
    QObject::connect(&every, &QTimer::timeout, [&] {
        const std::uint8_t note[] = {0x90, std::uint8_t(rows.size() % 0x80), 0x40};
        rows.append(Origin::Received, source, rows.stampOf(CaptureStore::LiveClock::now()), note);
        recorder.take();
        if (rows.size() == 1'000) {
            std::fputs("recording\n", stdout);
            std::fflush(stdout);
        }
    });
    every.start(2);
    QEventLoop().exec();
}
