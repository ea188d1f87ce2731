#include "recording/RecordedPaging.h"

#include "capture/CaptureDocument.h"
#include "capture/CaptureReader.h"
#include "capture/CaptureWriter.h"
#include "capture/TaskProgress.h"
#include "imports/FileImport.h"
#include "recording/CaptureRecorder.h"
#include "support/Files.h"
#include "support/StoredRows.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Paging : testing::Test
{
    void record(Rotation rotation)
    {
        rotation.everyBytes = 400'000; // a chunk's rows run on into the next file
        m_paging.setKeepFiles(rotation.keepFiles);
        ASSERT_EQ(
            m_recorder.start({m_folder.filePath(QStringLiteral("take.lmc")), rotation}), QString());
    }

    // Batches of notes of two sources, sent ones, a dump and a UMP note among them, each
    // taken as the window takes what arrived.
    void storeBatches(int batches)
    {
        CaptureStore &rows = m_document.store();
        const CaptureStore::Source a = *rows.sourceNamed(QStringLiteral("a"));
        const CaptureStore::Source b = *rows.sourceNamed(QStringLiteral("b \u00e9"));
        for (int batch = 0; batch < batches; ++batch) {
            for (int i = 0; i < 10'000; ++i) {
                if (i == 5'000 && batch % 4 == 3) // a port restarted among a chunk's rows
                    rows.startPort(batch % 8 == 3 ? a : b, m_stampUs);
                const std::uint8_t note[] = {0x90, std::uint8_t(i & 0x7F), 0x40};
                rows.append(i % 7 ? Origin::Received : Origin::Sent, i % 3 ? a : b,
                    m_stampUs += 1'000, note);
            }
            rows.append(Origin::Received, b, m_stampUs += 1'000, sysExOf(3'000 + batch));
            rows.appendUmp(Origin::Received, a, m_stampUs += 1,
                Ump::Packet {{0x40903C00, std::uint32_t(batch) << 16}, 2});
            m_document.rowsStored();
            m_recorder.take();
            m_paging.taken();
        }
    }

    void stop()
    {
        QSignalSpy stopped(&m_recorder, &CaptureRecorder::stopped);
        m_recorder.stop();
        ASSERT_TRUE(stopped.wait(5000));
        m_paging.taken();
    }

    QTemporaryDir m_folder;
    CaptureDocument m_document;
    CaptureRecorder m_recorder {m_document.rows()};
    RecordedPaging m_paging {m_document, m_recorder};
    std::int64_t m_stampUs = 0;
};

} // namespace

// Rows on disk go from memory and read back as they were, across the files of the recording
// and while it goes on; not while another thread reads them; and a file gone is said, never
// read as other rows.
TEST_F(Paging, LetsRowsOnDiskGoAndReadsThemBackAsTheyWere)
{
    record({});
    storeBatches(10);
    m_document.letGoOfRowsOnDisk(0); // what the writer has written by now
    storeBatches(10);
    const std::vector<std::string> expected = rowLines(m_document.rows());
    const std::size_t inMemory = m_document.rows().bytesHeld();
    stop();

    m_document.hold(true);
    m_document.letGoOfRowsOnDisk(0);
    EXPECT_EQ(m_document.rows().bytesHeld(), inMemory) << "let go while held";
    m_document.hold(false);
    m_document.letGoOfRowsOnDisk(0);
    EXPECT_LT(m_document.rows().bytesHeld(), inMemory / 20);
    std::vector<std::string> backward(expected.size()); // as a find backward reads them
    for (std::size_t row = expected.size(); row-- > 0;)
        backward[row] = rowLine(m_document.rows(), row);
    EXPECT_EQ(backward, expected);
    m_document.letGoOfRowsOnDisk(0);
    EXPECT_EQ(rowLines(m_document.rows()), expected);
    EXPECT_FALSE(m_document.rows().failedToReadBack());

    m_document.letGoOfRowsOnDisk(0);
    for (const QString &file : QDir(m_folder.path()).entryList(QDir::Files))
        ASSERT_TRUE(QDir(m_folder.path()).remove(file));
    EXPECT_EQ(m_document.rows().at(5'000).origin, Origin::SendFailed);
    EXPECT_TRUE(m_document.rows().at(5'000).bytes.empty());
    EXPECT_TRUE(m_document.rows().failedToReadBack());
    QSignalSpy told(&m_paging, &RecordedPaging::readBackFailed);
    m_paging.taken();
    m_paging.taken();
    EXPECT_EQ(told.size(), 1);
}

// A find or a scroll reads rows back with no rows coming: what it read goes once it gives
// the loop back, down to the budget, and, when an export held the rows meanwhile, once the
// hold ends.
TEST_F(Paging, RowsReadBackGoOnceTheReaderGivesTheLoopBack)
{
    record({});
    storeBatches(20);
    stop();
    m_document.letGoOfRowsOnDisk(0);
    const std::size_t budget = 8 * CaptureStore::ChunkRows * 12;
    m_paging.setKeepBytes(budget);
    const std::vector<std::string> expected = rowLines(m_document.rows());
    ASSERT_GT(m_document.rows().bytesHeld(), 4 * budget) << "the rows were read back";
    QCoreApplication::processEvents();
    EXPECT_LE(m_document.rows().bytesHeld(), budget);

    m_document.hold(true);
    EXPECT_EQ(rowLines(m_document.rows()), expected);
    QCoreApplication::processEvents();
    EXPECT_GT(m_document.rows().bytesHeld(), 4 * budget) << "let go while held";
    m_document.hold(false);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_document.rows().bytesHeld() <= budget; }, 3000));
}

// The rows of the files a ring removed are dropped as the oldest, up to a whole chunk of
// those after them; the rest read back as the kept files hold them.
TEST_F(Paging, DropsTheRowsOfTheFilesARingRemoved)
{
    Rotation rotation;
    rotation.keepFiles = 2;
    record(rotation);
    storeBatches(30);
    stop();
    m_document.letGoOfRowsOnDisk(0);

    std::vector<std::string> kept;
    for (const QString &file : Rotation::setOf(m_recorder.filePath())) {
        QFile in(file);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        TaskProgress progress;
        const CaptureReader::Loaded read = CaptureReader::read(in, qint64(1) << 32, progress);
        ASSERT_TRUE(read.rows) << read.reason.toStdString();
        const std::vector<std::string> rows = rowLines(*read.rows);
        kept.insert(kept.end(), rows.begin(), rows.end());
    }
    const std::vector<std::string> shown = rowLines(m_document.rows());
    EXPECT_EQ(m_document.oldestDroppedInAll() + shown.size(), 30 * 10'002u);
    ASSERT_LE(shown.size(), kept.size());
    EXPECT_LT(kept.size() - shown.size(), CaptureStore::ChunkRows);
    EXPECT_TRUE(std::equal(shown.begin(), shown.end(), kept.end() - std::ptrdiff_t(shown.size())));
    EXPECT_FALSE(m_document.rows().failedToReadBack());
}

// A recording opens by its chunks' heads, as one timeline over its set, and reads as the same
// files read whole, port starts and a torn end included; rows stored after it follow it. A
// chunk damaged in the middle is found as it is read back: its rows read as failed sends.
TEST_F(Paging, ARecordingOpensWithoutReadingItsRowsAndReadsAsReadWhole)
{
    record({});
    QSignalSpy fileBegan(&m_recorder, &CaptureRecorder::fileBegan);
    for (int file = 0; file < 2; ++file) {
        storeBatches(7);
        ASSERT_TRUE(fileBegan.wait(5000)); // its chunk ends at the next tick, and the file too
    }
    storeBatches(7);
    stop();
    const QStringList set = Rotation::setOf(m_recorder.filePath());
    ASSERT_GE(set.size(), 3);
    QFile last(set.back());
    ASSERT_TRUE(last.resize(last.size() - 100)); // torn, as by a crash
    std::unique_ptr<CaptureStore> first;
    QStringList notices;
    for (const QString &file : set) {
        TaskProgress progress;
        CaptureReader::Loaded read = FileImport::load(file, progress);
        ASSERT_TRUE(read.rows) << read.reason.toStdString();
        if (first)
            first->append(*read.rows);
        else
            first = std::move(read.rows);
        notices << read.notice;
    }
    const CaptureStore &whole = *first;

    TaskProgress progress;
    std::optional<CaptureReader::Loaded> opened
        = FileImport::openRecording(set, m_paging.files(), progress);
    ASSERT_TRUE(opened && opened->rows);
    CaptureStore &rows = *opened->rows;
    EXPECT_LT(rows.bytesHeld(), CaptureStore::ChunkRows) << "rows were read to open it";
    EXPECT_EQ(opened->notice, notices.join(u' ').trimmed());
    EXPECT_TRUE(opened->notice.contains(QStringLiteral("were left out")));
    EXPECT_EQ(rowLines(rows), rowLines(whole));
    const std::uint8_t note[] = {0x80, 0x3C, 0x00};
    rows.append(Origin::Received, 0, m_stampUs + 1, note);
    EXPECT_EQ(rowLines(rows, rows.size() - 2).front(), rowLines(whole).back());
    EXPECT_EQ(rows.at(rows.size() - 1).bytes[0], 0x80);
    EXPECT_FALSE(rows.failedToReadBack());

    QFile middle(set[1]);
    ASSERT_TRUE(middle.open(QIODevice::ReadWrite));
    ASSERT_TRUE(middle.seek(middle.size() / 2));
    const char byte = middle.peek(1)[0];
    ASSERT_TRUE(middle.putChar(char(~byte)));
    middle.close();
    opened = FileImport::openRecording(set, m_paging.files(), progress);
    ASSERT_TRUE(opened && opened->rows);
    const std::vector<std::string> damaged = rowLines(*opened->rows);
    EXPECT_EQ(damaged.size(), whole.size());
    EXPECT_TRUE(opened->rows->failedToReadBack());
    EXPECT_TRUE(std::ranges::count_if(damaged, [](const std::string &line) {
        return line.starts_with("2 ");
    }) >= std::ptrdiff_t(CaptureStore::ChunkRows));
}

// Captures saved whole, and files of other kinds, are read whole.
TEST_F(Paging, WhatIsNoRecordingIsLeftToBeReadWhole)
{
    storeBatches(1);
    const QString saved = m_folder.filePath(QStringLiteral("saved.lmc"));
    TaskProgress saving;
    ASSERT_EQ(CaptureWriter::save(m_document.rows(), saved, saving), QString());
    const QString syx = writeFile(m_folder.filePath(QStringLiteral("dump.syx")), sysExOf(100));
    for (const QString &file : {saved, syx}) {
        TaskProgress progress;
        EXPECT_FALSE(FileImport::openRecording({file}, m_paging.files(), progress))
            << file.toStdString();
    }
}

// Rows on disk take no memory: a limit in rows counts those after them, and drops them all
// once those pass it; a limit in minutes reads none of them back to judge their age.
TEST_F(Paging, TheMemoryLimitCountsTheRowsAfterThoseOnDisk)
{
    record({});
    storeBatches(2);
    stop();
    TaskProgress progress;
    std::optional<CaptureReader::Loaded> opened
        = FileImport::openRecording({m_recorder.filePath()}, m_paging.files(), progress);
    ASSERT_TRUE(opened && opened->rows);
    const std::size_t onDisk = opened->rows->size();
    CaptureDocument document;
    document.showCapture(std::move(*opened->rows), 0);
    const auto storeLive = [&](int rows, std::int64_t stampUs) {
        const std::uint8_t clock[] = {0xF8};
        for (int i = 0; i < rows; ++i)
            document.store().append(Origin::Received, 0, stampUs, clock);
        document.rowsStored();
    };
    document.setLimit({5'000, 1}); // the file's last chunk, part full, is filled in memory
    storeLive(900, m_stampUs + 120'000'000);
    EXPECT_EQ(document.rows().size(), onDisk + 900);
    EXPECT_LT(document.rows().bytesHeld(), 3 * CaptureStore::ChunkRows * 12) << "read back";
    storeLive(1'000, m_stampUs + 120'000'000);
    EXPECT_LT(document.rows().size(), 5'000 + CaptureStore::ChunkRows);
    EXPECT_EQ(document.oldestDroppedInAll() + document.rows().size(), onDisk + 1'900);
}
