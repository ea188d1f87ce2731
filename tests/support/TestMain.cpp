#include "files/SafeFile.h"
#include "support/JackServerKind.h"
#include "support/PrivateJackServer.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

namespace {

// A process that runs JACK tests runs them on a jackd of its own: a server that a test before
// left stuck (a client that stopped answering holds every new client and connection up) then
// fails only that test, not every one after it. PipeWire's library reaches no jackd, and
// without jackd the tests find whatever server runs, as before.
struct OwnJackServer : testing::Environment
{
    void SetUp() override
    {
        const testing::UnitTest &tests = *testing::UnitTest::GetInstance();
        bool runsJackTests = false;
        for (int i = 0; i < tests.total_test_suite_count(); ++i)
            runsJackTests |= tests.GetTestSuite(i)->should_run()
                && QByteArray(tests.GetTestSuite(i)->name()).startsWith("Jack");
        if (runsJackTests && !jackIsPipeWire() && !server.emplace(QStringLiteral("tests")).start())
            server.reset();
    }
    void TearDown() override { server.reset(); }

    std::optional<PrivateServer> server;
};

} // namespace

// Widgets, queued signals and timers need an application object; tests run offscreen, and
// with a home folder of their own, so that no test reads or writes the real settings.
int main(int argc, char *argv[])
{
    SafeFile::refuseWritesPastSizeLimit(); // as the program starts
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    testing::AddGlobalTestEnvironment(new OwnJackServer);
    return RUN_ALL_TESTS();
}
