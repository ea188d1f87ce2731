#include "export/MidiFile.h"

#include "support/Files.h"
#include "support/StoredRows.h"

#include <QBuffer>
#include <QtEndian>

// What a sequencer reads of the known traffic is KnownTrafficTest's; here the deltas at every
// length a quantity can take, and the count of what the file leaves out.
namespace {

constexpr std::uint8_t NoteOff[] = {0x80, 0x3C, 0x00};

QByteArray written(const CaptureStore &rows, MidiFile::Counts *counts = nullptr)
{
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    const std::optional<MidiFile::Counts> written = MidiFile::write(rows, out);
    EXPECT_TRUE(written);
    if (counts && written)
        *counts = *written;
    return out.data();
}

} // namespace

TEST(MidiFile, DeltasTakeTheFewestBytesAndLongGapsAreBridged)
{
    const std::pair<std::int64_t, QByteArray> gaps[] = {
        {127, bytes({0x7F})}, // the largest of one byte
        {128, bytes({0x81, 0x00})},
        {16383, bytes({0xFF, 0x7F})},
        {16384, bytes({0x81, 0x80, 0x00})},
        {0x1FFFFF, bytes({0xFF, 0xFF, 0x7F})},
        {0x200000, bytes({0x81, 0x80, 0x80, 0x00})},
        {0x0FFFFFFF, bytes({0xFF, 0xFF, 0xFF, 0x7F})}, // the largest a delta can state
        // An empty text event bridges the rest; like any meta event it ends running status.
        {0x10000005, bytes({0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0x01, 0x00, 0x06, 0x80})},
    };
    CaptureStore rows;
    std::int64_t ms = 1000;
    rows.append(Origin::Received, 0, ms * 1000, NoteOff);
    QByteArray track = bytes({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0x80, 0x3C, 0x00});
    for (const auto &[gap, delta] : gaps) {
        rows.append(Origin::Received, 0, (ms += gap) * 1000, NoteOff);
        track += delta + bytes({0x3C, 0x00});
    }
    track += bytes({0x00, 0xFF, 0x2F, 0x00});
    const QByteArray file = written(rows);
    EXPECT_EQ(file.mid(22).toHex(' ').toStdString(), track.toHex(' ').toStdString());
    EXPECT_EQ(qFromBigEndian<quint32>(file.constData() + 18), quint32(track.size()));
}

TEST(MidiFile, TicksAreRoundedFromTheMicrosecondsOfTheWholeTimeLine)
{
    // Milliseconds cut from each stamp would give deltas 0 0 1 1 2.
    CaptureStore rows;
    for (const std::int64_t stampUs : {1'000, 1'499, 2'500, 3'900, 5'300})
        rows.append(Origin::Received, 0, stampUs, NoteOff);
    const QByteArray deltas = bytes({0x00, 0x80, 0x3C, 0x00, 0x00, 0x3C, 0x00, 0x02, 0x3C, 0x00,
        0x01, 0x3C, 0x00, 0x01, 0x3C, 0x00});
    EXPECT_EQ(written(rows).mid(22 + 7, deltas.size()).toHex(' ').toStdString(),
        deltas.toHex(' ').toStdString());
}

TEST(MidiFile, CountsWhatItLeavesOutByKind)
{
    CaptureStore rows;
    store(rows,
        {{Origin::Received, {0x90, 0x3C, 0x40}}, {Origin::Received, {0xF0, 0x41, 0xF7}},
            {Origin::Sent, {0x90, 0x3C, 0x7F}}, {Origin::SendFailed, {}},
            {Origin::Received, {0xF8}}, {Origin::Received, {0xF2, 0x01, 0x02}},
            {Origin::Received, {0xF0, 0x01}}, {Origin::Received, {0x3C, 0x40}},
            {Origin::Received, {0x90, 0x3C}}, {Origin::Received, {0x90, 0x3C, 0x90}}});
    MidiFile::Counts counts;
    written(rows, &counts);
    EXPECT_EQ(MidiFile::savedSentence(counts, "/t.mid"),
        "Saved 2 MIDI messages (left out: 2 sent, 2 real-time or system common, 1 SysEx without "
        "F7, 1 without a status, 2 malformed) to /t.mid");
    EXPECT_EQ(
        MidiFile::savedSentence({1, 0, 0, 0, 0, 0, 0}, "/t.mid"), "Saved 1 MIDI message to /t.mid");
}

// A UMP row with a MIDI 1.0 form is written in it, a SysEx7 put back together from its
// packets; the others are counted as left out.
TEST(MidiFile, WritesUmpRowsInTheirMidi1FormAndCountsTheRest)
{
    const Ump::Packet packets[] = {
        {{0x20903C40}, 1}, // MIDI 1.0 Note On: 90 3C 40
        {{0x40903C00, 0xFFFF0000}, 2}, // MIDI 2.0 Note On: no MIDI 1.0 form
        {{0x31127E7F, 0}, 2}, // SysEx7 start, group 2: F0 7E 7F ...
        {{0xD0100000, 0x05F5E100, 0, 0}, 4}, // Flex Data Set Tempo: no MIDI 1.0 form
        {{0x10F80000}, 1}, // Timing Clock: real time, which a file cannot hold
        {{0x31310900, 0}, 2}, // ... SysEx7 end, group 2: ... 09 F7
        {{0x32110100, 0}, 2}, // SysEx7 start, group 3, whose end never comes
    };
    CaptureStore rows;
    for (const Ump::Packet &packet : packets)
        rows.appendUmp(Origin::Received, 0, 0, packet);
    MidiFile::Counts counts;
    const QByteArray file = written(rows, &counts);
    EXPECT_EQ(file.mid(22).toHex(' ').toStdString(),
        "00 ff 51 03 07 a1 20 00 90 3c 40 00 f0 04 7e 7f 09 f7 00 ff 2f 00");
    EXPECT_EQ(MidiFile::savedSentence(counts, "/t.mid").toStdString(),
        "Saved 2 MIDI messages (left out: 1 real-time or system common, 1 SysEx without F7, 2 "
        "UMP without a MIDI 1.0 form) to /t.mid");
}
