#include "LoopbackBackend.h"

#include "PortError.h"

#include <algorithm>

class LoopbackBackend::Input : public InputConnection
{
public:
    Input(LoopbackBackend &loopback, InputSink &sink)
        : m_loopback(loopback)
        , m_sink(sink)
    { }
    ~Input() override { m_loopback.detach(&m_sink); }

private:
    LoopbackBackend &m_loopback;
    InputSink &m_sink;
};

class LoopbackBackend::Output : public OutputConnection
{
public:
    explicit Output(LoopbackBackend &loopback)
        : m_loopback(loopback)
    { }
    void send(std::span<const std::uint8_t> bytes) override { m_loopback.deliver(bytes); }

private:
    LoopbackBackend &m_loopback;
};

QStringList LoopbackBackend::portNames(PortDirection)
{
    return {DeviceName};
}

std::unique_ptr<InputConnection> LoopbackBackend::openInput(const QString &name, InputSink &sink)
{
    requireKnownName(name);
    std::lock_guard lock(m_mutex);
    m_sinks.push_back(&sink);
    return std::make_unique<Input>(*this, sink);
}

std::unique_ptr<OutputConnection> LoopbackBackend::openOutput(const QString &name)
{
    requireKnownName(name);
    return std::make_unique<Output>(*this);
}

void LoopbackBackend::deliver(std::span<const std::uint8_t> bytes)
{
    const InputSink::Clock::time_point arrival = InputSink::Clock::now();
    // Holding the lock while delivering keeps a closing input from being called afterwards.
    std::lock_guard lock(m_mutex);
    for (InputSink *sink : m_sinks)
        sink->receive(bytes, arrival);
}

void LoopbackBackend::detach(InputSink *sink)
{
    std::lock_guard lock(m_mutex);
    m_sinks.erase(std::remove(m_sinks.begin(), m_sinks.end(), sink), m_sinks.end());
}

void LoopbackBackend::requireKnownName(const QString &name)
{
    if (name != DeviceName)
        throw PortError(QStringLiteral("There is no MIDI device named \"%1\".").arg(name));
}
