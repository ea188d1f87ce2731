#include "capture/TaskProgress.h"
#include "export/CsvLog.h"
#include "export/TrafficLog.h"
#include "imports/FileImport.h"
#include "rows/RowCells.h"
#include "rows/RowColumns.h"

#include <QBuffer>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

// Each row as "source: stamp" and its cells.
QStringList rowsOf(const CaptureReader::Loaded &loaded)
{
    QStringList rows;
    for (std::size_t row = 0; loaded.rows && row < loaded.rows->size(); ++row)
        rows << loaded.rows->sourceName(loaded.rows->at(row).source) + ": "
                + QString::number(loaded.rows->at(row).stampUs) + ' '
                + QString::fromStdString(RowCells::row(*loaded.rows, row));
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

// Every message is kept as the words it was; its cells read the status, data bytes and
// channel where UMP has them where MIDI 1.0 does.
TEST(UmpImport, WordDumpsKeepEveryMessageAsAUmpRow)
{
    const CaptureReader::Loaded read
        = loaded("40953C00 FFFF0000\n" // MIDI 2.0 Note On, channel 6
                 "0x21923C40, 0x12F80000\r\n" // several a line: MIDI 1.0 Note On, Clock
                 "D0100000 05F5E100 00000000 00000000\n" // Flex Data: Set Tempo
                 "F0000101 0000001F\n00000000 00000000\n" // Endpoint Discovery over two lines
                 "30210102 00000000\n" // a SysEx7 continue of nothing: kept as it came
                 "00000000\n"); // a NOOP, which only a clip's timing passes over
    ASSERT_EQ(read.reason, QString());
    EXPECT_EQ(rowsOf(read),
        QStringList({
            "take.midi2: 0 0\t95\t\t\t6\tMIDI 2.0 NOTE ON\t40953C00 FFFF0000",
            "take.midi2: 0 0\t92\t3C\t40\t3\tMIDI 1.0 NOTE ON\t21923C40",
            "take.midi2: 0 0\tF8\t\t\t\tTIMING CLOCK\t12F80000",
            "take.midi2: 0 0\t\t\t\t\tSET TEMPO\tD0100000 05F5E100 00000000 00000000",
            "take.midi2: 0 0\t\t\t\t\tENDPOINT DISCOVERY\tF0000101 0000001F 00000000 00000000",
            "take.midi2: 0 0\t\t\t\t\tSYSEX7 CONTINUE\t30210102 00000000",
            "take.midi2: 0 0\t\t\t\t\tNOOP\t00000000",
        }));
    EXPECT_EQ(read.notice, QString()) << "nothing is left out";
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
        QStringList({
            "take.midi2: 500000 500\t90\t3C\t40\t1\tMIDI 1.0 NOTE ON\t20903C40",
            "take.midi2: 500000 500\t\t\t\t\tSET TEMPO\tD0100000 05F5E100 00000000 00000000",
            "take.midi2: 1000000 1000\t80\t3C\t00\t1\tMIDI 1.0 NOTE OFF\t20803C00",
        }));
}

// A text log, with stamps or without, or a CSV of UMP rows among MIDI 1.0 ones opens as the
// rows it shows; words that make no message are refused at their line.
TEST(UmpImport, LogsOfUmpRowsOpenAsTheRowsTheyShow)
{
    CaptureStore rows;
    const CaptureStore::Source source = *rows.sourceNamed("take.midi2");
    const std::uint8_t note[] = {0x90, 0x3C, 0x40};
    // Some lines read as words alone and as a stamp before words: "40903000 00200000" is
    // the first row with its stamp, and the last row's words without one. The other lines
    // tell which the log holds.
    constexpr std::int64_t EightDigitStamp = 40'903'000'000;
    rows.appendUmp(Origin::Received, source, EightDigitStamp, {{0x00200000}, 1});
    rows.append(Origin::Received, source, EightDigitStamp + 1'000, note);
    for (const Ump::Packet &packet : {Ump::Packet {{0x40953C00, 0xFFFF0000}, 2},
             Ump::Packet {{0xD0100000, 0x05F5E100, 0, 0}, 4}, Ump::Packet {{0x40903000, 0}, 2}})
        rows.appendUmp(Origin::Received, source, EightDigitStamp + 2'000, packet);
    // Each row's cells, its Timestamp cell left out where the log has none.
    const auto cellsOf = [](const CaptureStore &store, bool stamped) {
        std::vector<std::string> cells;
        for (std::size_t row = 0; row < store.size(); ++row) {
            std::string line;
            for (int column = stamped ? RowColumns::Timestamp : RowColumns::Status;
                 column < RowColumns::Count; ++column)
                line += RowCells::cell(store, row, column) + '\t';
            cells.push_back(line);
        }
        return cells;
    };
    enum class Log { Stamped, Unstamped, Csv };
    for (const Log kind : {Log::Stamped, Log::Unstamped, Log::Csv}) {
        QBuffer log;
        log.open(QIODevice::WriteOnly);
        ASSERT_TRUE(kind == Log::Csv
                ? CsvLog::write(rows, MessageDetails::MiddleC::C4, log)
                : TrafficLog::write(rows,
                    kind == Log::Stamped ? TrafficLog::Rows::All : TrafficLog::Rows::IncomingOnly,
                    log));
        TaskProgress progress;
        const CaptureReader::Loaded read = FileImport::read(log.data(), "take", progress);
        ASSERT_TRUE(read.rows) << read.reason.toStdString() << log.data().toStdString();
        const bool stamped = kind != Log::Unstamped;
        EXPECT_EQ(cellsOf(*read.rows, stamped), cellsOf(rows, stamped)) << log.data().toStdString();
    }
    TaskProgress progress;
    EXPECT_EQ(FileImport::read("1 90 3C 40\n2 40953C00\n", "take.txt", progress).reason,
        "Line 2 is no row of a Lumetra text log: a UMP message of 1 words is of a type that "
        "takes 2.");
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
            "Line 2: the words end inside the 64-bit message that begins there."},
        {clip("0030006000"), "The clip ends inside a word, 5 bytes after its header."},
        {clip("00300060 40903C00"), "Offset 12: the clip ends inside a message."},
        {clip("00400060"),
            "Offset 8: a Delta Clockstamp comes before the ticks per quarter note are given."},
        {clip("00300000"), "Offset 8: it gives 0 ticks per quarter note."},
    };
    for (const auto &test : cases) {
        const CaptureReader::Loaded read = loaded(test.file);
        EXPECT_EQ(read.reason.toStdString(), test.reason);
        EXPECT_FALSE(read.rows);
    }
}
