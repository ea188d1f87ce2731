#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <span>

enum class PortDirection : std::uint8_t { Input, Output };

// Receives the bytes an open input delivers, one message or one SysEx piece per call.
// Called on the backend's own thread (or the sender's, for the loopback device).
class InputSink
{
public:
    virtual ~InputSink() = default;
    virtual void receive(std::span<const std::uint8_t> bytes) = 0;
};

// An open input port; it is closed when destroyed, and after that never calls its sink again.
class InputConnection
{
public:
    virtual ~InputConnection() = default;
};

// An open output port; it is closed when destroyed.
class OutputConnection
{
public:
    virtual ~OutputConnection() = default;
    // Throws PortError when the message could not be handed to the device whole.
    virtual void send(std::span<const std::uint8_t> bytes) = 0;
};

// One source of MIDI ports: an RtMidi API, the loopback device, or a scripted test double.
// Ports are opened by name so that a port list that changed since it was read cannot
// open the wrong device. open* throw PortError.
class PortBackend
{
public:
    virtual ~PortBackend() = default;
    // Shown in front of the port names when several backends list ports ("JACK").
    virtual QString label() const = 0;
    virtual QStringList portNames(PortDirection direction) = 0;
    virtual std::unique_ptr<InputConnection> openInput(const QString &name, InputSink &sink) = 0;
    virtual std::unique_ptr<OutputConnection> openOutput(const QString &name) = 0;
};
