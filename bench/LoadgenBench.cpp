#include "looptest/LoadMessages.h"
#include "loadgen/LogLine.h"
#include "loadgen/LogVerifier.h"

#include <QBuffer>
#include <benchmark/benchmark.h>

namespace {

constexpr std::uint64_t Messages = 1'000'000;

// The log of a whole mixed load run of a million messages, as Lumetra saves it.
QByteArray &mixedRunLog()
{
    static QByteArray log = [] {
        QByteArray text;
        std::vector<std::uint8_t> message(32);
        for (std::uint64_t i = 0; i < Messages; ++i) {
            const std::size_t size
                = LoadMessages::writeMessage(LoadMessages::Mix::Mixed, i, 32, message);
            text += logLineOf(std::span(message).first(size)) + "\r\n";
        }
        return text;
    }();
    return log;
}

} // namespace

// Checking the log of a load run: a CI load test does it after every run.
static void BM_VerifyLoadLog(benchmark::State &state)
{
    QByteArray &log = mixedRunLog();
    for (auto _ : state) {
        QBuffer in(&log);
        in.open(QIODevice::ReadOnly);
        const LogReport report = verifyLog(in, LoadMessages::Mix::Mixed, Messages);
        if (!report.passed())
            state.SkipWithError("the clean log did not pass");
    }
    state.SetItemsProcessed(std::int64_t(state.iterations() * Messages));
}
BENCHMARK(BM_VerifyLoadLog)->Unit(benchmark::kMillisecond);
