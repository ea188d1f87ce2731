#include "capture/CaptureReader.h"
#include "capture/CaptureWriter.h"
#include "capture/TaskProgress.h"
#include "imports/FileImport.h"
#include "support/Files.h"
#include "support/StoredRows.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtEndian>
#include <algorithm>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace {

constexpr std::uint8_t Note[] = {0x90, 0x3C, 0x40};

// Everything a reader of the store sees: each row as a line, then each source and its port starts.
std::vector<std::string> contentsOf(const CaptureStore &rows)
{
    std::vector<std::string> lines {std::to_string(rows.wallClockAtStart())};
    std::ranges::copy(rowLines(rows), std::back_inserter(lines));
    for (std::size_t source = 0; source < rows.sourceCount(); ++source) {
        lines.push_back(rows.sourceName(CaptureStore::Source(source)).toStdString());
        for (const auto &start : rows.portStarts(CaptureStore::Source(source)))
            lines.push_back(std::to_string(start.firstRow) + " " + std::to_string(start.startUs));
    }
    return lines;
}

// Two sources, restarted ports (before the first row, between rows, after a clear and
// after the last row), every origin, stamps below 0 and far apart, a dump of 70,000 bytes,
// and failed sends with and without their bytes.
void storeMixedTraffic(CaptureStore &rows)
{
    rows.setWallClockAtStart(1'767'225'600'123'456);
    const CaptureStore::Source in = *rows.sourceNamed(QStringLiteral("JACK: synth:out \u00e9"));
    const CaptureStore::Source out = *rows.sourceNamed(QStringLiteral("Lumetra Loopback"));
    rows.startPort(in, -2'000);
    rows.append(Origin::Received, in, 5, Note);
    rows.clear();
    rows.startPort(out, 7);
    for (std::int64_t i = 0; i < 3'000; ++i) {
        if (i == 1'502) // between two rows of the other source
            rows.startPort(out, 55'000);
        rows.append(i % 5 ? Origin::Received : Origin::Sent, i % 3 ? in : out,
            i * 1'003 - 40'000 + (i % 7 == 0 ? -900'000 : 0),
            std::span(Note, std::size_t(1 + i % 3)));
    }
    rows.append(Origin::SendFailed, out, 8, std::span(Note, 0)); // as earlier versions kept it
    rows.append(Origin::SendFailed, out, 9, sysExOf(5));
    rows.append(Origin::SendFailed, out, (std::int64_t(1) << 47) - 1, Note);
    rows.startPort(in, 123'456'789'012);
    rows.append(Origin::Received, in, -(std::int64_t(1) << 47), sysExOf(70'000));
    rows.startPort(out, 99);
}

QByteArray captureOf(const CaptureStore &rows)
{
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    TaskProgress progress;
    EXPECT_TRUE(CaptureWriter::write(rows, file, progress));
    return file.data();
}

CaptureReader::Loaded readCapture(QByteArray bytes, qint64 memoryRoom = qint64(1) << 30)
{
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    TaskProgress progress;
    return CaptureReader::read(file, memoryRoom, progress);
}

// Where a capture naming one source puts its rows chunk, and the first row after its size.
constexpr int RowsChunk = 12 + 5 + 8 * 4 + 1 + 1 + 2 + 4, FirstRow = RowsChunk + 5;

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

// A cancelled save leaves the file that was there (a full disk is the settings file's test of
// the same whole-or-nothing save); a cancelled read gives nothing.
TEST(CaptureFile, ReopensEveryRowPortStartAndSourceAsSavedUnlessShortOfMemoryOrCancelled)
{
    CaptureStore saved;
    storeMixedTraffic(saved);
    const CaptureReader::Loaded reopened = readCapture(captureOf(saved));
    ASSERT_TRUE(reopened.rows) << reopened.reason.toStdString();
    EXPECT_EQ(contentsOf(*reopened.rows), contentsOf(saved));
    EXPECT_LE(captureOf(saved).size(), 70'000 + 8 * 3'000 + 200) << "a short row takes 8 bytes";
    const CaptureReader::Loaded refused = readCapture(captureOf(saved), 64 * 1024);
    EXPECT_FALSE(refused.rows);
    EXPECT_EQ(refused.reason,
        "The capture's 3004 rows need 1 MiB of memory, more than the 0 MiB there is room for.");

    QTemporaryDir folder;
    const QString path = writeFile(folder.filePath("take.lmc"), "earlier");
    TaskProgress cancelled;
    cancelled.cancelled = true;
    EXPECT_EQ(CaptureWriter::save(saved, path, cancelled), QString());
    EXPECT_EQ(readFile(path), "earlier");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList {"take.lmc"});

    TaskProgress progress;
    ASSERT_TRUE(CaptureWriter::save(saved, path, progress).isEmpty());
    EXPECT_EQ(progress.done, saved.size());
    const CaptureReader::Loaded cancelledRead = FileImport::load(path, cancelled);
    EXPECT_FALSE(cancelledRead.rows);
    EXPECT_TRUE(cancelledRead.reason.isEmpty());
}

// Every cut and every damaged byte of a file is refused whole, with its place or reason.
TEST(CaptureFile, RefusesEveryTruncationAndEveryDamagedByte)
{
    CaptureStore saved;
    storeMixedTraffic(saved);
    saved.clear(); // a small file, so that every byte can be tried
    saved.append(Origin::Received, 0, 5, Note);
    saved.append(Origin::Sent, 1, 4, sysExOf(6));
    const QByteArray file = captureOf(saved);
    ASSERT_TRUE(readCapture(file).rows);
    for (qsizetype at = 0; at < file.size(); ++at) {
        QByteArray damaged = file;
        damaged[at] = char(damaged[at] ^ 0x10);
        for (const QByteArray &refused : {file.left(at), damaged}) {
            const CaptureReader::Loaded read = readCapture(refused);
            EXPECT_FALSE(read.rows) << at;
            EXPECT_FALSE(read.reason.isEmpty()) << at;
        }
    }
    const CaptureReader::Loaded longer = readCapture(file + "x");
    EXPECT_EQ(longer.reason,
        "At byte " + QString::number(file.size())
            + " of the file, bytes follow the end of the capture.");
    EXPECT_EQ(readCapture(file.left(9)).reason,
        "At byte 9 of the file, the file ends inside its header: it was cut short.");
    QByteArray later = file;
    later[9] = 0x40;
    EXPECT_EQ(readCapture(later).reason,
        "At byte 8 of the file, the capture is of format version 16385; this Lumetra reads "
        "version 1.");
}

// Rows whose checksums hold but that no Lumetra could have stored are refused at the row;
// every kind of row the program does store reads.
TEST(CaptureFile, RefusesRowsThatCannotBeAndReadsEveryRowThatCan)
{
    QByteArray longNote = sysExOf(1'000);
    longNote[0] = char(0x90);
    const struct
    {
        Origin origin;
        CaptureStore::Source source;
        QByteArray bytes;
        const char *reason; // nullptr: the row reads
    } cases[] = {
        {Origin::Received, 0, {}, "a received row holds no bytes."},
        {Origin::Received, 0, longNote, "a received row of 1000 bytes is no SysEx."},
        {Origin::Received, 1, bytes({0x90, 0x3C, 0x7F}),
            "a row is of source 1, which the capture does not name."},
        {Origin::Sent, 0, {}, "a sent row holds no bytes."},
        {Origin::Received, 0, bytes({0x3C}), nullptr}, // a data byte with no status
        {Origin::Received, 0, bytes({0x90, 0x3C}), nullptr}, // cut short by the next status
        {Origin::Received, 0, bytes({0xF0, 0x41, 0x10, 0x42}), nullptr}, // a SysEx cut short
        {Origin::Sent, 0, bytes({0x90, 0x3C, 0x7F, 0x00}), nullptr}, // kept by earlier versions
        {Origin::SendFailed, 0, {}, nullptr}, // as earlier versions kept it
        {Origin::SendFailed, 0, sysExOf(9), nullptr},
    };
    for (const auto &row : cases) {
        CaptureStore saved;
        saved.sourceNamed(QStringLiteral("in"));
        saved.append(row.origin, row.source, 1, row.bytes);
        saved.append(Origin::Received, 0, 2, Note);
        const CaptureReader::Loaded read = readCapture(captureOf(saved));
        const QString expected = row.reason
            ? QStringLiteral("At byte %1 of the file, %2").arg(FirstRow).arg(row.reason)
            : QString();
        EXPECT_EQ(read.reason, expected) << row.bytes.toHex().left(20).toStdString();
        if (!row.reason && read.rows) {
            EXPECT_EQ(contentsOf(*read.rows), contentsOf(saved));
        }
    }
    CaptureStore named;
    named.sourceNamed(QString(2'000, 'n'));
    EXPECT_EQ(readCapture(captureOf(named)).reason,
        "At byte 50 of the file, a source's name is 2000 bytes long, more than 1024.");
}

// A FIFO or a device is written as a stream, its failures said, and a link stays a link; a read
// refuses what is no regular file without waiting on it.
TEST(CaptureFile, ASaveWritesThroughADeviceAFifoOrALinkAndAReadTakesOnlyRegularFiles)
{
    const CaptureStore saved;
    const QByteArray expected = captureOf(saved);
    QTemporaryDir folder;
    const QString fifo = folder.filePath("fifo"), toFull = folder.filePath("full.lmc");
    const QString toFile = folder.filePath("link.lmc"), file = folder.filePath("take.lmc");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/full", QFile::encodeName(toFull).constData()), 0);
    ASSERT_EQ(::symlink("take.lmc", QFile::encodeName(toFile).constData()), 0);
    const auto kindOf = [](const QString &path, bool follow = true) {
        struct stat status = {};
        (follow ? ::stat : ::lstat)(QFile::encodeName(path).constData(), &status);
        return status.st_mode & S_IFMT;
    };
    TaskProgress progress;
    EXPECT_EQ(CaptureWriter::save(saved, fifo, progress), "it is a FIFO that nothing reads from");
    EXPECT_EQ(kindOf(fifo), mode_t(S_IFIFO));
    EXPECT_EQ(CaptureWriter::save(saved, toFull, progress), "No space left on device");
    EXPECT_EQ(kindOf(toFull, false), mode_t(S_IFLNK));
    EXPECT_EQ(kindOf("/dev/full"), mode_t(S_IFCHR));
    ASSERT_EQ(CaptureWriter::save(saved, toFile, progress), "");
    EXPECT_EQ(kindOf(toFile, false), mode_t(S_IFLNK));
    EXPECT_EQ(readFile(file), expected);

    QFile reader(fifo); // read end opened first, so that the save finds a reader
    const int readEnd = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(readEnd, 0);
    ASSERT_TRUE(reader.open(readEnd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
    EXPECT_EQ(CaptureWriter::save(saved, fifo, progress), "");
    EXPECT_EQ(reader.readAll(), expected);
    EXPECT_EQ(kindOf(fifo), mode_t(S_IFIFO));

    const struct
    {
        QString path, reason;
    } cases[] = {
        {fifo, '"' + fifo + "\" is not a regular file."}, // would block a plain open
        {folder.path(), '"' + folder.path() + "\" is not a regular file."},
        {"/dev/zero", "\"/dev/zero\" is not a regular file."}, // never ends
        {folder.filePath("none"),
            '"' + folder.filePath("none") + "\" cannot be read: it is not there."},
        {writeFile(folder.filePath("text.lmc"), "Timestamp\tStatus\n"),
            "Cannot open \"" + folder.filePath("text.lmc")
                + "\": The file is none that Lumetra opens: no capture, MIDI file, .syx file, "
                  "text or CSV log (line 1: \"Timestamp\tStatus\" is no time stamp.)"},
    };
    for (const auto &refused : cases) {
        TaskProgress fresh;
        const CaptureReader::Loaded loaded = FileImport::load(refused.path, fresh);
        EXPECT_FALSE(loaded.rows) << refused.path.toStdString();
        EXPECT_EQ(loaded.reason, refused.reason);
    }
    // Far larger than the memory there is, and refused before it is read.
    QFile huge(writeFile(folder.filePath("huge.mid"), "MThd"));
    ASSERT_TRUE(huge.resize(qint64(1) << 40)); // sparse: no disk taken
    const QString reason = FileImport::load(huge.fileName(), progress).reason;
    EXPECT_TRUE(reason.startsWith('"' + huge.fileName() + "\" is larger than "))
        << qPrintable(reason);
}

// A capture without marks is written as before; one with marks adds one chunk before the
// end, which reads back, and a reader passes over a later version's chunk of a lower-case
// kind, not over one it must understand.
TEST(CaptureFile, KeepsItsMarksInAChunkOfItsOwn)
{
    CaptureStore rows;
    const CaptureStore::Source in = *rows.sourceNamed(QStringLiteral("in"));
    for (int i = 0; i < 4; ++i)
        rows.append(Origin::Received, in, i * 1000, Note);
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
    EXPECT_EQ(read.rows->marks().notes(), rows.marks().notes());

    const QByteArray later = unmarked.left(endChunk) + chunk('x', "unknown") + unmarked.right(17);
    EXPECT_TRUE(readCapture(later).rows) << readCapture(later).reason.toStdString();
    const QByteArray needed = unmarked.left(endChunk) + chunk('X', "unknown") + unmarked.right(17);
    EXPECT_FALSE(readCapture(needed).rows);
    const QByteArray pastTheRows
        = unmarked.left(endChunk) + chunk('m', QByteArray("\x01\x04\x00", 3)) + unmarked.right(17);
    EXPECT_EQ(readCapture(pastTheRows).reason.mid(0, 60),
        QString("At byte %1 of the file, a mark is damaged, or of a row the c").arg(endChunk + 6));
}

// A UMP row is its own event: the tag's bit 6, the word count less one in the size bits, and
// the words most significant byte first. One that cannot be is refused at its tag.
TEST(CaptureFile, KeepsUmpRowsAndRefusesOnesThatCannotBe)
{
    CaptureStore saved;
    saved.sourceNamed(QStringLiteral("in"));
    saved.appendUmp(Origin::Received, 0, 1, {{0x40903C00, 0xFFFF0000}, 2});
    saved.append(Origin::Received, 0, 2, Note);
    saved.appendUmp(Origin::Received, 0, 3, {{0x00200000}, 1});
    saved.appendUmp(Origin::Received, 0, 4, {{0xF0020000, 1, 2, 3}, 4});
    const QByteArray file = captureOf(saved);
    const CaptureReader::Loaded reopened = readCapture(file);
    ASSERT_TRUE(reopened.rows) << reopened.reason.toStdString();
    EXPECT_EQ(contentsOf(*reopened.rows), contentsOf(saved));
    ASSERT_EQ(file.mid(FirstRow, 10).toHex(),
        "44024090"
        "3c00ffff0000");
    const qsizetype rowsEnd
        = RowsChunk + 9 + qFromLittleEndian<quint32>(file.constData() + RowsChunk + 1);
    const std::pair<const char *, const char *> damaged[] = {
        {"40 02 40903C00", "a UMP row holds 1 words, and its message type takes 2."},
        {"54 02 40903C00 FFFF0000", "a UMP row has a byte count."},
        {"44 02 40903C00 FF", "a UMP row's words are cut short."},
        {"C4 02 40903C00 FFFF0000", "a row begins with a byte no row begins with."},
    };
    for (const auto &[rows, reason] : damaged) {
        const QByteArray refused
            = file.left(RowsChunk) + chunk('R', QByteArray::fromHex(rows)) + file.mid(rowsEnd);
        EXPECT_EQ(readCapture(refused).reason,
            QStringLiteral("At byte %1 of the file, %2").arg(FirstRow).arg(reason));
    }
}
