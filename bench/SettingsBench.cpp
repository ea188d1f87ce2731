#include "ini/ProfileString.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int Keys = 200'000;

enum class Operation { Read, Write };

// One section of 200,000 keys (about 5 MB), as a file grown by hand or by another program
// might hold.
bool writeLargeSection(const QString &path)
{
    QByteArray bytes = "[Big]\r\n";
    for (int i = 0; i < Keys; ++i)
        bytes += "Key" + QByteArray::number(i) + "=some value\r\n";
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

// A key near the end of the section: the whole file is read and searched each time, as
// every call goes to the file.
static void BM_ProfileString(benchmark::State &state, Operation operation)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("large.ini");
    if (!writeLargeSection(path)) {
        state.SkipWithError("the file could not be written");
        return;
    }
    const QByteArray key = "Key" + QByteArray::number(Keys - 10);
    QByteArray buffer(255, '\0');
    for (auto _ : state) {
        if (operation == Operation::Read) {
            if (ProfileString::read("big", key, std::nullopt, buffer, path) == 0)
                state.SkipWithError("the key was not found");
        } else if (!ProfileString::write("Big", key, "changed", path)) {
            state.SkipWithError("the value could not be written");
        }
    }
}
BENCHMARK_CAPTURE(BM_ProfileString, read, Operation::Read)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ProfileString, write, Operation::Write)->Unit(benchmark::kMillisecond);
