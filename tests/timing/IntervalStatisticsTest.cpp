#include "timing/IntervalStatistics.h"

#include <gtest/gtest.h>
#include <numeric>

TEST(IntervalStatistics, MeasuresOnlyTheChosenKindChannelAndSource)
{
    CaptureStore rows;
    const CaptureStore::Source a = *rows.sourceNamed("a"), b = *rows.sourceNamed("b");
    const std::uint8_t noteCh1[] = {0x90, 0x3C, 0x40}, noteCh2[] = {0x91, 0x3C, 0x40},
                       clock[] = {0xF8};
    QByteArray dump("\xF0\x7D\x01\x02\xF7", 5);
    // Notes on channel 1 from a, 1,000 µs apart but for one 5,000 µs gap; between them
    // channel 2, clocks, dumps, notes from b and a sent note, none of which may count.
    std::int64_t stamp = 0;
    for (int i = 0; i < 200; ++i) {
        stamp += i == 100 ? 5'000 : 1'000;
        rows.append(Origin::Received, a, stamp, noteCh1);
        rows.append(Origin::Received, a, stamp + 1, noteCh2);
        rows.append(Origin::Received, a, stamp + 2, clock);
        rows.append(Origin::Received, b, stamp + 3, noteCh1);
        rows.append(Origin::Sent, a, stamp + 4, noteCh1);
        rows.append(Origin::Received, a, stamp + 5 + i % 3, dump);
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
        {{0x90, std::nullopt, std::nullopt}, 599}, // and source b
        {{0xF8, std::nullopt, a}, 199},
        {{0xF0, std::nullopt, std::nullopt}, 199}, // dumps, held outside the records
        {{0xB0, std::nullopt, std::nullopt}, 0}, // none: no figures
    };
    for (const auto &[selection, count] : counts) {
        const auto measured = IntervalStatistics::measure(rows, selection);
        EXPECT_EQ(measured ? measured->count : 0, count) << int(selection.kind);
    }
    EXPECT_EQ(Selection::of(rows.at(1)), (Selection {0x90, 1, a})) << "kind, channel, source";
    EXPECT_EQ(Selection::of(rows.at(2)), (Selection {0xF8, std::nullopt, a}));
    EXPECT_TRUE(
        IntervalStatistics::text(*figures).startsWith("Intervals\t199\nMinimum (µs)\t1000\n"));
}
