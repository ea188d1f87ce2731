#include "export/MidiFile.h"

#include "support/StoredRows.h"

#include <QBuffer>
#include <QtEndian>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Event
{
    std::int64_t time = 0;
    Bytes bytes; // status first, also when the file left it to running status
    bool statusWritten = true;
    int deltaLength = 0; // bytes of the delta's variable-length quantity
};

// Reads a one-track file the way a sequencer would; throws at anything out of place.
class SmfReader
{
public:
    explicit SmfReader(const QByteArray &file)
        : m_file(file)
    {
        // Type 0, one track, 500 ticks a quarter; the track's length counts to the file's end.
        const QByteArray header("MThd\0\0\0\6\0\0\0\1\x01\xF4MTrk", 18);
        if (!file.startsWith(header) || file.size() < 22
            || qFromBigEndian<quint32>(file.constData() + 18) != quint32(file.size() - 22))
            throw std::runtime_error("not a type 0 file of 500 ticks a quarter");
    }

    std::vector<Event> read()
    {
        std::vector<Event> events;
        for (std::int64_t time = 0; m_at < m_file.size();) {
            Event event;
            const qsizetype deltaStart = m_at;
            event.time = time += quantity();
            event.deltaLength = int(m_at - deltaStart);
            readMessage(event);
            events.push_back(event);
        }
        return events;
    }

private:
    std::uint8_t next(bool advance = true)
    {
        if (m_at >= m_file.size())
            throw std::runtime_error("the track ends inside an event");
        return std::uint8_t(m_file[advance ? m_at++ : m_at]);
    }
    std::uint32_t quantity()
    {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const std::uint8_t byte = next();
            value = value << 7 | (byte & 0x7F);
            if (byte < 0x80)
                return value;
        }
        throw std::runtime_error("a quantity longer than four bytes");
    }
    void readMessage(Event &event)
    {
        event.statusWritten = next(false) >= 0x80;
        if (!event.statusWritten && m_running == 0)
            throw std::runtime_error("data bytes without a running status");
        const std::uint8_t status = event.statusWritten ? next() : m_running;
        event.bytes = {status};
        if (status == 0xFF)
            event.bytes.push_back(next()); // the meta event's type
        const std::uint32_t length = status == 0xF0 || status == 0xFF ? quantity()
            : (status >> 4) == 0xC || (status >> 4) == 0xD            ? 1
                                                                      : 2;
        for (std::uint32_t i = 0; i < length; ++i)
            event.bytes.push_back(next());
        // SysEx and meta events end running status.
        m_running = status < 0xF0 ? status : 0;
    }

    QByteArray m_file;
    qsizetype m_at = 22;
    std::uint8_t m_running = 0;
};

std::vector<Event> exported(const CaptureStore &rows, MidiFile::Counts &counts)
{
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    counts = MidiFile::write(rows, out).value();
    return SmfReader(out.data()).read();
}

const Bytes Tempo = {0xFF, 0x51, 0x07, 0xA1, 0x20};
const Bytes EndOfTrack = {0xFF, 0x2F};

} // namespace

TEST(MidiFile, HoldsTheReceivedMessagesAtTheirTimes)
{
    CaptureStore rows;
    rows.sourceNamed("in");
    store(rows,
        {
            {Origin::Received, {0xF8}, 100'000}, // left out, but starts the time line
            {Origin::Received, {0x90, 0x3C, 0x40}, 110'000},
            {Origin::Sent, {0x90, 0x3C, 0x7F}},
            {Origin::Received, {0x90, 0x3E, 0x00}, 120'999}, // running status
            {Origin::Received, {0xC5, 0x07}, 125'000},
            {Origin::Received, {0xF0, 0x41, 0x10, 0xF7}, 130'000},
        });
    rows.startPort(0, 500'000); // the input was switched: its stamps start again
    store(rows,
        {
            {Origin::Received, {0xC5, 0x08}, 505'000}, // after a SysEx
            {Origin::Received, {0xC5, 0x09}, 515'000},
            {Origin::Received, {0xF0, 0x01}, 520'000}, // cut short
            {Origin::Received, {0x3C, 0x40, 0x00}, 521'000}, // no status
            {Origin::Received, {0xF2, 0x01, 0x02}, 522'000},
            {Origin::Received, {0x90, 0x3C}, 523'000}, // a data byte missing
            {Origin::SendFailed, {}},
        });
    MidiFile::Counts counts;
    const std::vector<Event> events = exported(rows, counts);
    const std::vector<Event> expected = {
        {0, Tempo},
        {10, {0x90, 0x3C, 0x40}},
        {20, {0x90, 0x3E, 0x00}, false},
        {25, {0xC5, 0x07}},
        {30, {0xF0, 0x41, 0x10, 0xF7}},
        {30, {0xC5, 0x08}},
        {40, {0xC5, 0x09}, false},
        {48, EndOfTrack},
    };
    ASSERT_EQ(events.size(), expected.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].time, expected[i].time) << i;
        EXPECT_EQ(events[i].bytes, expected[i].bytes) << i;
        EXPECT_EQ(events[i].statusWritten, expected[i].statusWritten) << i;
    }
    EXPECT_EQ(MidiFile::savedSentence(counts, "/t.mid"),
        "Saved 6 MIDI messages (left out: 2 sent, 2 real-time or system common, 1 SysEx without "
        "F7, 1 without a status, 1 malformed) to /t.mid");
}

TEST(MidiFile, DeltasTakeTheFewestBytesAndLongGapsAreBridged)
{
    const std::pair<std::int64_t, int> deltas[]
        = {{0, 1}, {127, 1}, {128, 2}, {16383, 2}, {16384, 3}, {0x0FFFFFFF, 4}};
    CaptureStore rows;
    const std::uint8_t noteOff[] = {0x80, 0x3C, 0x00};
    std::int64_t stamp = 1000;
    for (const auto &[delta, length] : deltas) {
        stamp += delta;
        rows.append(Origin::Received, 0, stamp * 1000, noteOff);
    }
    rows.append(Origin::Received, 0, (stamp + 0x10000005) * 1000, noteOff);
    MidiFile::Counts counts;
    const std::vector<Event> events = exported(rows, counts);

    ASSERT_EQ(events.size(), std::size(deltas) + 4); // tempo, the bridge, the end of track
    for (std::size_t i = 0; i < std::size(deltas); ++i) {
        EXPECT_EQ(events[i + 1].time - events[i].time, deltas[i].first);
        EXPECT_EQ(events[i + 1].deltaLength, deltas[i].second) << deltas[i].first;
    }
    const Event &bridge = events[std::size(deltas) + 1];
    EXPECT_EQ(bridge.bytes, (Bytes {0xFF, 0x01}));
    EXPECT_EQ(events[std::size(deltas) + 2].time - events[std::size(deltas)].time, 0x10000005);
    EXPECT_TRUE(events[std::size(deltas) + 2].statusWritten) << "a meta event ends running status";
}
