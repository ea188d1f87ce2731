#include "timing/IntervalStatistics.h"

#include "timing/IntervalDialog.h"

#include <QCheckBox>
#include <QLabel>
#include <array>
#include <gtest/gtest.h>
#include <numeric>

TEST(IntervalStatistics, MeasuresOnlyTheChosenKindChannelAndSource)
{
    CaptureStore rows;
    const CaptureStore::Source a = *rows.sourceNamed("a"), b = *rows.sourceNamed("b"),
                               u = *rows.sourceNamed("u");
    const std::uint8_t noteCh1[] = {0x90, 0x3C, 0x40}, noteCh2[] = {0x91, 0x3C, 0x40},
                       clock[] = {0xF8};
    QByteArray dump("\xF0\x7D\x01\x02\xF7", 5);
    // Notes on channel 1 from a, 1,000 µs apart but for one 5,000 µs gap; between them
    // channel 2, clocks, dumps, notes from b and a sent note, none of which may count. u sends
    // UMP: notes of MIDI 2.0 on channel 2, clocks, and JR Clocks, which are no clock.
    std::int64_t stamp = 0;
    for (int i = 0; i < 200; ++i) {
        stamp += i == 100 ? 5'000 : 1'000;
        rows.append(Origin::Received, a, stamp, noteCh1);
        rows.append(Origin::Received, a, stamp + 1, noteCh2);
        rows.append(Origin::Received, a, stamp + 2, clock);
        rows.append(Origin::Received, b, stamp + 3, noteCh1);
        rows.append(Origin::Sent, a, stamp + 4, noteCh1);
        rows.append(Origin::Received, a, stamp + 5 + i % 3, dump);
        rows.appendUmp(Origin::Received, u, stamp + 8, {{0x40913C00, 0xFFFF0000}, 2});
        rows.appendUmp(Origin::Received, u, stamp + 9, {{0x10F80000}, 1});
        rows.appendUmp(Origin::Received, u, stamp + 9, {{0x00200000}, 1});
    }
    using IntervalStatistics::Selection;
    const auto figures = IntervalStatistics::measure(rows, {0x90, 0, a});
    ASSERT_TRUE(figures);
    EXPECT_EQ(figures->count, 199u);
    EXPECT_EQ(figures->minUs, 1'000);
    EXPECT_EQ(figures->medianUs, 1'000);
    EXPECT_EQ(figures->p99Us, 1'000);
    EXPECT_EQ(figures->maxUs, 5'000);
    const double mean = (198 * 1'000 + 5'000) / 199.0;
    EXPECT_NEAR(figures->meanUs, mean, 1e-9);
    EXPECT_NEAR(figures->jitterUs,
        std::sqrt((198 * (1'000 - mean) * (1'000 - mean) + (5'000 - mean) * (5'000 - mean)) / 199),
        1e-6);
    EXPECT_EQ(std::accumulate(figures->histogram.begin(), figures->histogram.end(), 0u), 199u)
        << "every interval in a bin";
    EXPECT_EQ(figures->histogram.front(), 198u);
    EXPECT_EQ(figures->histogram.back(), 1u) << "the gap beyond the 99th percentile, last";

    const std::pair<Selection, std::size_t> counts[] = {
        {{0x90, std::nullopt, a}, 399}, // both channels
        {{0x90, std::nullopt, std::nullopt}, 799}, // and sources b and u
        {{0x90, 1, u}, 199}, {{0xF8, std::nullopt, u}, 199}, {{0xF8, std::nullopt, a}, 199},
        {{0xF0, std::nullopt, std::nullopt}, 199}, // dumps, held outside the records
        {{0xB0, std::nullopt, std::nullopt}, 0}, // none: no figures
    };
    for (const auto &[selection, count] : counts) {
        const auto measured = IntervalStatistics::measure(rows, selection);
        EXPECT_EQ(measured ? measured->count : 0, count) << int(selection.kind);
    }
    EXPECT_EQ(Selection::of(rows.at(1)), (Selection {0x90, 1, a})) << "kind, channel, source";
    EXPECT_EQ(Selection::of(rows.at(2)), (Selection {0xF8, std::nullopt, a}));
    EXPECT_EQ(Selection::of(rows.at(6)), (Selection {0x90, 1, u})) << "a note of MIDI 2.0";
    EXPECT_TRUE(
        IntervalStatistics::text(*figures).startsWith("Intervals\t199\nMinimum (µs)\t1000\n"));
}

// A 120 BPM clock stopped for a second and continued, its port restarted, then paused: the
// gaps that are no interval of the clock are left out and counted, within the rows chosen.
TEST(IntervalStatistics, LeavesOutGapsAcrossTransportRestartsAndPauses)
{
    CaptureStore rows;
    const CaptureStore::Source a = *rows.sourceNamed("a"), b = *rows.sourceNamed("b"),
                               u = *rows.sourceNamed("u");
    constexpr std::int64_t Pulse = 20'833;
    std::int64_t stamp = 0;
    const auto pulses = [&](int count) {
        for (int i = 0; i < count; ++i)
            rows.append(Origin::Received, a, stamp += Pulse, std::array<std::uint8_t, 1> {0xF8});
    };
    const auto message = [&](CaptureStore::Source source, std::uint8_t status, std::int64_t gap) {
        rows.append(Origin::Received, source, stamp += gap, std::array<std::uint8_t, 1> {status});
    };
    pulses(50);
    message(a, 0xFC, 1'000); // Stop
    message(a, 0xFB, 1'000'000); // Continue, a second later
    pulses(50);
    message(b, 0xFC, 0); // another source's Stop is no stop of this clock
    pulses(50);
    rows.appendUmp(Origin::Received, u, stamp, {{0x10FC0000}, 1}); // u's Stop, of UMP
    rows.startPort(a, stamp + 1);
    pulses(50);
    stamp += 11 * Pulse; // a pause of 12 pulses
    pulses(50);
    using IntervalStatistics::RowRange;
    const std::optional<CaptureStore::Source> any;
    const struct
    {
        std::optional<CaptureStore::Source> source;
        IntervalStatistics::Scope scope;
        std::size_t count, transport, restart, pauses;
    } cases[] = {
        {a, {}, 246, 1, 1, 1}, // of 249 gaps between 250 pulses
        {a, {std::nullopt, 0}, 247, 1, 1, 0}, // pauses kept
        {a, {std::nullopt, 20}, 247, 1, 1, 0}, // 12 pulses are no pause of 20
        {any, {}, 245, 3, 0, 1}, // b's Stop and u's too, with any source
        {a, {RowRange {0, 50}}, 49, 0, 0, 0},
        {a, {RowRange {40, 60}}, 16, 1, 0, 0},
    };
    for (const auto &c : cases) {
        const auto figures
            = IntervalStatistics::measure(rows, {0xF8, std::nullopt, c.source}, c.scope);
        ASSERT_TRUE(figures);
        EXPECT_EQ(figures->count, c.count) << c.count;
        EXPECT_EQ(figures->acrossTransport, c.transport) << c.count;
        EXPECT_EQ(figures->acrossRestart, c.restart) << c.count;
        EXPECT_EQ(figures->pauses, c.pauses) << c.count;
        EXPECT_LT(figures->maxUs, 13 * Pulse) << c.count;
    }
    const auto clean = IntervalStatistics::measure(rows, {0xF8, std::nullopt, a});
    EXPECT_EQ(clean->maxUs, Pulse) << "the clock's own intervals alone";
    EXPECT_TRUE(IntervalStatistics::text(*clean).endsWith(
        "Left out: across Start, Stop or Continue\t1\nLeft out: across a port restart\t1\n"
        "Left out: pauses\t1\n"));
}

// The selected rows alone at first, or all of them; the figures keep their places whatever
// their width.
TEST(IntervalDialog, MeasuresTheSelectedRowsOrAllAndKeepsEachFigureInPlace)
{
    CaptureStore rows;
    const CaptureStore::Source a = *rows.sourceNamed("a");
    std::int64_t stamp = 0;
    for (int i = 0; i < 40; ++i)
        rows.append(Origin::Received, a, stamp += i < 20 ? 1 : 123'456'789,
            std::array<std::uint8_t, 1> {0xF8});
    IntervalDialog dialog(rows);
    dialog.show();
    dialog.measureFor({0xF8, std::nullopt, a}, IntervalStatistics::RowRange {0, 10});
    auto *selectedOnly = dialog.findChild<QCheckBox *>("chkIntervalSelectedRows");
    EXPECT_TRUE(selectedOnly->isChecked());
    EXPECT_TRUE(dialog.figuresText().startsWith("Intervals\t9\nMinimum (µs)\t1\n"));
    std::vector<QRect> places;
    for (int figure = 0; figure < 10; ++figure)
        places.push_back(
            dialog.findChild<QLabel *>(QString("lblIntervalFigure%1").arg(figure))->geometry());
    selectedOnly->setChecked(false);
    EXPECT_TRUE(dialog.figuresText().startsWith("Intervals\t39\nMinimum (µs)\t1\n"))
        << dialog.figuresText().toStdString();
    EXPECT_TRUE(dialog.figuresText().contains("Maximum (µs)\t123456789\n"));
    for (int figure = 0; figure < 10; ++figure)
        EXPECT_EQ(
            dialog.findChild<QLabel *>(QString("lblIntervalFigure%1").arg(figure))->geometry(),
            places[std::size_t(figure)])
            << figure;
}
