#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// Some benchmarks drive widgets and queued signals, so an application object exists.
int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM",
        qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    // The window saves its devices on closing: into a home folder of the benchmark's own.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
