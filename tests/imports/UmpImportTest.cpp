#include "capture/TaskProgress.h"
#include "imports/FileImport.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

// Each row as "source: stamp bytes".
QStringList rowsOf(const CaptureReader::Loaded &loaded)
{
    QStringList rows;
    for (std::size_t row = 0; loaded.rows && row < loaded.rows->size(); ++row) {
        const CapturedMessage message = loaded.rows->at(row);
        const QByteArray bytes(
            reinterpret_cast<const char *>(message.bytes.data()), qsizetype(message.bytes.size()));
        rows << loaded.rows->sourceName(message.source) + ": " + QString::number(message.stampUs)
                + ' ' + bytes.toHex(' ');
    }
    return rows;
}

CaptureReader::Loaded loaded(const QByteArray &file)
{
    TaskProgress progress;
    return FileImport::read(file, "take.midi2", progress);
}

QByteArray clip(const char *hexWords)
{
    return "SMF2CLIP" + QByteArray::fromHex(hexWords);
}

} // namespace

TEST(UmpImport, WordDumpsBecomeMidi1RowsOfTheirGroup)
{
    const CaptureReader::Loaded read = loaded("40903C00 FFFF0000\n" // MIDI 2.0: not a row
                                              "0x20903C40, 0x11F80000\r\n" // several a line
                                              "31167E7F 0D700102\n" // a SysEx7 over two lines
                                              "31310100 00000000\n");
    ASSERT_EQ(read.reason, QString());
    EXPECT_EQ(rowsOf(read),
        QStringList({"take.midi2: group 1: 0 90 3c 40", "take.midi2: group 2: 0 f8",
            "take.midi2: group 2: 0 f0 7e 7f 0d 70 01 02 01 f7"}));
    EXPECT_TRUE(read.notice.startsWith("1 UMP messages were left out"))
        << read.notice.toStdString();
    EXPECT_TRUE(read.notice.contains("message 1, MIDI 2.0 Note On, group 1"))
        << read.notice.toStdString();
}

TEST(UmpImport, ClipsAreStampedByTheirDeltaClockstampsAndTempo)
{
    const CaptureReader::Loaded read = loaded(clip("00300060" // 96 ticks per quarter note
                                                   "00400000 F0200000 00000000 00000000 00000000"
                                                   "00400060 20903C40" // a beat at 120 BPM
                                                   "00400000 D0100000 05F5E100 00000000 00000000"
                                                   "00400030 20803C00" // half a beat at 60 BPM
                                                   "00400000 F0210000 00000000 00000000 00000000"));
    ASSERT_EQ(read.reason, QString());
    EXPECT_EQ(rowsOf(read),
        QStringList(
            {"take.midi2: group 1: 500000 90 3c 40", "take.midi2: group 1: 1000000 80 3c 00"}));
    // The tempo is Flex Data, which rows cannot hold: said so.
    EXPECT_TRUE(read.notice.contains("Set Tempo")) << read.notice.toStdString();
}

TEST(UmpImport, BrokenSysEx7IsNeitherInventedNorLost)
{
    const CaptureReader::Loaded read = loaded("30210102 00000000\n" // a continuation of nothing
                                              "31120102 00000000\n" // a start ...
                                              "31110300 00000000\n"); // ... cut short by another
    ASSERT_EQ(read.reason, QString());
    EXPECT_EQ(rowsOf(read),
        QStringList({"take.midi2: group 2: 0 f0 01 02", "take.midi2: group 2: 0 f0 03"}));
    EXPECT_TRUE(read.notice.contains("message 1, SysEx7 continue")) << read.notice.toStdString();
}

TEST(UmpImport, MalformedFilesAreRefusedNamingWhere)
{
    const struct
    {
        QByteArray file;
        const char *reason;
    } cases[] = {
        {"40903C00 FFFF0000\n20903C40 FFFF\n", "Line 2: \"FFFF\" is not a 32-bit word in hex."},
        {"20903C40\n40903C00\n",
            "Line 2: the words end inside the 64-bit message that begins "
            "there."},
        {clip("0030006000"), "The clip ends inside a word, 5 bytes after its header."},
        {clip("00300060 40903C00"), "Offset 12: the clip ends inside a message."},
        {clip("00400060"),
            "Offset 8: a Delta Clockstamp comes before the ticks per quarter note "
            "are given."},
        {clip("00300000"), "Offset 8: it gives 0 ticks per quarter note."},
    };
    for (const auto &test : cases) {
        const CaptureReader::Loaded read = loaded(test.file);
        EXPECT_EQ(read.reason.toStdString(), test.reason);
        EXPECT_FALSE(read.rows);
    }
}
