#pragma once

#include "ports/JackBackend.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>
#include <csignal>
#include <sys/prctl.h>

// A jackd on the dummy driver that only its owner uses, made the default server of this
// process and of the programs it starts while it lives; the server named before is left
// alone, and named again at the end.
class PrivateServer
{
public:
    explicit PrivateServer(const QString &kind = QStringLiteral("test"))
        : m_name(QStringLiteral("lumetra-%1-%2").arg(kind).arg(QCoreApplication::applicationPid()))
        , m_previous(qgetenv("JACK_DEFAULT_SERVER"))
    {
        qputenv("JACK_DEFAULT_SERVER", m_name.toLocal8Bit());
    }
    ~PrivateServer()
    {
        stop();
        qputenv("JACK_DEFAULT_SERVER", m_previous);
    }
    bool start()
    {
        // A test that aborts never runs the destructor: the server, even frozen, ends with it.
        m_jackd.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        m_jackd.start(QStringLiteral("jackd"),
            {"-n", m_name, "-r", "-d", "dummy", "-r", "48000", "-p", "256"});
        return m_jackd.waitForStarted() && QTest::qWaitFor(&JackBackend::serverAnswers, 10000);
    }
    void stop()
    {
        resume();
        m_jackd.terminate();
        m_jackd.waitForFinished();
    }
    // Freezes the server, as a debugger or a stopped shell job does, and lets it go on.
    void pause() { signal(SIGSTOP); }
    void resume() { signal(SIGCONT); }

private:
    // Never to process 0, which is every process of the group.
    void signal(int number)
    {
        if (const qint64 pid = m_jackd.processId(); pid > 0)
            ::kill(pid_t(pid), number);
    }

    QString m_name;
    QByteArray m_previous;
    QProcess m_jackd;
};
