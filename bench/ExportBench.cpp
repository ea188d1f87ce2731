#include "capture/CaptureStore.h"
#include "export/CsvLog.h"
#include "export/MidiFile.h"
#include "export/SysExFile.h"
#include "export/TrafficLog.h"
#include "files/SysExFileFormat.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr std::size_t Rows = 1'000'000;

// A million rows as a session leaves them: mostly notes, every seventh row sent, a few
// SysEx dumps.
const CaptureStore &mixedRows()
{
    static const CaptureStore *const rows = [] {
        auto *store = new CaptureStore;
        const std::uint8_t identity[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
        const std::uint8_t program[] = {0xC0, 0x05};
        for (std::size_t i = 0; i < Rows; ++i) {
            const auto stamp = std::int64_t(i) * 997;
            if (i % 10'000 == 0)
                store->append(Origin::Received, 0, stamp, identity);
            else if (i % 7 == 0)
                store->append(Origin::Sent, 0, stamp, program);
            else
                store->append(Origin::Received, 0, stamp,
                    std::vector<std::uint8_t> {
                        std::uint8_t(0x90 | (i & 0x0F)), std::uint8_t(i & 0x7F), 0x40});
        }
        return store;
    }();
    return *rows;
}

} // namespace

// "Save MIDI IN and OUT as Text" of a million mixed rows, a few of them SysEx, to a file.
static void BM_ExportLog(benchmark::State &state)
{
    const CaptureStore &rows = mixedRows();
    QTemporaryDir folder;
    for (auto _ : state) {
        if (!TrafficLog::save(rows, TrafficLog::Rows::All, folder.filePath("log.txt")).isEmpty())
            state.SkipWithError("the log could not be written");
    }
    state.SetItemsProcessed(std::int64_t(state.iterations() * Rows));
}
BENCHMARK(BM_ExportLog)->Unit(benchmark::kMillisecond);

// The same rows as CSV, with the time of day and the details as the window writes them.
static void BM_ExportCsv(benchmark::State &state)
{
    const CaptureStore &rows = mixedRows();

    QTemporaryDir folder;
    for (auto _ : state) {
        if (!CsvLog::save(rows, MessageDetails::MiddleC::C4, folder.filePath("log.csv")).isEmpty())
            state.SkipWithError("the CSV could not be written");
    }
    state.SetItemsProcessed(std::int64_t(state.iterations() * Rows));
}
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond);

// The received rows among the same as a MIDI file; counts the events written.
static void BM_ExportMidiFile(benchmark::State &state)
{
    const CaptureStore &rows = mixedRows();
    QTemporaryDir folder;
    std::int64_t events = 0;
    for (auto _ : state) {
        const auto saved = MidiFile::save(rows, folder.filePath("take.mid"));
        if (!saved.error.isEmpty())
            state.SkipWithError("the MIDI file could not be written");
        events += std::int64_t(saved.counts.messages);
    }
    state.SetItemsProcessed(events);
}
BENCHMARK(BM_ExportMidiFile)->Unit(benchmark::kMillisecond);

// The received dumps among the same as a .syx file.
static void BM_ExportSysEx(benchmark::State &state)
{
    const CaptureStore &rows = mixedRows();
    QTemporaryDir folder;
    for (auto _ : state) {
        const auto chosen = SysExFile::rowsToSave(rows, {});
        if (!SysExFile::save(rows, chosen, folder.filePath("dumps.syx")).error.isEmpty())
            state.SkipWithError("the .syx file could not be written");
    }
    state.SetItemsProcessed(std::int64_t(state.iterations() * Rows));
}
BENCHMARK(BM_ExportSysEx)->Unit(benchmark::kMillisecond);

// Checking and splitting a 32 MB file of 1 KB dumps, as before sending it.
static void BM_ReadSysExFile(benchmark::State &state)
{
    QByteArray dump(1024, '\x55');
    dump.front() = char(0xF0);
    dump.back() = char(0xF7);
    const QByteArray file = dump.repeated(32 * 1024);
    for (auto _ : state) {
        const SysExFileFormat::ReadResult read = SysExFileFormat::parse(file);
        if (!read)
            state.SkipWithError("the file was refused");
        benchmark::DoNotOptimize(read.messages.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * file.size());
}
BENCHMARK(BM_ReadSysExFile)->Unit(benchmark::kMillisecond);
