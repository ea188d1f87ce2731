#include "capture/CaptureStore.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

TEST(CaptureStore, KeepsEveryRecordWholeAcrossChunksInlineOrInTheArena)
{
    CaptureStore store;
    const CaptureStore::Source in = store.sourceNamed("JACK: synth:out");
    const CaptureStore::Source out = store.sourceNamed("Lumetra Loopback");
    QByteArray dump(70'000, '\x11');
    dump.front() = char(0xF0);
    dump.back() = char(0xF7);
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
    EXPECT_EQ(store.sourceNamed("JACK: synth:out"), in) << "a name is one source";

    store.clear();
    EXPECT_EQ(store.size(), 0u);
    EXPECT_EQ(store.bytesHeld(), 0u);
    EXPECT_EQ(store.sourceName(out), "Lumetra Loopback") << "the sources outlive the rows";
}

TEST(CaptureStore, TimestampCellsCountFromTheirOwnPortsStart)
{
    CaptureStore store;
    store.setWallClockAtStart(1'000'000'000'000'000);
    const CaptureStore::Source a = store.sourceNamed("a");
    const CaptureStore::Source b = store.sourceNamed("b");
    const std::uint8_t note[] = {0x90, 0x3C, 0x40};
    store.append(Origin::Received, a, 1'999, note); // before any start: from the capture's start
    store.startPort(a, 1'000);
    store.startPort(b, 500'000);
    store.append(Origin::Received, a, 2'999, note);
    store.append(Origin::Received, b, 2'999'999, note);
    store.append(Origin::Sent, b, 3'000'000, note);
    store.startPort(a, 4'000'000);
    store.append(Origin::Received, a, 4'000'000 + 3'000'000'000'000, note); // 2^31 ms and more
    store.append(Origin::Received, b, 4'000'000, note);

    const std::optional<std::int32_t> expectedMs[]
        = {1, 1, 2'499, std::nullopt, -1'294'967'296, 3'500};
    for (std::size_t row = 0; row < store.size(); ++row)
        EXPECT_EQ(store.portMs(row), expectedMs[row]) << row;
    EXPECT_EQ(store.wallMs(1), 1'000'000'000'000 + 2);
    EXPECT_EQ(store.wallMs(3), std::nullopt) << "a sent row has no arrival";

    store.clear();
    store.append(Origin::Received, a, 4'002'000, note);
    EXPECT_EQ(store.portMs(0), 2) << "the running port clock goes on after a clear";
}

TEST(CaptureStore, SourcesBeyondTheLimitShareTheLast)
{
    CaptureStore store;
    for (std::size_t i = 0; i < CaptureStore::MaxSources; ++i)
        EXPECT_EQ(store.sourceNamed(QString::number(i)), i);
    EXPECT_EQ(store.sourceNamed("one too many"), CaptureStore::MaxSources - 1);
    EXPECT_EQ(store.sourceName(CaptureStore::MaxSources - 1), "255");
}
