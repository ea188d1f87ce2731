#include "imports/FileImport.h"

#include "capture/TaskProgress.h"

#include <QStringList>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

// A Standard MIDI File of these tracks: format, track count and division as given.
QByteArray midiFile(int format, int tracks, std::uint16_t division, const QList<QByteArray> &data)
{
    const auto bigEndian = [](std::uint32_t value, int size) {
        const std::uint32_t big = qToBigEndian(value);
        return QByteArray(reinterpret_cast<const char *>(&big), 4).right(size);
    };
    QByteArray file = "MThd" + bigEndian(6, 4) + bigEndian(std::uint32_t(format), 2)
        + bigEndian(std::uint32_t(tracks), 2) + bigEndian(division, 2);
    for (const QByteArray &track : data)
        file += "MTrk" + bigEndian(std::uint32_t(track.size()), 4) + track;
    return file;
}

QByteArray hex(const char *bytes)
{
    return QByteArray::fromHex(bytes);
}

// Each row as "stamp origin bytes".
QStringList rowsOf(const QByteArray &file)
{
    TaskProgress progress;
    const CaptureReader::Loaded loaded = FileImport::read(file, "f.mid", progress);
    EXPECT_EQ(loaded.reason, QString());
    QStringList rows;
    for (std::size_t row = 0; loaded.rows && row < loaded.rows->size(); ++row) {
        const CapturedMessage message = loaded.rows->at(row);
        const QByteArray bytes(
            reinterpret_cast<const char *>(message.bytes.data()), qsizetype(message.bytes.size()));
        rows << QString::number(message.stampUs) + ' ' + QString::number(int(message.origin)) + ' '
                + bytes.toHex(' ');
    }
    return rows;
}

} // namespace

TEST(FileImport, AMidiFilePlaysItsTracksTogetherByItsTempoMap)
{
    const QByteArray tempoTrack = hex("00FF510307A120" // 120 BPM from the start
                                      "60FF51030F4240" // 60 BPM from the first beat
                                      "00FF2F00");
    const QByteArray notes = hex("00903C40" // at 0
                                 "603E40" // running status, a beat later: 0.5 s
                                 "00FF01026869" // a text event, which ends running status
                                 "30F003431200" // half a beat on: a SysEx in packets
                                 "30F701F8" // a packet of a clock, inside the SysEx
                                 "00F70201F7" // the SysEx's last packet
                                 "00F702F305" // an escape: Song Select
                                 "60803C00" // a beat at 60 BPM later
                                 "00FF2F00");
    EXPECT_EQ(rowsOf(midiFile(1, 2, 96, {tempoTrack, notes})),
        QStringList({"0 0 90 3c 40", "500000 0 90 3e 40", "1000000 0 f0 43 12 00 01 f7",
            "1500000 0 f8", "1500000 0 f3 05", "2500000 0 80 3c 00"}));
    // 25 frames a second of 40 ticks: a tick a millisecond, whatever the tempo.
    EXPECT_EQ(rowsOf(midiFile(0, 1, 0xE728,
                  {hex("00C005"
                       "00FF51030F4240"
                       "8F0AB00764")})),
        QStringList({"0 0 c0 05", "1930000 0 b0 07 64"}))
        << "a track needs no End of Track";
}

// A file no reader takes is refused whole, with the offset or line at fault; junk is quoted
// cut short, and a source it cannot name refuses the file rather than take another's name.
TEST(FileImport, RefusesEachDamagedFileNamingWhereItIsDamaged)
{
    const QByteArray note = hex("00903C40");
    const QByteArray junk(16 << 20, 'x');
    QByteArray manyInputs
        = "Timestamp,Status,Data 1,Data 2,Channel,Event,SysEx Data,Time of Day,Details,Source\r\n";
    for (int input = 0; input <= int(CaptureStore::MaxSources); ++input)
        manyInputs += "0,90,3C,40,1,NOTE ON,,,," + QByteArray::number(input) + "\r\n";
    const struct
    {
        QByteArray file;
        QString reason;
    } cases[] = {
        {"", "The file is empty."},
        {"MThd\0\0\0\6\0", "The file ends inside its header: it was cut short."},
        {midiFile(2, 1, 96, {note}),
            "At byte 8 of the file, the file is of format 2; Lumetra reads formats 0 and 1."},
        {midiFile(0, 2, 96, {note, note}),
            "At byte 10 of the file, a file of format 0 declares 2 tracks, not 1."},
        {midiFile(0, 1, 0, {note}), "At byte 12 of the file, the file's division times no event."},
        {midiFile(0, 1, 96, {note}).chopped(1),
            "At byte 14 of the file, a chunk of 4 bytes begins, more than the file holds: it "
            "was cut short."},
        {midiFile(1, 2, 96, {note}),
            "At byte 26 of the file, the file ends after 1 of the 2 tracks it declared."},
        {midiFile(0, 1, 96, {hex("003C40")}),
            "At byte 23 of the file, a data byte (3C) begins an event, with no status before it "
            "to reuse."},
        {midiFile(0, 1, 96, {hex("00F4")}),
            "At byte 23 of the file, an event begins with F4, which no event of a MIDI file "
            "begins with."},
        {midiFile(0, 1, 96, {hex("FFFFFFFF00")}),
            "At byte 22 of the file, a delta time is cut short by its track's end, or longer "
            "than four bytes."},
        {midiFile(0, 1, 96, {hex("00903C")}),
            "At byte 25 of the file, a channel message is short of a data byte."},
        {midiFile(0, 1, 96, {hex("00F00501")}),
            "At byte 23 of the file, an event's length reaches past its track's end."},
        {midiFile(0, 1, 96, {hex("00FF5102FFFF")}),
            "At byte 23 of the file, a tempo change holds 2 bytes, not 3."},
        {hex("F00102F790"), "Byte 4 is 90, where a SysEx message must begin with F0."},
        {"90 3C 40\r\n90 3G 40\r\n",
            "Line 2 is no row of a Lumetra text log: \"3G\" is not a byte in hex."},
        {"5 90 3C 40\r\nSEND ERR 90  \r\n",
            "Line 2 is no row of a Lumetra text log: a failed send holds bytes."},
        {"[Keys 90 3C 40\r\n",
            "The file is none that Lumetra opens: no capture, MIDI file, .syx file, text or CSV "
            "log (line 1: its source's name has no \"] \" after it.)"},
        {"Timestamp,Status,Data 1,Data 2,Channel,Event,SysEx Data,Time of Day,Details\r\n"
         "0,90,3C,40,1,NOTE ON,,00:00:00.123,\"C4\r\n",
            "Line 2 opens a quoted field that the file never closes."},
        {"Timestamp,Status,Data 1,Data 2,Channel,Event,SysEx Data,Time of Day,Details\r\n"
         "SENT,90,3C,40,1,NOTE ON,,00:00:00.123,\"C4, \"\"64\"\"\"\r\n0,90,3C\r\n",
            "Line 3 is no row of a Lumetra CSV: it has 3 fields, not 9."},
        {"Timestamp,Status,Data 1,Data 2,Channel,Event,SysEx Data,Time of Day,Details\r\n"
         "later,90,3C,40,1,NOTE ON,,,\r\n",
            "Line 2 is no row of a Lumetra CSV: \"later\" is no time stamp."},
        {"90 3C 40\r\n" + junk + "\r\n",
            "Line 2 is no row of a Lumetra text log: \"" + QString(80, 'x')
                + "\u2026\" is no time stamp."},
        {"90 3C 40\r\n[" + junk + "] 90 3C 40\r\n",
            "Line 2 is no row of a Lumetra text log: its source's name is longer than 1024 "
            "bytes."},
        {manyInputs, "Line 258 is no row of a Lumetra CSV: it names more than 256 sources."},
    };
    for (const auto &refused : cases) {
        TaskProgress progress;
        const CaptureReader::Loaded loaded = FileImport::read(refused.file, "f", progress);
        EXPECT_FALSE(loaded.rows) << refused.file.left(40).toHex(' ').toStdString();
        EXPECT_EQ(loaded.reason, refused.reason);
    }
}
