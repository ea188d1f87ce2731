#include "capture/CaptureDocument.h"
#include "capture/CaptureReader.h"
#include "capture/CaptureWriter.h"
#include "capture/TaskProgress.h"
#include "export/CsvLog.h"
#include "imports/FileImport.h"

#include <QBuffer>
#include <gtest/gtest.h>
#include <zlib.h>

namespace {

constexpr std::uint8_t Note[] = {0x90, 0x3C, 0x40};

void appendNotes(CaptureStore &rows, int count)
{
    const CaptureStore::Source in = *rows.sourceNamed(QStringLiteral("in"));
    for (int i = 0; i < count; ++i)
        rows.append(Origin::Received, in, i * 1000, Note);
}

std::map<std::size_t, QString> marksOf(const CaptureStore &rows)
{
    return rows.marks().notes();
}

QByteArray captureOf(const CaptureStore &rows)
{
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    TaskProgress progress;
    EXPECT_TRUE(CaptureWriter::write(rows, file, progress));
    return file.data();
}

CaptureReader::Loaded readCapture(QByteArray bytes)
{
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    TaskProgress progress;
    return CaptureReader::read(file, qint64(1) << 30, progress);
}

// A chunk as the format lays it out: kind, size, payload, CRC-32 of the three.
QByteArray chunk(char kind, const QByteArray &payload)
{
    QByteArray bytes(1, kind);
    for (int i = 0; i < 4; ++i)
        bytes += char(std::uint32_t(payload.size()) >> (8 * i));
    bytes += payload;
    const auto crc = std::uint32_t(
        crc32_z(0, reinterpret_cast<const Bytef *>(bytes.constData()), std::size_t(bytes.size())));
    for (int i = 0; i < 4; ++i)
        bytes += char(crc >> (8 * i));
    return bytes;
}

} // namespace

// Marks go with their rows: a clear takes them aside, its undo brings them back before the
// marks of the rows stored since, and rows shown from a file bring theirs.
TEST(RowMarks, MoveWithTheirRowsThroughAClearItsUndoAndAFileShown)
{
    CaptureDocument document;
    appendNotes(document.store(), 3);
    ASSERT_TRUE(document.setMark(1, QStringLiteral("reply")));
    EXPECT_FALSE(document.setMark(3, QStringLiteral("no such row")));
    document.clear();
    EXPECT_TRUE(document.rows().marks().empty());
    appendNotes(document.store(), 2);
    ASSERT_TRUE(document.setMark(0, {}));
    ASSERT_TRUE(document.undoClear());
    EXPECT_EQ(marksOf(document.rows()),
        (std::map<std::size_t, QString> {{1, "reply"}, {3, ""}})); // the row after the three

    CaptureStore file;
    appendNotes(file, 2);
    file.marks().set(0, QStringLiteral("from the file"));
    document.showCapture(std::move(file), 3); // the live rows from row 3 on follow
    EXPECT_EQ(
        marksOf(document.rows()), (std::map<std::size_t, QString> {{0, "from the file"}, {2, ""}}));
    CaptureStore more;
    appendNotes(more, 1);
    more.marks().set(0, QStringLiteral("added"));
    document.addCapture(more);
    EXPECT_EQ(marksOf(document.rows()).at(4), "added");
    ASSERT_TRUE(document.removeMark(2));
    EXPECT_FALSE(document.removeMark(2));
    document.hold(true);
    EXPECT_FALSE(document.setMark(1, {})) << "the rows are being read on another thread";
}

// Next and previous go round the ends; from no row, to the first or the last.
TEST(RowMarks, NextAndPreviousGoRoundTheEnds)
{
    RowMarks marks;
    EXPECT_FALSE(marks.after(0));
    marks.set(2, {});
    marks.set(5, {});
    const std::size_t none = std::numeric_limits<std::size_t>::max();
    const struct
    {
        std::size_t from;
        std::size_t next, previous;
    } cases[] = {{0, 2, 5}, {2, 5, 5}, {3, 5, 2}, {5, 2, 2}, {9, 2, 5}, {none, 2, 5}};
    for (const auto &test : cases) {
        EXPECT_EQ(marks.after(test.from), test.next) << test.from;
        EXPECT_EQ(marks.before(test.from), test.previous) << test.from;
    }
}

// A capture without marks is written as before; one with marks adds one chunk before the
// end, which reads back, and a reader passes over a later version's chunk of a lower-case
// kind, not over one it must understand.
TEST(RowMarks, ACaptureKeepsItsMarksInAChunkOfItsOwn)
{
    CaptureStore rows;
    appendNotes(rows, 4);
    const QByteArray unmarked = captureOf(rows);
    rows.marks().set(0, {});
    rows.marks().set(3, QStringLiteral("caf\u00e9, \"quoted\""));
    const QByteArray marked = captureOf(rows);
    const qsizetype endChunk = unmarked.size() - (5 + 8 + 4);
    EXPECT_EQ(marked.left(endChunk), unmarked.left(endChunk));
    EXPECT_EQ(marked.right(17), unmarked.right(17));
    EXPECT_EQ(marked[endChunk], 'm');
    const CaptureReader::Loaded read = readCapture(marked);
    ASSERT_TRUE(read.rows) << read.reason.toStdString();
    EXPECT_EQ(marksOf(*read.rows), marksOf(rows));

    const QByteArray later = unmarked.left(endChunk) + chunk('x', "unknown") + unmarked.right(17);
    EXPECT_TRUE(readCapture(later).rows) << readCapture(later).reason.toStdString();
    const QByteArray needed = unmarked.left(endChunk) + chunk('X', "unknown") + unmarked.right(17);
    EXPECT_FALSE(readCapture(needed).rows);
    const QByteArray pastTheRows
        = unmarked.left(endChunk) + chunk('m', QByteArray("\x01\x04\x00", 3)) + unmarked.right(17);
    EXPECT_EQ(readCapture(pastTheRows).reason.mid(0, 60),
        QString("At byte %1 of the file, a mark is damaged, or of a row the c").arg(endChunk + 6));
}

// The CSV gets a Mark column only when rows are marked, and reads its marks back.
TEST(RowMarks, TheCsvHasAMarkColumnOnlyWhenRowsAreMarked)
{
    CaptureStore rows;
    appendNotes(rows, 2);
    QBuffer plain;
    plain.open(QIODevice::WriteOnly);
    ASSERT_TRUE(CsvLog::write(rows, MessageDetails::MiddleC::C4, plain));
    EXPECT_TRUE(plain.data().split('\r').front().endsWith("Capture Microseconds"));
    rows.marks().set(0, {});
    rows.marks().set(1, QStringLiteral("a, b"));
    QBuffer csv;
    csv.open(QIODevice::WriteOnly);
    ASSERT_TRUE(CsvLog::write(rows, MessageDetails::MiddleC::C4, csv));
    const QList<QByteArray> lines = csv.data().split('\n');
    EXPECT_TRUE(lines[0].endsWith("Capture Microseconds,Mark\r"));
    EXPECT_TRUE(lines[1].endsWith(",0,marked\r")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].endsWith(",1000,\"a, b\"\r")) << lines[2].toStdString();
    TaskProgress progress;
    const CaptureReader::Loaded read = FileImport::read(csv.data(), "take.csv", progress);
    ASSERT_TRUE(read.rows) << read.reason.toStdString();
    EXPECT_EQ(marksOf(*read.rows), marksOf(rows));
}
