#include "frame/DialogService.h"
#include "main/frmMain.h"
#include "ports/MIDIInput.h"
#include "ports/PortSystem.h"
#include "sender/MessageParser.h"
#include "sender/RepeatTimer.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>

// Argument: data bytes after the status; a large count makes a SysEx text.
static void BM_ParseMessage(benchmark::State &state)
{
    const auto dataBytes = int(state.range(0));
    QString text = dataBytes > 2 ? QStringLiteral("F0") : QStringLiteral("90");
    for (int i = 0; i < dataBytes; ++i)
        text += QStringLiteral(" %1").arg(i % 0x80, 2, 16, QLatin1Char('0'));
    for (auto _ : state)
        benchmark::DoNotOptimize(parseMessage(text));
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(BM_ParseMessage)->Arg(2)->Arg(1024);

// Repeated sending of "F8" over the loopback from the shown window, for three seconds at the
// rate in milliseconds given as the argument. The warning about fast rates goes unanswered.
static void BM_RepeatTiming(benchmark::State &state)
{
    using Clock = std::chrono::steady_clock;
    const auto rate = std::chrono::milliseconds(state.range(0));
    const auto runFor = std::chrono::seconds(3);
    auto ports = PortSystem::createLoopbackOnly();

    for (auto _ : state) {
        frmMain window(ports, std::make_unique<SilentDialogs>());
        window.Form_Load();
        window.show();
        window.findChild<QPlainTextEdit *>("txtBoxSend")->setPlainText("F8");
        window.findChild<QCheckBox *>("chkRepeat")->click();
        window.findChild<QLineEdit *>("txtRepeat")->setText(QString::number(rate.count()));
        std::vector<Clock::time_point> ticks;
        QObject::connect(window.findChild<RepeatTimer *>("Timer1"), &RepeatTimer::timeout,
            [&] { ticks.push_back(Clock::now()); });

        const Clock::time_point started = Clock::now();
        window.findChild<QPushButton *>("btnSend")->click(); // "&Start Sending"
        while (Clock::now() - started < runFor)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        window.StopRepeating();

        std::vector<double> deviationsMs;
        double intervalSumMs = 0;
        for (std::size_t i = 1; i < ticks.size(); ++i) {
            const double intervalMs
                = std::chrono::duration<double, std::milli>(ticks[i] - ticks[i - 1]).count();
            intervalSumMs += intervalMs;
            deviationsMs.push_back(std::abs(intervalMs - double(rate.count())));
        }
        std::sort(deviationsMs.begin(), deviationsMs.end());
        const double meanIntervalMs = intervalSumMs / double(ticks.size() - 1);
        // Ticks due by the last one that fired: one falling due at the very end is not lost.
        const auto due = (ticks.back() - started) / rate;
        state.counters["mean_interval_error_pct"]
            = 100.0 * (meanIntervalMs - double(rate.count())) / double(rate.count());
        state.counters["p99_deviation_ms"] = deviationsMs[deviationsMs.size() * 99 / 100];
        state.counters["ticks_lost"] = double(due - std::int64_t(ticks.size()));
        window.close();
    }
}
BENCHMARK(BM_RepeatTiming)->Arg(1)->Arg(20)->Iterations(1)->Unit(benchmark::kSecond);
