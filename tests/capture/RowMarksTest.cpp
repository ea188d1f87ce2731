#include "capture/CaptureDocument.h"
#include "capture/TaskProgress.h"
#include "export/CsvLog.h"
#include "imports/FileImport.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace {

constexpr std::uint8_t Note[] = {0x90, 0x3C, 0x40};

void appendNotes(CaptureStore &rows, int count)
{
    const CaptureStore::Source in = *rows.sourceNamed(QStringLiteral("in"));
    for (int i = 0; i < count; ++i)
        rows.append(Origin::Received, in, i * 1000, Note);
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
    appendNotes(document.store(), 2);
    ASSERT_TRUE(document.setMark(0, {}));
    ASSERT_TRUE(document.undoClear());
    EXPECT_EQ(document.rows().marks().notes(),
        (std::map<std::size_t, QString> {{1, "reply"}, {3, ""}})); // the row after the three

    CaptureStore file;
    appendNotes(file, 2);
    file.marks().set(0, QStringLiteral("from the file"));
    document.showCapture(std::move(file), 3); // the live rows from row 3 on follow
    EXPECT_EQ(document.rows().marks().notes(),
        (std::map<std::size_t, QString> {{0, "from the file"}, {2, ""}}));
    ASSERT_TRUE(document.removeMark(2));
    document.hold(true);
    EXPECT_FALSE(document.setMark(1, {})) << "the rows are being read on another thread";
}

// The CSV gets a Mark column only when rows are marked, and reads its marks back.
TEST(RowMarks, TheCsvHasAMarkColumnOnlyWhenRowsAreMarked)
{
    CaptureStore rows;
    appendNotes(rows, 2);
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
    EXPECT_EQ(read.rows->marks().notes(), rows.marks().notes());
}
