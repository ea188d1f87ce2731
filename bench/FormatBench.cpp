#include "decode/modFormat.h"

#include <benchmark/benchmark.h>

// Row texts of a mixed stream of channel and system messages.
static void BM_FormatMessageRow(benchmark::State &state)
{
    std::int32_t timestamp = 0;
    std::int16_t status = 0x80;
    for (auto _ : state) {
        benchmark::DoNotOptimize(modFormat::FormatMessageRow(status, 0x3C, 0x40, timestamp++));
        status = status == 0xFF ? 0x80 : std::int16_t(status + 1);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("rows");
}
BENCHMARK(BM_FormatMessageRow);
