#pragma once

#include "PortBackend.h"

#include <QStringList>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <jack/ringbuffer.h>
#include <jack/types.h>
#include <memory>
#include <mutex>
#include <optional>
#include <semaphore.h>
#include <span>
#include <thread>
#include <vector>

// One connection to a JACK server, alive until the server goes; then it is closed at once
// (the JACK library crashes when a dead client is closed after a new one was opened) and a
// new one takes its place when the server returns.
//
// Threads: JACK's process thread moves MIDI between the ports and lock-free rings and never
// blocks; a reader thread of our own hands what came in to the inputs' sinks; a releaser
// thread unregisters the ports that were closed; every other call comes from one thread at a
// time (the UI thread) or the backend's watcher.
class JackClient
{
public:
    using Changed = std::function<void()>;

    // Nullptr when no server answers. `changed` is called, from the JACK library's threads,
    // when ports come or go and when the server shuts down; `connected` when a connection is
    // made or broken. Neither may block nor take a lock: closing a client cancels those
    // threads wherever they are.
    static std::shared_ptr<JackClient> open(
        const char *name, Changed changed, Changed connected = {});
    // The version of the JACK library the program runs with; no server needs to answer.
    static QString libraryVersion();
    ~JackClient();
    JackClient(const JackClient &) = delete;
    JackClient &operator=(const JackClient &) = delete;

    bool isAlive() const { return m_alive.load(std::memory_order_acquire); }
    // Lets go of a client whose server went away; nothing touches JACK for it afterwards.
    void closeIfDead();

    // Full names ("client:port") of other clients' MIDI ports: sources when `sources`.
    QStringList otherPorts(bool sources) const;
    // Full names of other clients' ports connected to the port of that full name: what
    // feeds another program's input.
    QStringList otherPortsConnectedTo(const QString &port) const;

    // A port of our own named `portName` (made unique), and `peer` (a full port name)
    // connected to it unless empty. Returns its slot. Throws PortError.
    int addInput(InputSink &sink, const QString &portName, const QString &peer);
    int addOutput(const QString &portName, const QString &peer);
    // Messages of that output that wait for the process thread to hand them to the server;
    // once the server is gone, those it never took.
    std::uint64_t pending(int index) const;
    void remove(int slot);
    // False once the client is gone, or a port made for a peer is no longer connected to it:
    // the peer went, and what came back under its name is another port.
    bool isConnected(int slot) const;
    // Queues a message for the next cycle; throws PortError when the client or the port's
    // room is gone: never waits.
    void send(int slot, std::span<const std::uint8_t> message);
    std::size_t largestMessage() const { return m_largestMessage; }
    // See OutputConnection::timeWriting; once an output, before its first message.
    void timeWriting(int slot);
    std::optional<OutputConnection::Written> nextWritten(int slot);

private:
    struct Slot;
    enum SlotState : int { Free, Active, Retiring, Retired };
    // A studio's worth of inputs watched at once, and Lumetra's own ports beside them.
    static constexpr std::size_t SlotCount = 256;

    JackClient(jack_client_t *client, Changed changed, Changed connected);
    int addSlot(InputSink *sink, const QString &portName, const QString &peer);
    void connectPeer(Slot &slot, const QString &peer);
    void waitForRetirement(Slot &slot) const;
    void waitForCycleAfter(std::uint64_t cycle) const;
    void stopReading(Slot &slot);
    void queueRelease(int index);
    void releaseSlot(Slot &slot);
    QString uniquePortName(const QString &wanted) const;
    // The names in a list the library gave that are not our own ports; frees the list.
    QStringList othersAmong(const char **ports) const;
    void stopReader();

    static int process(jack_nframes_t frames, void *self);
    static void shutDown(jack_status_t code, const char *reason, void *self);
    static void portRegistered(jack_port_id_t port, int registered, void *self);
    static void clientRegistered(const char *name, int registered, void *self);
    static void portRenamed(jack_port_id_t port, const char *, const char *, void *self);
    static void portConnected(jack_port_id_t a, jack_port_id_t b, int connected, void *self);
    void takeBrokenConnections() const; // under m_apiMutex
    static int xrun(void *self);
    void receiveInputs(jack_nframes_t frames, Slot &slot);
    void sendOutputs(jack_nframes_t frames, Slot &slot);
    // Moves what waits in the slot's ring into the cycle's buffer; returns how many messages.
    std::uint32_t writeQueued(void *buffer, Slot &slot);
    void readLoop();
    void releaseLoop();
    void stopReleaser();
    void deliver(Slot &slot, std::vector<std::uint8_t> &buffer);
    std::chrono::microseconds readClockOffset();

    jack_client_t *m_client;
    Changed m_changed;
    Changed m_connected;
    std::atomic<bool> m_alive {true};
    std::size_t m_largestMessage = 0;
    mutable std::mutex m_apiMutex; // JACK calls outside the process thread, and closing
    std::array<std::unique_ptr<Slot>, SlotCount> m_slots;
    // Connections the server said were broken, until isConnected reads them.
    mutable std::mutex m_brokenMutex;
    mutable std::vector<std::pair<jack_port_id_t, jack_port_id_t>> m_broken;
    mutable bool m_brokenOverflowed = false;
    static constexpr std::size_t MostBrokenNoted = 4096;

    // Unregistering a port waits for the server: a thread of ours does it, so that a server
    // that does not answer never holds the thread that closed the port.
    std::mutex m_releaseMutex; // guards m_toRelease and m_releaseStop
    std::condition_variable m_releaseWake;
    std::vector<int> m_toRelease;
    bool m_releaseStop = false;
    // Held for every call that waits on the server (making, connecting and unregistering a
    // port, closing), one at a time, since the library may not take them side by side.
    std::mutex m_serverMutex;
    std::thread m_releaser;

    std::mutex m_readerMutex; // held while the reader hands bytes to a sink
    // JACK's clock minus the steady clock, in µs, as last read well (see readClockOffset).
    std::atomic<std::int64_t> m_jackMinusSteadyUs {0};
    std::atomic<bool> m_clockOffsetKnown {false};
    std::atomic<bool> m_clockOffsetGood {false}; // read once without a preemption
    sem_t m_readerWake; // posted by the process thread: a semaphore never blocks it
    std::atomic<bool> m_readerStop {false};
    std::atomic<std::uint64_t> m_xruns {0}; // counted by JACK's thread, told by the reader
    std::atomic<std::uint64_t> m_cycles {0}; // counted by the process thread
    std::thread m_reader;
};
