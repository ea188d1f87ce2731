#pragma once

#include "support/JackPeer.h"
#include "support/TestWindow.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
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

// Runs the load generator to its end; its report as "key: value" lines.
inline std::map<QString, QString> runLoadgen(const QStringList &arguments, int &status)
{
    QProcess loadgen;
    loadgen.start(QStringLiteral(LUMETRA_LOADGEN), arguments);
    while (loadgen.state() != QProcess::NotRunning)
        QTest::qWait(20); // the window takes the traffic in meanwhile
    status = loadgen.exitCode();
    std::map<QString, QString> report;
    for (const QString &line : QString::fromLocal8Bit(loadgen.readAllStandardOutput()).split('\n'))
        if (const qsizetype colon = line.indexOf(": "); colon > 0)
            report[line.left(colon)] = line.mid(colon + 2);
    return report;
}
