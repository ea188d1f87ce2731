#include "recording/RecordedPaging.h"

#include "capture/CaptureDocument.h"
#include "capture/CaptureReader.h"
#include "capture/TaskProgress.h"
#include "recording/CaptureRecorder.h"
#include "support/Files.h"
#include "support/StoredRows.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
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
