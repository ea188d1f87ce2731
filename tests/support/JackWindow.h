#pragma once

#include "support/JackPeer.h"
#include "support/Preferences.h"
#include "support/PrivateJackServer.h"
#include "support/TestWindow.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <limits>
#include <map>

// The main window on every backend of the machine, as the program starts it.
struct JackWindow : TestWindow
{
    JackWindow()
    {
        create(PortSystem::createDefault());
        start();
    }
    QLabel *notice() const { return find<QLabel>("lblDeviceNotice"); }
    void sendText(const QString &text)
    {
        find<QPlainTextEdit>("txtBoxSend")->setPlainText(text);
        find<QPushButton>("btnSend")->click();
    }
};

inline QString jack(const JackPeer &peer, const QString &port)
{
    return "JACK: " + peer.fullName(port);
}

// Clears the grid and runs the load generator until a run passes without an xrun: a cycle
// the server ran late may lose or delay messages before they reach Lumetra, so such a run
// proves nothing. A test of times also passes over a run in which the server's estimate of
// a cycle's length, which turns frames into times, strayed further than `clockWanderUs`.
// Its report as "key: value" lines, or none when the server ran late in all three runs or
// the generator sent nothing, which fails the test.
inline std::map<QString, QString> runLoadgenWithoutXruns(JackWindow &w,
    const QStringList &arguments, double clockWanderUs = std::numeric_limits<double>::infinity())
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        w.find<QPushButton>("btnClear")->click();
        QProcess loadgen;
        loadgen.start(QStringLiteral(LUMETRA_LOADGEN), arguments);
        while (loadgen.state() != QProcess::NotRunning)
            QTest::qWait(20); // the window takes the traffic in meanwhile
        const std::string errors = loadgen.readAllStandardError().toStdString();
        std::map<QString, QString> report;
        for (const QString &line :
            QString::fromLocal8Bit(loadgen.readAllStandardOutput()).split('\n'))
            if (const qsizetype colon = line.indexOf(": "); colon > 0)
                report[line.left(colon)] = line.mid(colon + 2);
        if (!report.contains("xruns")) {
            ADD_FAILURE() << "the generator sent nothing: " << errors;
            return {};
        }
        if (report["xruns"] == "0" && report["clock_wander_us"].toDouble() <= clockWanderUs) {
            EXPECT_EQ(loadgen.exitCode(), 0) << "the generator kept its pace: " << errors;
            return report;
        }
    }
    return {};
}

// Saves what the window received as a log, which the load generator reads back: every one
// of `expected` messages of its mixed run, from `source` if named, is there in order.
inline void expectLoadInLog(TestWindow &w, int expected, const QString &source = {})
{
    QTemporaryDir folder;
    const QString log = folder.filePath("log.txt");
    w.saveAs("mnuSaveIn", log);
    QStringList arguments {"verify", log, "--mix", "mixed", "--expect", QString::number(expected)};
    if (!source.isEmpty())
        arguments << "--source" << source;
    QProcess verify;
    verify.start(QStringLiteral(LUMETRA_LOADGEN), arguments);
    ASSERT_TRUE(verify.waitForFinished(30000));
    EXPECT_EQ(verify.exitCode(), 0) << verify.readAllStandardOutput().toStdString();
}

// A test on a server of its own, running from the start; without jackd it is skipped.
struct JackPrivateServer : testing::Test
{
    PrivateServer server;
    void SetUp() override
    {
        SKIP_ON_PIPEWIRE("a server of the test's own is a jackd, which stops, freezes and "
                         "restarts; PipeWire's JACK library cannot reach it");
        if (QStandardPaths::findExecutable("jackd").isEmpty())
            GTEST_SKIP() << "jackd is not installed";
        ASSERT_TRUE(server.start());
        forgetPreferences();
    }
};
