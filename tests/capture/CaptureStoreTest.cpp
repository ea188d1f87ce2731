#include "capture/CaptureStore.h"

#include "support/Files.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

constexpr std::uint8_t Note[] = {0x90, 0x3C, 0x40};

TEST(CaptureStore, KeepsEveryRecordWholeAcrossChunksInlineOrInTheArena)
{
    CaptureStore store;
    const CaptureStore::Source in = *store.sourceNamed("JACK: synth:out");
    const CaptureStore::Source out = *store.sourceNamed("Lumetra Loopback");
    const QByteArray dump = sysExOf(70'000);
    // Row i: every thousandth a shared dump, every third a sent program change, else a note;
    // its stamp past 32 bits, and below 0.
    const auto stampOf = [](std::size_t i) { return std::int64_t(i) * 1'000'003 - 5'000; };
    const auto messageOf = [](std::size_t i) {
        const auto low = std::uint8_t(i & 0x7F);
        return i % 3 == 0 ? std::vector<std::uint8_t> {0xC0, low}
                          : std::vector<std::uint8_t> {0x90, low, std::uint8_t(i >> 7 & 0x7F)};
    };
    constexpr std::size_t Rows = 20'000; // several chunks
    for (std::size_t i = 0; i < Rows; ++i) {
        if (i % 1000 == 7)
            store.append(Origin::Received, in, stampOf(i), dump);
        else
            store.append(i % 3 == 0 ? Origin::Sent : Origin::Received, i % 3 == 0 ? out : in,
                stampOf(i), messageOf(i));
    }
    store.append(Origin::SendFailed, out, 0, std::vector<std::uint8_t> {});
    ASSERT_EQ(store.size(), Rows + 1);
    for (std::size_t i = 0; i < Rows; ++i) {
        const CapturedMessage message = store.at(i);
        ASSERT_EQ(message.stampUs, stampOf(i)) << i;
        if (i % 1000 == 7) {
            ASSERT_EQ(
                message.bytes.data(), reinterpret_cast<const std::uint8_t *>(dump.constData()))
                << "a dump is shared, never copied";
            ASSERT_EQ(message.bytes.size(), std::size_t(dump.size()));
            continue;
        }
        ASSERT_EQ(message.origin, i % 3 == 0 ? Origin::Sent : Origin::Received) << i;
        ASSERT_EQ(message.source, i % 3 == 0 ? out : in) << i;
        ASSERT_TRUE(std::ranges::equal(message.bytes, messageOf(i))) << i;
    }
    EXPECT_EQ(store.at(Rows).origin, Origin::SendFailed);
    EXPECT_TRUE(store.at(Rows).bytes.empty());
    EXPECT_EQ(store.sourceName(in), "JACK: synth:out");

    store.clear();
    EXPECT_EQ(store.size(), 0u);
    EXPECT_EQ(store.bytesHeld(), 0u);
    EXPECT_EQ(store.sourceName(out), "Lumetra Loopback") << "the sources outlive the rows";
}

TEST(CaptureStore, TimestampCellsCountFromTheirOwnPortsStart)
{
    CaptureStore store;
    store.setWallClockAtStart(1'000'000'000'000'000);
    const CaptureStore::Source a = *store.sourceNamed("a");
    const CaptureStore::Source b = *store.sourceNamed("b");
    store.append(Origin::Received, a, 1'999, Note); // before any start: from the capture's start
    store.startPort(a, 1'000);
    store.startPort(b, 500'000);
    store.append(Origin::Received, a, 2'999, Note);
    store.append(Origin::Received, b, 2'999'999, Note);
    store.append(Origin::Sent, b, 3'000'000, Note);
    store.startPort(a, 4'000'000);
    store.append(Origin::Received, a, 4'000'000 + 3'000'000'000'000, Note); // 2^31 ms and more
    store.append(Origin::Received, b, 4'000'000, Note);

    const std::optional<std::int32_t> expectedMs[]
        = {1, 1, 2'499, std::nullopt, -1'294'967'296, 3'500};
    for (std::size_t row = 0; row < store.size(); ++row)
        EXPECT_EQ(store.portMs(row), expectedMs[row]) << row;
    EXPECT_EQ(store.wallMs(1), 1'000'000'000'000 + 2);
    EXPECT_EQ(store.wallMs(3), std::nullopt) << "a sent row has no arrival";

    store.clear();
    store.append(Origin::Received, a, 4'002'000, Note);
    EXPECT_EQ(store.portMs(0), 2) << "the running port clock goes on after a clear";
}

// A name past the limit gets no source; rows of it added from another store are left out.
TEST(CaptureStore, ASourcePastTheLimitIsRefusedNeverGivenAnothersName)
{
    CaptureStore store;
    for (std::size_t i = 0; i < CaptureStore::MaxSources; ++i)
        EXPECT_EQ(store.sourceNamed(QString::number(i)), i);
    EXPECT_EQ(store.sourceNamed("one too many"), std::nullopt);
    EXPECT_EQ(store.sourceNamed("255"), CaptureStore::MaxSources - 1) << "known names stay";
    EXPECT_EQ(store.sourceCount(), CaptureStore::MaxSources);

    CaptureStore other;
    other.append(Origin::Received, *other.sourceNamed("7"), 1, Note);
    other.append(Origin::Received, *other.sourceNamed("late"), 2, Note);
    EXPECT_EQ(store.append(other), 1u);
    ASSERT_EQ(store.size(), 1u);
    EXPECT_EQ(store.sourceName(store.at(0).source), "7");
}

// A capture added after live rows keeps its cells and times of day; the live port, named in
// both, goes on counting from its own start after it.
TEST(CaptureStore, RowsAddedFromAnotherStoreKeepTheirCellsAndTimes)
{
    CaptureStore live;
    live.setWallClockAtStart(1'000'000'000'000);
    const CaptureStore::Source port = *live.sourceNamed("Keys");
    live.startPort(port, 5'000);
    live.append(Origin::Received, port, 7'000, Note);
    CaptureStore file;
    file.setWallClockAtStart(1'000'002'000'000); // two seconds later
    file.sourceNamed("take.mid");
    file.append(Origin::Received, 0, 3'000, Note);
    file.startPort(*file.sourceNamed("Keys"), 10'000);
    file.append(Origin::Received, 1, 12'000, std::vector<std::uint8_t>(300, 0x7F));
    file.append(Origin::Sent, 1, 12'000, Note);

    live.append(file, 1);
    live.append(Origin::Received, port, 9'000, Note);
    ASSERT_EQ(live.size(), 4u);
    EXPECT_EQ(live.sourceName(live.at(1).source), "Keys");
    EXPECT_EQ(live.at(1).bytes.size(), 300u);
    EXPECT_EQ(live.portMs(1), 2) << "12 ms since its port started at 10 ms";
    EXPECT_EQ(live.wallMs(1), 1'000'002'012);
    EXPECT_EQ(live.at(2).origin, Origin::Sent);
    EXPECT_EQ(live.portMs(3), 4) << "the live port's own start, 5 ms";
    EXPECT_EQ(live.wallMs(3), 1'000'000'009);
}

// Out of memory, it keeps what it holds and takes nothing more, a long message included,
// until it is cleared: a capture stops, it is not lost or given holes.
TEST(CaptureStore, KeepsEveryRowHeldWhenTheMemoryRunsOut)
{
    CaptureStore store;
    const CaptureStore::Source in = *store.sourceNamed("in");
    constexpr std::size_t ChunkRows = 4096, ChunkBytes = ChunkRows * 12;
    store.setMemoryLimit(2 * ChunkBytes + 100);
    std::size_t stored = 0;
    while (store.append(Origin::Received, in, std::int64_t(stored), Note))
        ++stored;
    EXPECT_EQ(stored, 2 * ChunkRows);
    EXPECT_TRUE(store.outOfMemory());
    EXPECT_FALSE(store.append(Origin::Received, in, 0, sysExOf(8)));
    ASSERT_EQ(store.size(), stored);
    EXPECT_EQ(store.at(stored - 1).stampUs, std::int64_t(stored - 1));

    store.clear();
    EXPECT_FALSE(store.outOfMemory());
    store.setMemoryLimit(ChunkBytes + 200);
    EXPECT_TRUE(store.append(Origin::Received, in, 0, sysExOf(90)));
    EXPECT_FALSE(store.append(Origin::Received, in, 0, sysExOf(200))) << "past the limit";
    EXPECT_EQ(store.size(), 1u);
}

// A UMP row keeps its words whole beside MIDI 1.0 rows, through a copy into another store and
// a drop of the oldest rows, and never reads as MIDI 1.0 bytes.
TEST(CaptureStore, KeepsUmpRowsWholeBesideMidi1Rows)
{
    CaptureStore store;
    const CaptureStore::Source in = *store.sourceNamed("take.midi2");
    for (std::size_t i = 0; i < CaptureStore::ChunkRows + 2; ++i)
        i % 2 ? store.append(Origin::Received, in, std::int64_t(i), Note)
              : store.appendUmp(Origin::Received, in, std::int64_t(i),
                  {{0xD0100000, 0x05F5E100, 0, 0}, 4}); // Flex Data: Set Tempo
    CaptureStore copy;
    copy.append(store);
    EXPECT_EQ(store.dropOldest(CaptureStore::ChunkRows), CaptureStore::ChunkRows);
    for (const CaptureStore *rows : {&copy, &store}) {
        const CapturedMessage ump = rows->at(rows->size() - 2), note = rows->at(rows->size() - 1);
        EXPECT_EQ(
            QByteArray(reinterpret_cast<const char *>(ump.ump.data()), qsizetype(ump.ump.size()))
                .toHex(),
            "d010000005f5e1000000000000000000");
        EXPECT_TRUE(ump.bytes.empty()) << "a UMP row is no MIDI 1.0 message";
        EXPECT_TRUE(std::ranges::equal(note.bytes, Note) && !note.isUmp());
    }
}
