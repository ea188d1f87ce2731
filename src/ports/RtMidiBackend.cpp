#include "RtMidiBackend.h"

#include "PortError.h"
#include "SequencerClock.h"

#include <QFileInfo>
#include <rtmidi/RtMidi.h>

namespace {

const std::string ClientName = "Lumetra";

// RtMidi reports through this callback instead of throwing or printing once it is set.
// Warnings matter too: a JACK output whose ring buffer cannot take a message only warns,
// and drops the message.
class ErrorTrap
{
public:
    void attach(RtMidi &port) { port.setErrorCallback(&ErrorTrap::record, this); }

    // Throws the first problem reported since the last call, in the words of `action`.
    void throwIfReported(const QString &action)
    {
        if (m_reported.empty())
            return;
        const QString reason = QString::fromStdString(m_reported);
        m_reported.clear();
        throw PortError(QStringLiteral("%1: %2").arg(action, reason));
    }

private:
    static void record(RtMidiError::Type type, const std::string &text, void *self)
    {
        auto *trap = static_cast<ErrorTrap *>(self);
        if (type != RtMidiError::DEBUG_WARNING && trap->m_reported.empty())
            trap->m_reported = text;
    }

    std::string m_reported;
};

template<typename Port>
QStringList listPorts(Port &port)
{
    QStringList names;
    const unsigned count = port.getPortCount();
    for (unsigned i = 0; i < count; ++i)
        names << QString::fromStdString(port.getPortName(i));
    return names;
}

template<typename Port>
unsigned portNumber(Port &port, const QString &name)
{
    const qsizetype index = listPorts(port).indexOf(name);
    if (index < 0)
        throw PortError(QStringLiteral("The MIDI device \"%1\" is no longer there.").arg(name));
    return static_cast<unsigned>(index);
}

// `name` is another program's port, or with `own` the name of a port of ours.
class RtInput : public InputConnection
{
public:
    RtInput(RtMidi::Api api, const QString &name, InputSink &sink, bool own = false)
        : m_port(api, ClientName)
        , m_sink(sink)
    {
        m_trap.attach(m_port);
        // Without this, SysEx, clock and active sensing never arrive.
        m_port.ignoreTypes(false, false, false);
        // The callback, not polling: polling keeps only a small queue and reports overflow
        // on stderr alone.
        m_port.setCallback(&RtInput::onMessage, this);
        if (own)
            m_port.openVirtualPort(name.toStdString());
        else
            m_port.openPort(portNumber(m_port, name), "MIDI In");
        m_trap.throwIfReported(QStringLiteral("Cannot open MIDI input \"%1\"").arg(name));
    }
    ~RtInput() override
    {
        m_port.closePort();
        m_port.cancelCallback();
    }

private:
    // Runs on RtMidi's thread. The ALSA sequencer's stamps could not be watched on the
    // machine this was written on, which has no sequencer device: SequencerClock's rules are
    // tested on their own, and keep every stamp within its bounds around the arrival.
    static void onMessage(double sincePrevious, std::vector<unsigned char> *message, void *self)
    {
        auto *input = static_cast<RtInput *>(self);
        const bool sysEx = !message->empty() && message->front() == 0xF0;
        input->m_sink.receive(
            *message, input->m_clock.stamp(sincePrevious, sysEx, InputSink::Clock::now()));
    }

    ErrorTrap m_trap; // outlives the port, which may still report while closing
    RtMidiIn m_port;
    InputSink &m_sink;
    SequencerClock m_clock; // RtMidi's thread's own
};

class RtOutput : public OutputConnection
{
public:
    RtOutput(RtMidi::Api api, const QString &name, bool own = false)
        : m_port(api, ClientName)
    {
        m_trap.attach(m_port);
        if (own)
            m_port.openVirtualPort(name.toStdString());
        else
            m_port.openPort(portNumber(m_port, name), "MIDI Out");
        m_trap.throwIfReported(QStringLiteral("Cannot open MIDI output \"%1\"").arg(name));
    }
    ~RtOutput() override { m_port.closePort(); }

    void send(std::span<const std::uint8_t> bytes) override
    {
        try {
            m_port.sendMessage(bytes.data(), bytes.size());
        } catch (const RtMidiError &error) {
            throw PortError(QStringLiteral("Cannot send the MIDI message: %1")
                                .arg(QString::fromStdString(error.getMessage())));
        }
        m_trap.throwIfReported(QStringLiteral("Cannot send the MIDI message"));
    }

private:
    ErrorTrap m_trap; // outlives the port, which may still report while closing
    RtMidiOut m_port;
};

} // namespace

// The clients that list ports; each open port has a client of its own.
struct RtMidiBackend::Clients
{
    RtMidi::Api api;
    ErrorTrap trap;
    RtMidiIn input;
    RtMidiOut output;

    explicit Clients(RtMidi::Api api)
        : api(api)
        , input(api, ClientName + " list")
        , output(api, ClientName + " list")
    {
        trap.attach(input);
        trap.attach(output);
    }
};

std::vector<std::unique_ptr<RtMidiBackend>> RtMidiBackend::createAvailable()
{
    std::vector<RtMidi::Api> apis;
    RtMidi::getCompiledApi(apis);
    std::vector<std::unique_ptr<RtMidiBackend>> backends;
    for (RtMidi::Api api : apis) {
        // JACK has a backend of our own: RtMidi's holds back every message after a SysEx
        // that lacks its F7, and its output spins when its buffer is full.
        if (api == RtMidi::RTMIDI_DUMMY || api == RtMidi::UNIX_JACK)
            continue;
        // Without a sequencer device the ALSA library prints its complaint before RtMidi
        // can throw; a machine without one simply has no ALSA ports.
        if (api == RtMidi::LINUX_ALSA && !QFileInfo::exists(QStringLiteral("/dev/snd/seq")))
            continue;
        try {
            backends.push_back(
                std::unique_ptr<RtMidiBackend>(new RtMidiBackend(std::make_unique<Clients>(api))));
        } catch (const RtMidiError &) {
            // The API is compiled in but cannot start here.
        }
    }
    return backends;
}

QString RtMidiBackend::libraryVersion()
{
    return QString::fromStdString(RtMidi::getVersion());
}

RtMidiBackend::RtMidiBackend(std::unique_ptr<Clients> clients)
    : m_clients(std::move(clients))
{ }

RtMidiBackend::~RtMidiBackend() = default;

QString RtMidiBackend::label() const
{
    switch (m_clients->api) {
    case RtMidi::LINUX_ALSA:
        return QStringLiteral("ALSA");
    case RtMidi::UNIX_JACK:
        return QStringLiteral("JACK");
    default:
        return QString::fromStdString(RtMidi::getApiDisplayName(m_clients->api));
    }
}

QStringList RtMidiBackend::portNames(PortDirection direction)
{
    QStringList names = direction == PortDirection::Input ? listPorts(m_clients->input)
                                                          : listPorts(m_clients->output);
    // Lumetra's own ports are not other programs' devices: choosing one would feed Lumetra
    // its own output.
    names.removeIf([](const QString &name) { return name.startsWith(QLatin1String("Lumetra:")); });
    return names;
}

namespace {

template<typename Open>
auto opening(const char *kind, const QString &name, Open open)
{
    try {
        return open();
    } catch (const RtMidiError &error) {
        throw PortError(
            QStringLiteral("Cannot open MIDI %1 \"%2\": %3")
                .arg(QLatin1String(kind), name, QString::fromStdString(error.getMessage())));
    }
}

} // namespace

std::unique_ptr<InputConnection> RtMidiBackend::openInput(const QString &name, InputSink &sink)
{
    return opening("input", name, [&]() -> std::unique_ptr<InputConnection> {
        return std::make_unique<RtInput>(m_clients->api, name, sink);
    });
}

std::unique_ptr<OutputConnection> RtMidiBackend::openOutput(const QString &name)
{
    return opening("output", name, [&]() -> std::unique_ptr<OutputConnection> {
        return std::make_unique<RtOutput>(m_clients->api, name);
    });
}

std::unique_ptr<InputConnection> RtMidiBackend::openOwnInput(const QString &name, InputSink &sink)
{
    return opening("input", name, [&]() -> std::unique_ptr<InputConnection> {
        return std::make_unique<RtInput>(m_clients->api, name, sink, true);
    });
}

std::unique_ptr<OutputConnection> RtMidiBackend::openOwnOutput(const QString &name)
{
    return opening("output", name, [&]() -> std::unique_ptr<OutputConnection> {
        return std::make_unique<RtOutput>(m_clients->api, name, true);
    });
}
