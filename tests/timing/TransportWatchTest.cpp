#include "timing/TransportWatch.h"

#include "support/StoredRows.h"
#include "timing/TimingText.h"

#include <gtest/gtest.h>

namespace {

constexpr Origin In = Origin::Received;
const QString NoFigure = QStringLiteral("\u2014"); // what the panel shows without a figure

// A clock of `pulses` pulses from `startUs`, `intervalUs` apart, the odd ones late by `lateUs`.
std::vector<StoredRow> clockRun(
    int pulses, std::int64_t startUs, std::int64_t intervalUs, std::int64_t lateUs = 0)
{
    std::vector<StoredRow> rows;
    for (int i = 0; i < pulses; ++i)
        rows.push_back({In, {0xF8}, startUs + i * intervalUs + (i % 2) * lateUs});
    return rows;
}

// The eight quarter frames that state a time, with the hours' top bit and the rate in the
// last piece; values too large for a clock are sent as they are.
std::vector<std::uint8_t> quarterFrames(int hours, int minutes, int seconds, int frames, int rate)
{
    const int values[] = {frames, seconds, minutes, hours | rate << 5};
    std::vector<std::uint8_t> pieces;
    for (int piece = 0; piece < 8; ++piece)
        pieces.push_back(std::uint8_t(piece << 4 | (values[piece / 2] >> (piece % 2 * 4) & 0xF)));
    return pieces;
}

// The readout of a watch that caught up with these pulses, at the last of them.
TransportWatch::Readout readoutAtEnd(const std::vector<StoredRow> &pulses)
{
    CaptureStore rows;
    TransportWatch watch;
    store(rows, pulses);
    watch.catchUp(rows);
    return watch.readout(pulses.back().stampUs);
}

} // namespace

TEST(TransportWatch, ReadsTempoJitterAndDriftOfTheClockUntilItStops)
{
    CaptureStore rows;
    TransportWatch watch;
    // 17 beats at 120 BPM (20,833 µs a pulse) with every other pulse 100 µs late: intervals
    // 100 µs either side of their average.
    store(rows, clockRun(24 * 17 + 1, 0, 20'833, 100));
    watch.catchUp(rows);
    std::int64_t last = rows.at(rows.size() - 1).stampUs;
    auto clock = watch.readout(last).clock;
    ASSERT_TRUE(clock);
    EXPECT_NEAR(clock->jitterUs, 100, 1e-6);
    EXPECT_NEAR(clock->worstUs, 100, 1e-6);
    EXPECT_EQ(clock->intervals, 384u) << "the last four bars only";
    EXPECT_NEAR(clock->barsBpm.value(), 60e6 / 24 / 20'833, 1e-6);
    EXPECT_NEAR(clock->driftBpm.value(), 0, 1e-6);

    // A last beat at 125 BPM (20,000 µs): the beat reads it, the bars lag behind.
    store(rows, clockRun(24, last + 20'000, 20'000));
    watch.catchUp(rows);
    last = rows.at(rows.size() - 1).stampUs;
    clock = watch.readout(last).clock;
    EXPECT_NEAR(clock->beatBpm.value(), 125.0, 1e-6);
    EXPECT_NEAR(clock->barsBpm.value(), 60e6 * 16 / (24 * 20'000 + 360 * 20'833.0), 1e-6);
    EXPECT_GT(clock->driftBpm.value(), 0.3) << "speeding up";

    EXPECT_TRUE(watch.readout(last + ClockTempo::StoppedAfterUs).clock);
    EXPECT_TRUE(watch.readout(last + ClockTempo::StoppedAfterUs + 1).isEmpty())
        << "the readout goes once the clock stops";
    store(rows, clockRun(2, last + 5'000'000, 25'000));
    watch.catchUp(rows);
    EXPECT_NEAR(watch.readout(last + 5'025'000).clock->barsBpm.value(), 100.0, 1e-6)
        << "a new clock, not the pause";
}

TEST(TransportWatch, FollowsTheTransportAndTheSongPositionInSixteenths)
{
    using T = TransportWatch::Transport;
    using P = TransportWatch::Position;
    const struct
    {
        std::vector<std::uint8_t> message;
        int pulses; // clock pulses after it
        TransportWatch::Transport transport;
        std::optional<TransportWatch::Position> position;
        const char *reason;
    } steps[] = {
        {{0xF8}, 0, T::None, std::nullopt, "a clock alone: no position"},
        {{0xFA}, 6 * 5, T::Started, P {1, 2, 2}, "five sixteenths after Start"},
        {{0xFC}, 12, T::Stopped, P {1, 2, 2}, "the clock goes on, the song stands"},
        {{0xF2, 0x25, 0x00}, 0, T::Stopped, P {3, 2, 2}, "Song Position 37 sixteenths"},
        {{0xF2, 0x00, 0x01}, 0, T::Stopped, P {9, 1, 1}, "128: the high seven bits"},
        {{0xFB}, 6 * 17, T::Continued, P {10, 1, 2}, "Continue counts on from there"},
        {{0xF2, 0x00}, 0, T::Continued, P {10, 1, 2}, "a Song Position cut short changes nothing"},
    };
    CaptureStore rows;
    TransportWatch watch;
    std::int64_t now = 0;
    for (const auto &step : steps) {
        store(rows, {{In, step.message, now}});
        store(rows, clockRun(step.pulses, now + 10'000, 10'000));
        now += 10'000 * (step.pulses + 1);
        watch.catchUp(rows);
        const TransportWatch::Readout readout = watch.readout(now);
        EXPECT_EQ(readout.transport, step.transport) << step.reason;
        EXPECT_EQ(readout.position, step.position) << step.reason;
    }
    rows.clear();
    watch.catchUp(rows);
    EXPECT_TRUE(watch.readout(now).isEmpty()) << "Clear All starts again";
}

// MIDI 2.0 gear sends its clock and transport as System messages of UMP, among the rest.
TEST(TransportWatch, ReadsTheClockAndTransportThatUmpSystemMessagesCarry)
{
    CaptureStore rows;
    rows.appendUmp(In, 0, 0, {{0x10F22500}, 1}); // Song Position: 37 sixteenths
    rows.appendUmp(In, 0, 1, {{0x10FB0000}, 1}); // Continue
    for (int pulse = 0; pulse <= 24 * 17; ++pulse) {
        const std::int64_t stampUs = 10'000 + pulse * 20'833;
        rows.appendUmp(In, 0, stampUs, {{0x10F80000}, 1});
        rows.appendUmp(In, 0, stampUs, {{0x40903C00, 0xFFFF0000}, 2}); // a note of MIDI 2.0
    }
    TransportWatch watch;
    EXPECT_TRUE(watch.catchUp(rows));
    const TransportWatch::Readout readout = watch.readout(rows.at(rows.size() - 1).stampUs);
    ASSERT_TRUE(readout.clock);
    EXPECT_NEAR(readout.clock->barsBpm.value(), 60e6 / 24 / 20'833, 1e-6);
    EXPECT_EQ(readout.transport, TransportWatch::Transport::Continued);
    EXPECT_EQ(readout.position, (TransportWatch::Position {7, 3, 2})) << "37 + 68 sixteenths";
}

// After a good time, pieces out of order keep it and a time that cannot be leaves none.
TEST(TransportWatch, AssemblesOnlyTimeCodesThatCanBeFromQuarterFramesInOrder)
{
    enum Rate { Fps24, Fps25, Drop, Fps30 };
    const std::vector<std::uint8_t> pieces = quarterFrames(1, 2, 3, 4, Fps25);
    std::vector<std::uint8_t> backwards(pieces.rbegin(), pieces.rend());
    std::vector<std::uint8_t> gap = pieces;
    gap.erase(gap.begin() + 3);
    std::vector<std::uint8_t> late = {0x55, 0x66};
    late.insert(late.end(), pieces.begin(), pieces.end());
    const struct
    {
        std::vector<std::uint8_t> data;
        QString shown;
        const char *reason;
    } cases[] = {
        {late, "01:02:03:04 25 fps", "joined at piece 0"},
        {backwards, "05:06:07:08 24 fps", "backwards: no new time"},
        {gap, "05:06:07:08 24 fps", "a piece lost: no new time"},
        {quarterFrames(0, 0, 0, 0, Fps30), "00:00:00:00 30 fps", "rate 3"},
        {quarterFrames(25, 33, 21, 19, Fps24), "", "hours past 23"},
        {quarterFrames(23, 59, 59, 23, Fps24), "23:59:59:23 24 fps", "the last frame of a day"},
        {quarterFrames(23, 59, 59, 29, Drop), "23:59:59:29 29.97 fps drop", "rate 2"},
        {quarterFrames(1, 60, 0, 0, Fps25), "", "minute 60"},
        {quarterFrames(1, 0, 0, 24, Fps24), "", "frame 24 at 24 fps"},
        {quarterFrames(1, 0, 0, 24, Fps25), "01:00:00:24 25 fps", "frame 24 at 25 fps"},
        {quarterFrames(0, 1, 0, 0, Drop), "", "drop frame skips frame 0 of minute 1"},
        {quarterFrames(0, 1, 0, 2, Drop), "00:01:00:02 29.97 fps drop", "but not frame 2"},
        {quarterFrames(0, 10, 0, 0, Drop), "00:10:00:00 29.97 fps drop", "nor every tenth minute"},
    };
    for (const auto &c : cases) {
        CaptureStore rows;
        TransportWatch watch;
        for (const auto &run : {quarterFrames(5, 6, 7, 8, Fps24), c.data})
            for (const std::uint8_t data : run)
                store(rows, {{In, {0xF1, data}, 0}});
        watch.catchUp(rows);
        const TransportWatch::Readout readout = watch.readout(0);
        EXPECT_EQ(readout.timecode ? TimingText::timecode(*readout.timecode) : QString(), c.shown)
            << c.reason;
        EXPECT_EQ(TimingText::statusLine(readout), c.shown) << c.reason;
        EXPECT_FALSE(watch.readout(ClockTempo::StoppedAfterUs + 1).timecode) << c.reason;
    }
}

TEST(TransportWatch, ShowsTempoOnlyWithinWhatAClockCanRun)
{
    const struct
    {
        std::vector<StoredRow> pulses;
        QString beat;
        const char *reason;
    } cases[] = {
        {clockRun(25, 0, 20'833), "120.0 BPM", "a clock"},
        {clockRun(5, 0, 2), NoFigure, "a burst 2 µs apart: 1250000.0 BPM"},
        {clockRun(25, 0, 0), NoFigure, "pulses of one stamp: 0 BPM"},
        {clockRun(25, 0, -20'833), NoFigure, "stamps going back"},
        {clockRun(25, 0, 2'500), NoFigure, "1000.0 BPM, just past the top"},
        {clockRun(25, 0, 2'501), "999.6 BPM", "within the top"},
        {clockRun(3, 0, 1'000'000), "2.5 BPM", "the slowest a clock runs before it stops"},
    };
    for (const auto &c : cases) {
        const TransportWatch::Readout readout = readoutAtEnd(c.pulses);
        ASSERT_TRUE(readout.clock) << c.reason << ": the clock flows";
        EXPECT_EQ(TimingText::panelRows(readout)[0].second, c.beat) << c.reason;
        EXPECT_EQ(TimingText::statusLine(readout),
            c.beat == NoFigure ? QString() : c.beat + QStringLiteral(" \u00B10 \u00B5s"))
            << c.reason;
    }
}

// Drift compares the last beat with the bars before it: nothing until more than a beat is
// in, and a drift that reads 0.0 carries no sign.
TEST(TransportWatch, ShowsDriftOnceMeasuredAndSignedAsItReads)
{
    std::vector<StoredRow> lastLate = clockRun(49, 0, 20'833);
    lastLate.back().stampUs += 50; // the last beat a hair slower: a drift of -0.005 BPM
    const struct
    {
        std::vector<StoredRow> pulses;
        QString drift;
        const char *reason;
    } cases[] = {
        {clockRun(25, 0, 20'833), NoFigure, "a beat: both tempi rest on the same pulses"},
        {clockRun(49, 0, 20'833), "0.0 BPM", "two even beats"},
        {lastLate, "0.0 BPM", "a hair slower at the end, not -0.0"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TimingText::panelRows(readoutAtEnd(c.pulses))[2].second, c.drift) << c.reason;
    std::vector<StoredRow> slowing = clockRun(48, 0, 20'833);
    for (const StoredRow &row : clockRun(24, 48 * 20'833, 21'500))
        slowing.push_back(row);
    EXPECT_TRUE(TimingText::panelRows(readoutAtEnd(slowing))[2].second.startsWith("-"))
        << "slowing down";
}

// The oldest rows dropped, the transport read from them stands and the pulses count on.
TEST(TransportWatch, GoesOnAcrossTheOldestRowsDropped)
{
    constexpr int Pulses = int(CaptureStore::ChunkRows);
    CaptureStore rows;
    TransportWatch watch;
    store(rows, {{In, {0xFA}, 0}});
    store(rows, clockRun(Pulses + 6, 10'000, 10'000));
    watch.catchUp(rows);
    watch.oldestDropped(rows.dropOldest(CaptureStore::ChunkRows));
    store(rows, clockRun(6, 10'000 * (Pulses + 7), 10'000));
    watch.catchUp(rows);
    EXPECT_EQ(
        watch.readout(10'000 * (Pulses + 12)).position, (TransportWatch::Position {43, 4, 1}));
}
