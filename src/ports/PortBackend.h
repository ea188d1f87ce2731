#pragma once

#include "midi/UmpPacket.h"

#include <QString>
#include <QStringList>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>

enum class PortDirection : std::uint8_t { Input, Output };

// Receives the bytes an open input delivers, one message or one SysEx piece per call, with
// the moment they arrived. Called on the backend's own thread (or the sender's, for the
// loopback device), one call at a time.
class InputSink
{
public:
    using Clock = std::chrono::steady_clock;

    virtual ~InputSink() = default;
    virtual void receive(std::span<const std::uint8_t> bytes, Clock::time_point arrival) = 0;
    // One Universal MIDI Packet whole, from a port of UMP.
    virtual void receiveUmp(const Ump::Packet &packet, Clock::time_point arrival) = 0;
    // Messages the backend could not take in (its buffer was full).
    virtual void lost(std::uint64_t messages) = 0;
    // Cycles in which the backend's system ran late (JACK's xruns): messages may have been
    // lost there that nobody could count.
    virtual void missedCycles(std::uint64_t cycles) = 0;
};

// An open input port; it is closed when destroyed, and after that never calls its sink again.
class InputConnection
{
public:
    virtual ~InputConnection() = default;
    // False once the device (or its whole system, a JACK server) has gone.
    virtual bool isAlive() const { return true; }
};

// An open output port; it is closed when destroyed.
class OutputConnection
{
public:
    virtual ~OutputConnection() = default;
    virtual bool isAlive() const { return true; }
    // Throws PortError when the message could not be handed to the device whole. Never
    // waits for the device.
    virtual void send(std::span<const std::uint8_t> bytes) = 0;
    // Messages handed over that still wait to go out: a port closed now loses them.
    virtual std::uint64_t pending() const { return 0; }

    // When the messages handed over went out, for a caller that measures a path: by `at`,
    // the first `count` messages sent since timeWriting() had been written to the wire.
    struct Written
    {
        std::uint64_t count;
        std::chrono::steady_clock::time_point at;
    };
    // False for a port that hands each message on as it is sent, so that the moment of
    // sending stands; a JACK port writes it at the start of a later cycle and tells when.
    // Once timed, a port holds back what it has yet to write rather than lose track of it,
    // so the caller must read nextWritten() as it sends.
    virtual bool timeWriting() { return false; }
    // The oldest report not yet read, in order; nothing when there is none.
    virtual std::optional<Written> nextWritten() { return std::nullopt; }
};

// One source of MIDI ports: JACK, the ALSA sequencer through RtMidi, the loopback device,
// Lumetra's own virtual ports, or a scripted test double. Ports are opened by name so that a
// port list that changed since it was read cannot open the wrong device. open* throw
// PortError.
class PortBackend
{
public:
    virtual ~PortBackend() = default;
    // Called from any thread when the backend's ports may have changed; a backend may start
    // telling before the listener is set, hence the lock.
    void setChangeListener(std::function<void()> listener)
    {
        std::lock_guard lock(m_listenerMutex);
        m_changed = std::move(listener);
    }
    // Called from any thread when a connection between other programs' ports may have been
    // made or broken (see feedersOf).
    void setConnectionListener(std::function<void()> listener)
    {
        std::lock_guard lock(m_listenerMutex);
        m_connected = std::move(listener);
    }
    // A backend that cannot tell when its ports change is looked at now and then instead.
    virtual bool announcesChanges() const { return true; }
    // The user asks for a fresh look: a backend that waits for its system looks now.
    virtual void lookNow() { }
    // Shown in front of the port names when several backends list ports ("JACK").
    virtual QString label() const = 0;
    // Why the backend lists fewer ports than its system may have, while that lasts; empty
    // when nothing is amiss.
    virtual QString notice() const { return {}; }
    virtual QStringList portNames(PortDirection direction) = 0;
    // Whether the inputs of other programs can be tapped: an input of ours opened on every
    // output that feeds one, which feedersOf names.
    virtual bool tapsPorts() const { return false; }
    // The outputs that feed the input `portName` (as portNames(Output) names it) now, named
    // as portNames(Input) names them; none when it is not there.
    virtual QStringList feedersOf(const QString & /*portName*/) { return {}; }
    virtual std::unique_ptr<InputConnection> openInput(const QString &name, InputSink &sink) = 0;
    virtual std::unique_ptr<OutputConnection> openOutput(const QString &name) = 0;

protected:
    void announceChange() const
    {
        std::lock_guard lock(m_listenerMutex);
        if (m_changed)
            m_changed();
    }
    void announceConnectionChange() const
    {
        std::lock_guard lock(m_listenerMutex);
        if (m_connected)
            m_connected();
    }

private:
    mutable std::mutex m_listenerMutex;
    std::function<void()> m_changed;
    std::function<void()> m_connected;
};
