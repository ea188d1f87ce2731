#include "frame/DialogService.h"
#include "main/frmMain.h"
#include "ports/MIDIInput.h"
#include "ports/PortSystem.h"
#include "ports/VirtualBackend.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

double cpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds
        = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

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

} // namespace

// The shown window takes a run of the load generator into its virtual input; whole-process
// CPU, rows kept and (with the second argument set) the UI thread's p99 latency. Needs a
// JACK server. Arguments: messages a second, measure latency.
static void BM_LiveTraffic(benchmark::State &state)
{
    const auto rate = int(state.range(0));
    constexpr int Seconds = 10;
    for (auto _ : state) {
        frmMain window(PortSystem::createDefault(), std::make_unique<SilentDialogs>());
        window.Form_Load();
        window.show();
        auto *inputs = window.findChild<QComboBox *>(QStringLiteral("ComboMidiIn"));
        inputs->setCurrentIndex(inputs->findText(VirtualBackend::InputName));
        emit inputs->activated(inputs->currentIndex());
        auto *grid = window.findChild<QTableView *>(QStringLiteral("grdMIDIIn"));

        LatencyProbe probe;
        if (state.range(1))
            probe.start();
        QProcess loadgen;
        loadgen.start(QStringLiteral(LUMETRA_LOADGEN),
            {"send", "--rate", QString::number(rate), "--seconds", QString::number(Seconds),
                "--mix", "channel", "--connect", "Lumetra[^:]*:virtual input", "--wait-for-port",
                "5"});
        const double cpuBefore = cpuSeconds();
        QElapsedTimer wall;
        wall.start();
        // The event loop itself, so that the measurement adds no work of its own.
        QEventLoop running;
        QObject::connect(&loadgen, &QProcess::finished, &running, &QEventLoop::quit);
        running.exec();
        const double cpu = cpuSeconds() - cpuBefore;
        const double seconds = double(wall.nsecsElapsed()) / 1e9;
        const QString report = QString::fromLocal8Bit(loadgen.readAllStandardOutput());
        const auto value = [&](const char *key) {
            return report.section(QLatin1String(key) + QLatin1String(": "), 1)
                .section(QLatin1Char('\n'), 0, 0)
                .toInt();
        };
        const int sent = value("sent");
        QElapsedTimer catchingUp;
        catchingUp.start();
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, [&] {
            if (grid->model()->rowCount() - 1 >= sent || catchingUp.elapsed() > 30'000)
                running.quit();
        });
        look.start(20);
        running.exec();
        state.SetIterationTime(seconds);
        state.counters["cpu_percent"] = 100.0 * cpu / seconds;
        state.counters["sent"] = sent;
        state.counters["xruns"] = value("xruns");
        state.counters["rows_kept"] = grid->model()->rowCount() - 1;
        state.counters["dropped"] = double(window.MIDIInput1().DroppedCount());
        state.counters["catch_up_ms"] = double(catchingUp.elapsed());
        state.counters["unsent"] = value("unsent");
        if (state.range(1))
            state.counters["ui_latency_p99_ms"] = probe.p99();
        window.close();
    }
}
// A long run of a steady rate (the arguments: messages a second, seconds): the CPU of the
// first and of the last minute, which must stay level while the grid fills, and the rows
// kept against those sent. Run it alone: --benchmark_filter=BM_LiveSoak.
static void BM_LiveSoak(benchmark::State &state)
{
    const auto rate = int(state.range(0));
    const auto seconds = int(state.range(1));
    for (auto _ : state) {
        frmMain window(PortSystem::createDefault(), std::make_unique<SilentDialogs>());
        window.Form_Load();
        window.show();
        auto *inputs = window.findChild<QComboBox *>(QStringLiteral("ComboMidiIn"));
        inputs->setCurrentIndex(inputs->findText(VirtualBackend::InputName));
        emit inputs->activated(inputs->currentIndex());
        auto *grid = window.findChild<QTableView *>(QStringLiteral("grdMIDIIn"));
        QProcess loadgen;
        loadgen.start(QStringLiteral(LUMETRA_LOADGEN),
            {"send", "--rate", QString::number(rate), "--seconds", QString::number(seconds),
                "--mix", "channel", "--connect", "Lumetra[^:]*:virtual input", "--wait-for-port",
                "5"});
        std::vector<double> minutes; // CPU percent of each minute
        double lastCpu = cpuSeconds();
        QTimer minute;
        QObject::connect(&minute, &QTimer::timeout, [&] {
            const double cpu = cpuSeconds();
            minutes.push_back(100.0 * (cpu - lastCpu) / 60.0);
            lastCpu = cpu;
        });
        minute.start(60'000);
        QEventLoop running;
        QObject::connect(&loadgen, &QProcess::finished, &running, &QEventLoop::quit);
        running.exec();
        minute.stop();
        const QString report = QString::fromLocal8Bit(loadgen.readAllStandardOutput());
        const auto value = [&](const char *key) {
            return report.section(QLatin1String(key) + QLatin1String(": "), 1)
                .section(QLatin1Char('\n'), 0, 0)
                .toLongLong();
        };
        QTest::qWaitFor([&] { return grid->model()->rowCount() - 1 >= value("sent"); }, 30'000);
        state.counters["cpu_first_minute"] = minutes.empty() ? 0 : minutes.front();
        state.counters["cpu_last_minute"] = minutes.empty() ? 0 : minutes.back();
        state.counters["sent"] = double(value("sent"));
        state.counters["rows_kept"] = grid->model()->rowCount() - 1;
        state.counters["dropped"] = double(window.MIDIInput1().DroppedCount());
        state.counters["xruns_generator"] = double(value("xruns"));
        state.counters["xruns_lumetra"] = double(window.MIDIInput1().XrunCount());
        window.close();
    }
}
BENCHMARK(BM_LiveSoak)->Args({10'000, 1800})->Iterations(1)->Unit(benchmark::kSecond);

BENCHMARK(BM_LiveTraffic)
    ->Args({1'000, 0})
    ->Args({10'000, 0})
    ->Args({200'000, 1})
    ->Args({600'000, 1}) // beyond what a period of 256 carries: run it on a server at 128
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);
