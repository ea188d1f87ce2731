#pragma once

#include "ports/JackBackend.h"
#include "support/JackServerKind.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <mutex>
#include <vector>

// CI sets LUMETRA_REQUIRE_JACK, so that a server that failed to start fails the run. The
// test's report names the server it ran on.
#define REQUIRE_JACK_OR_SKIP()                                                                     \
    ::testing::Test::RecordProperty("jack_server", jackServerKind());                              \
    if (!JackBackend::serverAnswers()) {                                                           \
        if (qEnvironmentVariableIsSet("LUMETRA_REQUIRE_JACK"))                                     \
            FAIL() << "no JACK server (" << jackServerKind() << ") could be reached";              \
        GTEST_SKIP() << "no JACK server runs";                                                     \
    }

// Another JACK client, as independent of Lumetra as a synth would be: its ports come and go
// when the test says, send what the test gives them and keep what they receive.
class JackPeer
{
public:
    using Bytes = std::vector<std::uint8_t>;

    explicit JackPeer(const char *name);
    ~JackPeer();

    void addPort(const QString &name, bool sends);
    void removePort(const QString &name);
    // Full name of one of this peer's ports, as Lumetra lists it after "JACK: ".
    QString fullName(const QString &port) const;
    // Fails the test when the two ports cannot be connected.
    void connect(const QString &from, const QString &to);
    // For ports that come and go while a test wires them as they appear: one that is gone
    // again by the time the connection is asked for is no fault, the next look tries again.
    bool tryConnect(const QString &from, const QString &to);
    void disconnect(const QString &from, const QString &to);
    // Full names of Lumetra's own ports called `port`, whatever its client is called.
    QStringList lumetraPorts(const QString &port) const;
    // Whether another client's port is connected to this peer's port: a program started
    // elsewhere is listening, or talking.
    bool isConnected(const QString &port, int connections = 1) const;
    // Waits until other clients' ports make that many connections to `port` and the last
    // carries traffic, which it does from the cycle after the one that saw it.
    bool connectedWithin(const QString &port, int milliseconds, int connections = 1);
    void send(const QString &port, const Bytes &message);
    std::vector<Bytes> received();
    // What waiting loops look at: copying every dump received would hold the process
    // callback out of its lock for longer than a cycle.
    std::size_t receivedCount();
    // Events received that held no whole MIDI message, a piece of one or more than one: a
    // receiver reads each event as one message.
    std::vector<Bytes> notWhole();
    // Makes the next cycle of this client run late by `delay`: the server's xrun.
    void stallNextCycle(std::chrono::milliseconds delay) { m_stall = delay.count(); }
    // The cycles the server ran late since this peer started: what went missing then proves
    // nothing about the path.
    std::uint64_t xruns() const { return m_xruns.load(); }
    // Events the senders into this peer's ports said they lost: what a receiving program
    // tells its user is missing.
    std::uint64_t lostEvents() const { return m_lostEvents.load(); }

private:
    struct Port
    {
        QString name;
        jack_port_t *port;
        bool sends;
        std::vector<Bytes> outgoing; // guarded by m_mutex
    };

    static int process(jack_nframes_t frames, void *self);
    static int countXrun(void *self);

    jack_client_t *m_client = nullptr;
    std::mutex m_mutex;
    std::vector<std::unique_ptr<Port>> m_ports; // guarded by m_mutex
    std::vector<Bytes> m_received; // guarded by m_mutex
    std::vector<Bytes> m_notWhole; // guarded by m_mutex
    std::atomic<std::chrono::milliseconds::rep> m_stall {0};
    std::atomic<std::uint64_t> m_cycles {0};
    std::atomic<std::uint64_t> m_xruns {0};
    std::atomic<std::uint64_t> m_lostEvents {0};
};
