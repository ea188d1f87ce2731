#pragma once

#include "SendPacing.h"
#include "looptest/LoadMessages.h"

#include <QString>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <jack/types.h>
#include <memory>
#include <mutex>
#include <semaphore.h>
#include <span>
#include <string>
#include <vector>

struct SendSettings
{
    LoadMessages::Mix mix = LoadMessages::Mix::Channel;
    std::uint64_t rate = 1000; // messages a second
    double seconds = 1;
    std::size_t sysExSize = 32;
    QString clientName = QStringLiteral("lumetra_loadgen");
};

// What a run sent, and how well it kept to its pace.
struct SendReport
{
    QString client;
    QString connectedTo;
    SendSettings settings;
    std::uint64_t sent = 0;
    std::array<std::uint64_t, 3> sentOfKind {}; // by LoadMessages::Kind
    std::uint64_t unsent = 0; // due within the run, but never sent
    std::uint64_t late = 0; // sent in a later cycle than the one they were due in
    std::uint64_t fullCycles = 0; // cycles whose port buffer could not take all that was due
    std::uint64_t busiestCycle = 0; // the most messages sent in one cycle
    // Cycles the server ran late during the run: a receiver may have missed what was sent
    // in them, through no fault of its own.
    std::uint64_t xruns = 0;
    // How far the server's own estimate of a cycle's length, which turns frames into times,
    // strayed from the nominal one in the run's worst cycle: a server woken late stretches
    // the times between the frames of its next cycles.
    double clockWanderUs = 0;
    double seconds = 0; // by the server's clock, up to the end of the last cycle that sent
    double wallSeconds = 0;
    QString failure; // why the run was cut short; empty when it ran to its end

    bool complete() const { return failure.isEmpty() && unsent == 0; }
    // One "key: value" a line.
    std::string text() const;
};

// The report of one run, or those of several clients' runs side by side, each followed by an
// empty line, and then their totals.
std::string reportsText(std::span<const SendReport> reports);

// A JACK client with one MIDI output that sends a load run: each message written in the
// process callback at the frame it is due, so that the pace holds within a cycle too.
//
// Threads: JACK's process thread does all the sending and touches the run's counters only
// while the run is on; the thread that calls run() reads them once the process thread has
// said it is done.
class LoadSender
{
public:
    // Nullptr, and the reason in `failure`, when no server answers or the settings do not
    // fit its ports.
    static std::unique_ptr<LoadSender> open(const SendSettings &settings, QString &failure);
    ~LoadSender();
    LoadSender(const LoadSender &) = delete;
    LoadSender &operator=(const LoadSender &) = delete;

    // Connects the output to the one input port `wanted` names (see portsMatching), waiting
    // up to `wait` for it to appear. Returns the reason when that fails, else nothing.
    QString connectTo(const QString &wanted, std::chrono::milliseconds wait);
    // Waits up to `wait` until `listeners` ports of other programs are connected to the
    // output. Returns the reason when they were not, else nothing.
    QString waitForListener(std::chrono::milliseconds wait, int listeners = 1);
    // Sends the whole run, and returns once it is over.
    SendReport run();

private:
    enum State : int { Idle, Running, Draining, Done };

    LoadSender(jack_client_t *client, jack_port_t *port, const SendSettings &settings);
    QStringList otherInputs() const;
    QString waitForRun();
    SendReport report(std::chrono::steady_clock::duration wall) const;

    static int process(jack_nframes_t frames, void *self);
    static void shutDown(jack_status_t, const char *, void *self);
    static void portRegistered(jack_port_id_t, int, void *self);
    static void portConnected(jack_port_id_t, jack_port_id_t, int, void *self);
    static void graphChanged(LoadSender &sender);
    // Waits until the ports or their connections change; false once `deadline` has passed.
    bool waitForGraphChange(std::chrono::steady_clock::time_point deadline);
    static int xrun(void *self);
    void sendCycle(void *buffer, jack_nframes_t frames);
    void noteClockWander(jack_nframes_t frames);

    jack_client_t *m_client;
    jack_port_t *m_port;
    const SendSettings m_settings;
    const SendPacing m_pacing;
    QString m_connectedTo;

    std::atomic<int> m_state {Idle};
    std::atomic<bool> m_serverGone {false};
    std::atomic<std::uint64_t> m_xruns {0}; // counted while the run is on
    sem_t m_done; // posted by the process thread: a semaphore never blocks it

    std::mutex m_graphMutex;
    std::condition_variable m_graphChanged;
    bool m_graphHasChanged = false; // guarded by m_graphMutex

    // The process thread's own while the run is on.
    std::vector<std::uint8_t> m_message;
    bool m_started = false;
    jack_nframes_t m_lastCycleStart = 0;
    std::uint64_t m_elapsed = 0; // frames from the start of the run to this cycle's
    std::uint64_t m_next = 0; // sequence number of the next message to send
    std::uint64_t m_sentUpTo = 0; // frames from the start to the end of the last cycle that sent
    std::array<std::uint64_t, 3> m_sentOfKind {};
    std::uint64_t m_late = 0;
    std::uint64_t m_fullCycles = 0;
    std::uint64_t m_busiestCycle = 0;
    double m_clockWanderUs = 0;
};
