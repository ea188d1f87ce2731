#include "ProcessMeasures.h"
#include "capture/CaptureDocument.h"
#include "capture/MessageDrain.h"
#include "frame/DialogService.h"
#include "grid/EventGrid.h"
#include "grid/EventGridModel.h"
#include "grid/EventView.h"
#include "main/frmMain.h"
#include "ports/DeviceSelection.h"
#include "ports/MIDIInput.h"
#include "ports/MIDIOutput.h"
#include "recording/CaptureRecorder.h"
#include "recording/RecordedPaging.h"
#include "rows/SearchPass.h"
#include "support/RepeatedRows.h"
#include "timing/TransportWatch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <random>
#include <thread>

namespace {

void sendNotes(MIDIOutput &output, int count, int perSecond = 0)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < count; ++i) {
        if (perSecond > 0 && i % 1000 == 0)
            std::this_thread::sleep_until(
                start + std::chrono::microseconds(std::int64_t(i) * 1'000'000 / perSecond));
        sendMessage(output, {std::uint8_t(0x90 | (i & 0x0F)), std::uint8_t(i & 0x7F), 0x40});
    }
}

} // namespace

// Loopback input component -> MessagesWaiting handler's drain -> model, without painting.
static void BM_GridIngest(benchmark::State &state)
{
    constexpr int Burst = 10'000;
    auto ports = PortSystem::createLoopbackOnly();
    MIDIInput input(ports);
    MIDIOutput output(ports);
    DeviceSelection::openInputDevice(input, 0);
    DeviceSelection::openOutputDevice(output, 0);
    CaptureDocument document;
    EventGridModel model(document);
    TransportWatch timing; // with the argument 1, as the window reads the timing messages
    for (auto _ : state) {
        sendNotes(output, Burst);
        MessageDrain::drain(input, 0, false, document.store(), {std::chrono::hours(1)});
        document.rowsStored();
        model.commit();
        if (state.range(0) == 1)
            timing.catchUp(document.rows());
    }
    state.SetItemsProcessed(state.iterations() * Burst);
}
BENCHMARK(BM_GridIngest)->ArgName("timing")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The shown window takes a stream from another thread while a 1 ms timer measures how long
// the event loop is held back. The argument paces the stream in messages per second; 0 sends
// as fast as the loopback takes them.
static void BM_GridIngestShown(benchmark::State &state)
{
    constexpr int Messages = 500'000;
    auto ports = PortSystem::createLoopbackOnly();
    for (auto _ : state) {
        frmMain window(ports);
        window.Form_Load();
        window.show();
        QCoreApplication::processEvents();

        qint64 worstDelayMs = 0;
        QElapsedTimer sinceTick;
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        QObject::connect(&ticker, &QTimer::timeout,
            [&] { worstDelayMs = std::max(worstDelayMs, sinceTick.restart()); });
        auto *grid = window.findChild<EventView *>(QStringLiteral("grdMIDIIn"));

        QElapsedTimer elapsed;
        elapsed.start();
        sinceTick.start();
        ticker.start(1);
        std::thread producer([&] {
            MIDIOutput output(ports);
            DeviceSelection::openOutputDevice(output, 0);
            sendNotes(output, Messages, int(state.range(0)));
        });
        while (grid->rowCount() <= Messages)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const double seconds = double(elapsed.nsecsElapsed()) / 1e9;
        producer.join();
        ticker.stop();

        state.SetIterationTime(seconds);
        state.counters["rows_per_second"] = Messages / seconds;
        state.counters["worst_timer_delay_ms"] = double(worstDelayMs);
        state.counters["dropped"] = double(window.MIDIInput1().DroppedCount());
        window.close();
    }
    state.SetItemsProcessed(state.iterations() * Messages);
}
BENCHMARK(BM_GridIngestShown)
    ->Arg(250'000)
    ->Arg(0)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

static void BM_GridMemory(benchmark::State &state)
{
    constexpr std::size_t Rows = 1'000'000;
    for (auto _ : state) {
        const std::size_t residentBefore = residentBytes();
        CaptureDocument document;
        EventGridModel model(document);
        const std::uint8_t note[] = {0x90, 0x3C, 0x40};
        for (std::size_t i = 0; i < Rows; ++i)
            document.store().append(Origin::Received, 0, std::int64_t(i) * 100, note);
        model.commit();
        state.counters["model_bytes_per_row"] = double(document.rows().bytesHeld()) / Rows;
        state.counters["resident_bytes_per_row"] = double(residentBytes() - residentBefore) / Rows;
    }
}
BENCHMARK(BM_GridMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

// The next match at the far end of ten million rows, from the first row.
// A find through ten million rows that hold the text only in the last one; with details
// shown (argument 1) every row's words are looked at too.
static void BM_FindNext(benchmark::State &state)
{
    constexpr std::size_t Rows = 10'000'000;
    static EventGridModel *const model = [] {
        auto *document = new CaptureDocument;
        auto *grid = new EventGridModel(*document);
        CaptureStore &store = document->store();
        for (std::size_t i = 0; i + 1 < Rows; ++i) {
            const std::uint8_t note[]
                = {std::uint8_t(0x90 | i % 16), std::uint8_t(i % 128), std::uint8_t(i % 100 + 1)};
            store.append(Origin::Received, 0, std::int64_t(i) * 1000, note);
        }
        const std::uint8_t identity[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
        store.append(Origin::Received, 0, 9'999'999'000, identity);
        return grid;
    }();
    ViewSettings view;
    view.details = state.range(0) != 0;
    model->setViewSettings(view);
    const RowSearch search(QStringLiteral("f0 7e 7f"));
    const RowSearch::Details details
        = view.details ? RowSearch::Details(view.middleC) : std::nullopt;
    for (auto _ : state) {
        const auto found
            = SearchPass::find(search, model->store(), 0, RowSearch::Direction::Forward, details);
        if (found != Rows - 1)
            state.SkipWithError("the match was not found");
        benchmark::DoNotOptimize(found);
    }
    state.counters["rows_per_second"]
        = benchmark::Counter(double(Rows), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_FindNext)->ArgName("details")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The same find through ten million rows that a recording holds on disk, none in memory, in
// the window's stretches with the loop given back between: each chunk is read back from the
// file as the find comes to it, and let go of again after its stretch. Reports the most the
// rows in memory took.
static void BM_FindNextOnDisk(benchmark::State &state)
{
    constexpr std::size_t Rows = 10'000'000;
    static QTemporaryDir folder;
    static CaptureDocument *const document = new CaptureDocument;
    static CaptureRecorder *const recorder = new CaptureRecorder(document->rows());
    static RecordedPaging *const paging = [] {
        auto *paging = new RecordedPaging(*document, *recorder);
        recorder->start({folder.filePath(QStringLiteral("find.lmc"))});
        CaptureStore &store = document->store();
        const CaptureStore::Source in = *store.sourceNamed(QStringLiteral("in"));
        const auto stored = [&] {
            document->rowsStored();
            recorder->take();
            paging->taken();
        };
        for (std::size_t i = 0; i + 1 < Rows; ++i) {
            const std::uint8_t note[]
                = {std::uint8_t(0x90 | i % 16), std::uint8_t(i % 128), std::uint8_t(i % 100 + 1)};
            store.append(Origin::Received, in, std::int64_t(i) * 1000, note);
            if (i % 100'000 == 0)
                stored();
        }
        const std::uint8_t identity[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
        store.append(Origin::Received, in, 9'999'999'000, identity);
        stored();
        recorder->stopAndWait();
        stored();
        return paging;
    }();
    const RowSearch search(QStringLiteral("f0 7e 7f"));
    std::size_t mostHeld = 0;
    for (auto _ : state) {
        state.PauseTiming();
        document->letGoOfRowsOnDisk(0);
        state.ResumeTiming();
        // Backward from the row before the match, round the start.
        const bool backward = state.range(0) == 1;
        SearchPass pass(search, document->rows(), backward ? Rows - 2 : 0,
            backward ? RowSearch::Direction::Backward : RowSearch::Direction::Forward, std::nullopt,
            Rows);
        while (pass.step(EventGrid::FindRowsAStretch) == SearchPass::State::Going) {
            mostHeld = std::max(mostHeld, document->rows().bytesHeld());
            QCoreApplication::processEvents();
        }
        if (pass.state() != SearchPass::State::Found || pass.found() != Rows - 1)
            state.SkipWithError("the match was not found");
    }
    state.counters["rows_per_second"]
        = benchmark::Counter(double(Rows), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["most_held_mb"] = double(mostHeld) / (1 << 20);
    static_cast<void>(paging);
}
// Timed by the clock: the chunks after the one read are decoded on other threads meanwhile.
BENCHMARK(BM_FindNextOnDisk)
    ->ArgName("backward")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The same through controller traffic whose details read the rows before: 14-bit pairs and
// data entries of a parameter, on four channels, details shown.
static void BM_FindNextInControllers(benchmark::State &state)
{
    constexpr std::size_t Rows = 10'000'000;
    static const CaptureStore *const rows = [] {
        auto *store = new CaptureStore;
        constexpr std::uint8_t numbers[] = {1, 33, 101, 100, 6, 38, 7, 64};
        for (std::size_t i = 0; i + 1 < Rows; ++i) {
            const std::uint8_t controller[]
                = {std::uint8_t(0xB0 | i / 8 % 4), numbers[i % 8], std::uint8_t(i % 128)};
            store->append(Origin::Received, 0, std::int64_t(i) * 1000, controller);
        }
        const std::uint8_t identity[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
        store->append(Origin::Received, 0, 9'999'999'000, identity);
        return store;
    }();
    const RowSearch search(QStringLiteral("f0 7e 7f"));
    for (auto _ : state) {
        const auto found = SearchPass::find(
            search, *rows, 0, RowSearch::Direction::Forward, MessageDetails::MiddleC::C4);
        if (found != Rows - 1)
            state.SkipWithError("the match was not found");
    }
    state.counters["rows_per_second"]
        = benchmark::Counter(double(Rows), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_FindNextInControllers)->Unit(benchmark::kMillisecond);

// A 16 MB SysEx dump arrives from another thread, is shown and clicked in the shown window:
// the longest the event loop was held, and the memory it took, against the dump's size.
static void BM_HugeSysEx(benchmark::State &state)
{
    constexpr qsizetype Size = 16 << 20;
    QByteArray dump(Size, '\x11');
    dump[0] = char(0xF0);
    dump[Size - 1] = char(0xF7);
    for (auto _ : state) {
        const auto ports = PortSystem::createLoopbackOnly();
        frmMain window(ports, std::make_unique<SilentDialogs>());
        window.Form_Load();
        window.show();
        QCoreApplication::processEvents();
        auto *grid = window.findChild<EventView *>(QStringLiteral("grdMIDIIn"));
        const std::size_t residentBefore = residentBytes();

        qint64 worstStallMs = 0;
        QElapsedTimer sinceTick;
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        QObject::connect(&ticker, &QTimer::timeout,
            [&] { worstStallMs = std::max(worstStallMs, sinceTick.restart()); });
        sinceTick.start();
        ticker.start(1);
        // Delivered on another thread, as a backend does.
        std::thread sender([&] {
            MIDIOutput output(ports);
            DeviceSelection::openOutputDevice(output, 0);
            sendMessage(output,
                {reinterpret_cast<const std::uint8_t *>(dump.constData()), std::size_t(Size)});
        });
        while (grid->rowCount() < 2)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        sender.join();
        grid->viewport()->repaint();
        QElapsedTimer clicking;
        clicking.start();
        grid->setCurrentCell(0, 0);
        emit grid->clicked(0, 0);
        const qint64 clickMs = clicking.elapsed();
        ticker.stop();

        state.counters["worst_stall_ms"] = double(worstStallMs);
        state.counters["click_ms"] = double(clickMs);
        state.counters["resident_per_dump_byte"]
            = double(residentBytes() - residentBefore) / double(Size);
        window.close();
    }
}
BENCHMARK(BM_HugeSysEx)->Iterations(1)->Unit(benchmark::kMillisecond);

// A steady stream of 10,000 rows a second into the shown grid for two seconds; the CPU
// the process spends on it, which must not grow with the rows the grid holds already (the
// argument).
static void BM_GridSteadyStream(benchmark::State &state)
{
    const auto held = std::size_t(state.range(0));
    EventView view;
    CaptureDocument document;
    EventGridModel model(document);
    EventGrid grid(view, model, document);
    view.resize(800, 600);
    view.show();
    const std::uint8_t note[] = {0x90, 0x3C, 0x40};
    for (std::size_t i = 0; i < held; ++i)
        document.store().append(Origin::Received, 0, std::int64_t(i), note);
    grid.showWaitingRows();
    QCoreApplication::processEvents();
    QTimer stream;
    QObject::connect(&stream, &QTimer::timeout, [&] {
        for (int i = 0; i < 10; ++i)
            document.store().append(Origin::Received, 0, 0, note);
        document.rowsStored();
    });
    for (auto _ : state) {
        const double before = processCpuSeconds();
        stream.start(1);
        QEventLoop running;
        QTimer::singleShot(2000, &running, &QEventLoop::quit);
        running.exec();
        stream.stop();
        state.counters["cpu_percent"] = 100.0 * (processCpuSeconds() - before) / 2.0;
    }
}
BENCHMARK(BM_GridSteadyStream)->Arg(0)->Arg(10'000'000)->Iterations(1)->Unit(benchmark::kSecond);

namespace {

// The window's grid, 1000 x 700 and shown offscreen, over `rows` rows that repeat a real
// capture's notes, controllers and dumps; the view's own resident memory in `viewBytes`.
struct GridOver
{
    explicit GridOver(std::size_t rows)
        : repeated(model, rows)
    {
        for (int i = 0; i < 4096; ++i) {
            const std::uint8_t note[] = {std::uint8_t(0x90 | i % 16), std::uint8_t(i % 128), 0x40};
            const std::uint8_t dump[] = {0xF0, 0x7E, 0x7F, 0x06, 0x02, 0x00, 0x20, 0x29, 0xF7};
            if (i % 64 == 0)
                document.store().append(Origin::Received, 0, i * 1000, dump);
            else
                document.store().append(Origin::Received, 0, i * 1000, note);
        }
        model.commit();
        const std::size_t before = residentBytes();
        view.setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont)); // as the window's
        view.setRows(repeated);
        view.resize(1000, 700);
        view.show();
        paint();
        viewBytes = double(residentBytes()) - double(before);
    }

    // Into an image, as the screen's backing store would be painted.
    void paint() { view.viewport()->render(&image); }

    CaptureDocument document;
    EventGridModel model {document};
    RepeatedRows repeated;
    EventView view;
    QImage image {1000, 700, QImage::Format_ARGB32_Premultiplied};
    double viewBytes = 0;
};

} // namespace

// One frame of live traffic: 30 rows come, the view follows them and paints what is in view.
// Its cost must not grow with the rows held (the argument).
static void BM_GridFrame(benchmark::State &state)
{
    GridOver grid(std::size_t(state.range(0)));
    for (auto _ : state) {
        grid.repeated.add(30);
        grid.view.rowsAdded();
        grid.paint();
    }
    state.counters["view_resident_bytes"] = grid.viewBytes;
}
BENCHMARK(BM_GridFrame)->Arg(0)->Arg(10'000'000)->Arg(1'000'000'000)->Unit(benchmark::kMicrosecond);

// A jump to a row anywhere in the capture, painted.
static void BM_GridScrollToRandomRow(benchmark::State &state)
{
    const auto rows = std::size_t(state.range(0));
    GridOver grid(rows);
    std::mt19937_64 random(7);
    for (auto _ : state) {
        grid.view.scrollToRow(random() % rows, EventView::Place::AtTop);
        grid.paint();
    }
}
BENCHMARK(BM_GridScrollToRandomRow)
    ->Arg(10'000'000)
    ->Arg(1'000'000'000)
    ->Unit(benchmark::kMicrosecond);
