#include "capture/CaptureStore.h"
#include "timing/IntervalStatistics.h"
#include "timing/TransportWatch.h"

#include <benchmark/benchmark.h>

namespace {

// Ten million rows of a busy capture: notes and controllers on all channels, a clock pulse
// every eighth row.
const CaptureStore &busyCapture()
{
    static const CaptureStore rows = [] {
        CaptureStore made;
        for (std::size_t i = 0; i < 10'000'000; ++i) {
            const auto low = std::uint8_t(i & 0x7F);
            const std::uint8_t note[] = {std::uint8_t(0x90 | (i >> 3 & 0x0F)), low, 0x40};
            const std::uint8_t clock[] = {0xF8};
            if (i % 8 == 0)
                made.append(Origin::Received, 0, std::int64_t(i) * 100, clock);
            else
                made.append(Origin::Received, 0, std::int64_t(i) * 100 + (i & 0x1F), note);
        }
        return made;
    }();
    return rows;
}

} // namespace

// The timing readout's share of the drain: reading every stored row once.
static void BM_TransportCatchUp(benchmark::State &state)
{
    const CaptureStore &rows = busyCapture();
    for (auto _ : state) {
        TransportWatch watch;
        watch.catchUp(rows);
        benchmark::DoNotOptimize(watch.readout(0));
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(rows.size()));
}
BENCHMARK(BM_TransportCatchUp)->Unit(benchmark::kMillisecond);

// Interval Statistics over ten million rows: the clock (1.25 million pulses), and the notes
// of one channel.
static void BM_IntervalStatistics(benchmark::State &state)
{
    const CaptureStore &rows = busyCapture();
    const IntervalStatistics::Selection selection = state.range(0) == 0
        ? IntervalStatistics::Selection {0xF8, std::nullopt, std::nullopt}
        : IntervalStatistics::Selection {0x90, 3, std::nullopt};
    for (auto _ : state)
        benchmark::DoNotOptimize(IntervalStatistics::measure(rows, selection));
    state.SetItemsProcessed(state.iterations() * std::int64_t(rows.size()));
}
BENCHMARK(BM_IntervalStatistics)->ArgName("notes")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
