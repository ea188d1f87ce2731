#include "capture/CaptureReader.h"
#include "capture/CaptureStore.h"
#include "capture/CaptureWriter.h"
#include "capture/TaskProgress.h"
#include "export/MidiFile.h"
#include "export/TrafficLog.h"
#include "imports/FileImport.h"
#include "recording/RecordEncoder.h"
#include "recording/RecordedRows.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr std::size_t Rows = 10'000'000;

// Ten million rows of two sources as a session leaves them: notes about a millisecond
// apart, every seventh row a sent program change, every ten-thousandth a SysEx dump, a
// clock tick between the notes, and the input restarted once.
const CaptureStore &mixedRows()
{
    static const CaptureStore *const rows = [] {
        auto *store = new CaptureStore;
        const CaptureStore::Source in = *store->sourceNamed(QStringLiteral("JACK: synth:out"));
        const CaptureStore::Source out = *store->sourceNamed(QStringLiteral("Lumetra Loopback"));
        const std::uint8_t identity[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
        const std::uint8_t program[] = {0xC0, 0x05};
        const std::uint8_t clock[] = {0xF8};
        for (std::size_t i = 0; i < Rows; ++i) {
            const auto stamp = std::int64_t(i) * 997;
            if (i == Rows / 2)
                store->startPort(in, stamp);
            if (i % 10'000 == 0)
                store->append(Origin::Received, in, stamp, identity);
            else if (i % 7 == 0)
                store->append(Origin::Sent, out, stamp, program);
            else if (i % 5 == 0)
                store->append(Origin::Received, in, stamp, clock);
            else {
                const std::uint8_t note[]
                    = {std::uint8_t(0x90 | (i & 0x0F)), std::uint8_t(i & 0x7F), 0x40};
                store->append(Origin::Received, in, stamp, note);
            }
        }
        return store;
    }();
    return *rows;
}

QString savedCapture(const QTemporaryDir &folder)
{
    return folder.filePath(QStringLiteral("take.lmc"));
}

} // namespace

// "Save Capture..." of ten million mixed rows; reports the bytes a row takes on disk.
static void BM_SaveCapture(benchmark::State &state)
{
    const CaptureStore &rows = mixedRows();
    QTemporaryDir folder;
    for (auto _ : state) {
        TaskProgress progress;
        if (!CaptureWriter::save(rows, savedCapture(folder), progress).isEmpty())
            state.SkipWithError("the capture could not be written");
    }
    state.SetItemsProcessed(std::int64_t(state.iterations() * Rows));
    state.counters["bytes_per_row"] = double(QFileInfo(savedCapture(folder)).size()) / double(Rows);
}
BENCHMARK(BM_SaveCapture)->Unit(benchmark::kMillisecond);

// "Open Capture..." of the same file, into a store of its own.
static void BM_OpenCapture(benchmark::State &state)
{
    QTemporaryDir folder;
    TaskProgress saving;
    if (!CaptureWriter::save(mixedRows(), savedCapture(folder), saving).isEmpty())
        state.SkipWithError("the capture could not be written");
    for (auto _ : state) {
        TaskProgress progress;
        const CaptureReader::Loaded loaded = FileImport::load(savedCapture(folder), progress);
        if (!loaded.rows || loaded.rows->size() != Rows)
            state.SkipWithError("the capture could not be read");
    }
    state.SetItemsProcessed(std::int64_t(state.iterations() * Rows));
}
BENCHMARK(BM_OpenCapture)->Unit(benchmark::kMillisecond);

// Opening the same rows as another program's file or a log: the MIDI file export, and the
// text log with stamps; reports the rows read a second.
template<typename Save>
static void openSaved(benchmark::State &state, const char *name, Save save)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QLatin1String(name));
    if (!save(mixedRows(), path))
        state.SkipWithError("the file could not be written");
    std::size_t rows = 0;
    for (auto _ : state) {
        TaskProgress progress;
        const CaptureReader::Loaded loaded = FileImport::load(path, progress);
        if (!loaded.rows)
            state.SkipWithError(qPrintable(loaded.reason));
        rows = loaded.rows ? loaded.rows->size() : 0;
    }
    state.SetItemsProcessed(std::int64_t(state.iterations() * rows));
}

static void BM_OpenMidiFile(benchmark::State &state)
{
    openSaved(state, "take.mid", [](const CaptureStore &rows, const QString &path) {
        return MidiFile::save(rows, path).error.isEmpty();
    });
}
BENCHMARK(BM_OpenMidiFile)->Unit(benchmark::kMillisecond);

static void BM_OpenTextLog(benchmark::State &state)
{
    openSaved(state, "take.txt", [](const CaptureStore &rows, const QString &path) {
        return TrafficLog::save(rows, TrafficLog::Rows::All, path).isEmpty();
    });
}
BENCHMARK(BM_OpenTextLog)->Unit(benchmark::kMillisecond);

namespace {

// The mixed rows as a recording writes them, in one file.
bool record(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    bool written = true;
    RecordEncoder encoder(mixedRows(), [&](QByteArray chunk, bool) {
        written = written && file.write(chunk) == chunk.size();
        return true;
    });
    written = file.write(encoder.fileStart()) > 0;
    encoder.take();
    return written && file.write(encoder.fileEnd()) > 0;
}

} // namespace

// "Open Capture..." of a recording, by its chunks' heads, until its last screen of rows is
// read: the rows of ten million recorded here, or the file that LUMETRA_BENCH_RECORDING
// names (a recording of gigabytes, made by hand). Reports its size.
static void BM_OpenRecording(benchmark::State &state)
{
    QTemporaryDir folder;
    QString path = qEnvironmentVariable("LUMETRA_BENCH_RECORDING");
    if (path.isEmpty() && !record(path = savedCapture(folder)))
        state.SkipWithError("the recording could not be written");
    const auto onDisk = std::make_shared<RecordedRows>();
    for (auto _ : state) {
        TaskProgress progress;
        const std::optional<CaptureReader::Loaded> opened
            = FileImport::openRecording({path}, onDisk, progress);
        if (!opened || !opened->rows || opened->rows->size() < 50) {
            state.SkipWithError("the recording could not be opened by its chunks");
            break;
        }
        for (std::size_t row = opened->rows->size() - 50; row < opened->rows->size(); ++row)
            benchmark::DoNotOptimize(opened->rows->at(row));
    }
    state.counters["file_gb"] = double(QFileInfo(path).size()) / (1 << 30);
}
BENCHMARK(BM_OpenRecording)->Unit(benchmark::kMillisecond);
