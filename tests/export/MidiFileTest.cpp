#include "export/MidiFile.h"

#include "support/Files.h"
#include "support/StoredRows.h"

#include <QBuffer>
#include <QtEndian>

// What a sequencer reads of the known traffic is KnownTrafficTest's; here the deltas at every
// length a quantity can take, and the count of what the file leaves out.
namespace {

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
    const std::uint8_t noteOff[] = {0x80, 0x3C, 0x00};
    CaptureStore rows;
    std::int64_t ms = 1000;
    rows.append(Origin::Received, 0, ms * 1000, noteOff);
    QByteArray track = bytes({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0x80, 0x3C, 0x00});
    for (const auto &[gap, delta] : gaps) {
        rows.append(Origin::Received, 0, (ms += gap) * 1000, noteOff);
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
    const std::uint8_t noteOff[] = {0x80, 0x3C, 0x00};
    CaptureStore rows;
    for (const std::int64_t stampUs : {1'000, 1'499, 2'500, 3'900, 5'300})
        rows.append(Origin::Received, 0, stampUs, noteOff);
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
        MidiFile::savedSentence({1, 0, 0, 0, 0, 0}, "/t.mid"), "Saved 1 MIDI message to /t.mid");
}
