#include "export/TrafficLog.h"
#include "monitor/RowStore.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// "Save MIDI IN and OUT as Text" of a million mixed rows, a few of them SysEx, to a file.
static void BM_ExportLog(benchmark::State &state)
{
    constexpr std::size_t Rows = 1'000'000;
    RowStore rows;
    for (std::size_t i = 0; i < Rows; ++i) {
        if (i % 10'000 == 0)
            rows.append("123456\tF0\t\t\t\tSYSTEM EXCLUSIVE\tF0 7E 7F 09 01 F7 ");
        else if (i % 7 == 0)
            rows.append("SENT\tC0\t05\t\t\t\t");
        else
            rows.append(std::to_string(i) + "\t90\t3C\t40\t1\tNOTE ON\t");
    }
    QTemporaryDir folder;
    for (auto _ : state) {
        if (!TrafficLog::save(rows, TrafficLog::Rows::All, folder.filePath("log.txt")).isEmpty())
            state.SkipWithError("the log could not be written");
    }
    state.SetItemsProcessed(std::int64_t(state.iterations() * Rows));
}
BENCHMARK(BM_ExportLog)->Unit(benchmark::kMillisecond);
