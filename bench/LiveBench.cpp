#include "ProcessMeasures.h"
#include "capture/CaptureDocument.h"
#include "frame/DialogService.h"
#include "grid/EventView.h"
#include "main/frmMain.h"
#include "ports/InputSet.h"
#include "ports/MIDIInput.h"
#include "ports/PortSystem.h"
#include "ports/VirtualBackend.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <functional>
#include <optional>

namespace {

// How late a posted call reaches the UI thread: a probe every 5 ms while the traffic runs.
class LatencyProbe
{
public:
    void start()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_posted.start();
            QMetaObject::invokeMethod(
                &m_timer, [this] { m_delays.push_back(m_posted.nsecsElapsed() / 1e6); },
                Qt::QueuedConnection);
        });
        m_timer.start(5);
    }
    double p99()
    {
        m_timer.stop();
        if (m_delays.empty())
            return 0;
        std::sort(m_delays.begin(), m_delays.end());
        return m_delays[m_delays.size() * 99 / 100];
    }

private:
    QTimer m_timer;
    QElapsedTimer m_posted;
    std::vector<double> m_delays;
};

// The spacing of the grid's frames once rows have come: each paint of its viewport is a
// frame. Gaps in milliseconds, sorted when read.
class FrameProbe : public QObject
{
public:
    FrameProbe(QWidget &viewport, std::function<bool()> rowsCame)
        : m_rowsCame(std::move(rowsCame))
    {
        viewport.installEventFilter(this);
        m_clock.start();
    }
    void stop() { m_stopped = true; }
    double gapAt(double share)
    {
        if (m_gaps.empty())
            return 0;
        std::sort(m_gaps.begin(), m_gaps.end());
        return m_gaps[std::min(m_gaps.size() - 1, std::size_t(double(m_gaps.size()) * share))];
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::Paint || m_stopped || !m_rowsCame())
            return false;
        const qint64 now = m_clock.nsecsElapsed();
        if (m_last >= 0)
            m_gaps.push_back(double(now - m_last) / 1e6);
        m_last = now;
        return false;
    }

private:
    std::function<bool()> m_rowsCame;
    QElapsedTimer m_clock;
    qint64 m_last = -1;
    bool m_stopped = false;
    std::vector<double> m_gaps;
};

// Saves where the run says, and shows nothing.
struct SavingDialogs : SilentDialogs
{
    QString path;
    QString askSaveFileName(const QString &, const QString &) override { return path; }
};

// The shown window on its virtual input, as a user sets it up for a load run, and the load
// generator sending into it; or, with several clients, the window watching the output of
// each, as several inputs.
struct LiveRun
{
    SavingDialogs *dialogs = new SavingDialogs;
    frmMain window {PortSystem::createDefault(), std::unique_ptr<DialogService>(dialogs)};
    EventView *grid = nullptr;
    QProcess loadgen;
    InputChoice watched;

    LiveRun(int rate, int seconds, int clients = 1)
    {
        window.Form_Load();
        window.show();
        QStringList arguments {"send", "--rate", QString::number(rate), "--seconds",
            QString::number(seconds), "--mix", "channel", "--wait-for-port", "5"};
        if (clients == 1) {
            auto *inputs = window.findChild<QComboBox *>(QStringLiteral("ComboMidiIn"));
            inputs->setCurrentIndex(inputs->findText(VirtualBackend::InputName));
            emit inputs->activated(inputs->currentIndex());
            arguments << "--connect"
                      << "Lumetra[^:]*:virtual input";
        } else {
            const QString client
                = QStringLiteral("lumetra-bench-%1").arg(QCoreApplication::applicationPid());
            for (int i = 1; i <= clients; ++i)
                watched.names << QStringLiteral("JACK: %1-%2:out").arg(client).arg(i);
            window.watchInputs(watched); // waited for until the generator's clients come
            arguments << "--clients" << QString::number(clients) << "--client-name" << client;
        }
        grid = window.findChild<EventView *>(QStringLiteral("grdMIDIIn"));
        loadgen.start(QStringLiteral(LUMETRA_LOADGEN), arguments);
    }
    qint64 rows() const { return qint64(grid->rowCount()) - 1; }
    // Of several inputs, how many hold exactly their generator's run, as the log shows it.
    int verifiedSources(qint64 sentByEach)
    {
        QTemporaryDir folder;
        dialogs->path = folder.filePath(QStringLiteral("log.txt"));
        window.findChild<QAction *>(QStringLiteral("mnuSaveIn"))->trigger();
        // A log of millions of rows is written on a thread of its own, and appears whole.
        if (!QTest::qWaitFor([&] { return QFile::exists(dialogs->path); }, 60'000))
            return 0;
        return int(std::ranges::count_if(watched.names, [&](const QString &source) {
            QProcess verify;
            verify.start(QStringLiteral(LUMETRA_LOADGEN),
                {"verify", dialogs->path, "--expect", QString::number(sentByEach), "--source",
                    source});
            return verify.waitForFinished(60'000) && verify.exitCode() == 0;
        }));
    }
    // A figure the generator printed when it ended ("sent: 2000000").
    qint64 reported(const char *key)
    {
        if (m_report.isEmpty())
            m_report = QString::fromLocal8Bit(loadgen.readAllStandardOutput());
        return m_report.section(QLatin1String(key) + QLatin1String(": "), 1)
            .section(QLatin1Char('\n'), 0, 0)
            .toLongLong();
    }

private:
    QString m_report;
};

} // namespace

// The shown window takes a run of the load generator into its virtual input, or a run of
// each of several generators into as many watched inputs; whole-process CPU, rows kept and
// (with the second argument set) the UI thread's p99 latency. Needs a JACK server.
// Arguments: messages a second (of each generator), measure latency, generators.
static void BM_LiveTraffic(benchmark::State &state)
{
    const auto rate = int(state.range(0));
    const auto clients = int(state.range(2));
    constexpr int Seconds = 10;
    for (auto _ : state) {
        LatencyProbe probe;
        if (state.range(1))
            probe.start();
        LiveRun run(rate, Seconds, clients);
        const double cpuBefore = processCpuSeconds();
        QElapsedTimer wall;
        wall.start();
        // The event loop itself, so that the measurement adds no work of its own.
        QEventLoop running;
        QObject::connect(&run.loadgen, &QProcess::finished, &running, &QEventLoop::quit);
        running.exec();
        const double cpu = processCpuSeconds() - cpuBefore;
        const double seconds = double(wall.nsecsElapsed()) / 1e9;
        const qint64 sent = run.reported(clients == 1 ? "sent" : "total_sent");
        QElapsedTimer catchingUp;
        catchingUp.start();
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, [&] {
            if (run.rows() >= sent || catchingUp.elapsed() > 30'000)
                running.quit();
        });
        look.start(20);
        running.exec();
        state.SetIterationTime(seconds);
        state.counters["cpu_percent"] = 100.0 * cpu / seconds;
        state.counters["sent"] = double(sent);
        state.counters["xruns"] = double(run.reported("xruns"));
        state.counters["rows_kept"] = run.rows();
        state.counters["dropped"] = double(run.window.inputs().droppedCount());
        state.counters["catch_up_ms"] = double(catchingUp.elapsed());
        state.counters["unsent"] = double(run.reported("unsent"));
        if (clients > 1)
            state.counters["sources_verified"] = run.verifiedSources(run.reported("sent"));
        if (state.range(1))
            state.counters["ui_latency_p99_ms"] = probe.p99();
        run.window.close();
    }
}

// A long run of a steady rate (the arguments: messages a second, seconds): the CPU of the
// first and of the last minute, which must stay level while the grid fills, the rows kept
// against those sent, the resident memory each row took, and how far apart the frames came.
// Run each alone: --benchmark_filter=BM_LiveSoak/200000.
static void BM_LiveSoak(benchmark::State &state)
{
    const auto rate = int(state.range(0));
    const auto seconds = int(state.range(1));
    for (auto _ : state) {
        LiveRun run(rate, seconds);
        // Room for the whole run, so that what the memory holds per row is what is measured.
        run.window.document().setLimit({std::uint64_t(rate) * std::uint64_t(seconds) * 2, 0});
        // Resident memory and rows at the first frame with rows: what the window itself takes
        // is not counted against them.
        std::optional<std::pair<std::size_t, qint64>> first;
        FrameProbe frames(*run.grid->viewport(), [&] {
            if (run.rows() > 0 && !first)
                first = {residentBytes(), run.rows()};
            return first.has_value();
        });
        std::vector<double> minutes; // CPU percent of each minute
        double lastCpu = processCpuSeconds();
        QTimer minute;
        QObject::connect(&minute, &QTimer::timeout, [&] {
            const double cpu = processCpuSeconds();
            minutes.push_back(100.0 * (cpu - lastCpu) / 60.0);
            lastCpu = cpu;
        });
        minute.start(60'000);
        QEventLoop running;
        QObject::connect(&run.loadgen, &QProcess::finished, &running, &QEventLoop::quit);
        running.exec();
        minute.stop();
        frames.stop();
        const qint64 sent = run.reported("sent");
        state.counters["caught_up"] = QTest::qWaitFor([&] { return run.rows() >= sent; }, 30'000);
        if (first)
            state.counters["resident_bytes_per_row"] = double(residentBytes() - first->first)
                / double(std::max<qint64>(1, run.rows() - first->second));
        state.counters["store_bytes_per_row"] = double(run.window.document().rows().bytesHeld())
            / double(std::max<qint64>(1, run.rows()));
        state.counters["frame_gap_p99_ms"] = frames.gapAt(0.99);
        state.counters["frame_gap_max_ms"] = frames.gapAt(1.0);
        state.counters["cpu_first_minute"] = minutes.empty() ? 0 : minutes.front();
        state.counters["cpu_last_minute"] = minutes.empty() ? 0 : minutes.back();
        state.counters["sent"] = double(sent);
        state.counters["rows_kept"] = run.rows();
        state.counters["dropped"] = double(run.window.MIDIInput1().DroppedCount());
        state.counters["xruns_generator"] = double(run.reported("xruns"));
        state.counters["xruns_lumetra"] = double(run.window.MIDIInput1().XrunCount());
        run.window.close();
    }
}
BENCHMARK(BM_LiveSoak)
    ->Args({10'000, 1800})
    ->Args({200'000, 60})
    ->Args({600'000, 250}) // 150 million rows: run it on a server at period 128
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

BENCHMARK(BM_LiveTraffic)
    ->Args({1'000, 0, 1})
    ->Args({10'000, 0, 1})
    ->Args({200'000, 1, 1})
    ->Args({50'000, 1, 4}) // four inputs of a quarter each: the same traffic as the one above
    ->Args({600'000, 1, 1}) // beyond what a period of 256 carries: run it on a server at 128
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);
