#include "ProcessMeasures.h"
#include "capture/CaptureDocument.h"

#include <algorithm>
#include <benchmark/benchmark.h>

// A long run into a capture with a small limit: 50 million rows, every thousandth a SysEx
// dump, stored a pass of 1,000 at a time with a limit of 5 million. The memory the rows take
// and the process's resident memory must stay flat once the limit is reached: reports
// bytesHeld at the limit and at the end, and how far resident memory grew in between.
static void BM_CaptureLimitKeepsMemoryFlat(benchmark::State &state)
{
    constexpr std::size_t Rows = 50'000'000, Limit = 5'000'000, Pass = 1'000;
    const std::uint8_t note[] = {0x90, 0x3C, 0x40};
    QByteArray dump(200, '\x11');
    dump.front() = char(0xF0);
    dump.back() = char(0xF7);
    for (auto _ : state) {
        CaptureDocument document;
        document.setLimit({Limit, 0});
        const CaptureStore::Source in = *document.store().sourceNamed(QStringLiteral("in"));
        double heldAtLimit = 0, residentAtLimit = 0, residentMost = 0;
        for (std::size_t row = 0; row < Rows; ++row) {
            if (row % 1'000 == 999)
                document.store().append(Origin::Received, in, std::int64_t(row), dump);
            else
                document.store().append(Origin::Received, in, std::int64_t(row), note);
            if (row % Pass != Pass - 1)
                continue;
            document.rowsStored();
            if (row + 1 == 2 * Limit) {
                heldAtLimit = double(document.rows().bytesHeld());
                residentAtLimit = double(residentBytes());
            } else if (row + 1 > 2 * Limit && row % 1'000'000 == 999'999) {
                residentMost = std::max(residentMost, double(residentBytes()));
            }
        }
        state.counters["rows_kept"] = double(document.rows().size());
        state.counters["rows_dropped"] = double(document.oldestDroppedInAll());
        state.counters["held_MB_at_limit"] = heldAtLimit / 1e6;
        state.counters["held_MB_at_end"] = double(document.rows().bytesHeld()) / 1e6;
        state.counters["resident_MB_at_limit"] = residentAtLimit / 1e6;
        state.counters["resident_growth_MB_after"] = (residentMost - residentAtLimit) / 1e6;
    }
    state.SetItemsProcessed(std::int64_t(state.iterations() * Rows));
}
BENCHMARK(BM_CaptureLimitKeepsMemoryFlat)->Unit(benchmark::kMillisecond)->Iterations(1);
