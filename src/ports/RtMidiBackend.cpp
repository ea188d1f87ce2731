#include "RtMidiBackend.h"

#include "PortError.h"

#include <QFileInfo>
#include <jack/jack.h>
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

void ignoreJackMessage(const char *) { }

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

class RtInput : public InputConnection
{
public:
    RtInput(RtMidi::Api api, const QString &name, InputSink &sink)
        : m_port(api, ClientName)
        , m_sink(sink)
    {
        m_trap.attach(m_port);
        // Without this, SysEx, clock and active sensing never arrive.
        m_port.ignoreTypes(false, false, false);
        // The callback, not polling: polling keeps only a small queue and reports overflow
        // on stderr alone.
        m_port.setCallback(&RtInput::onMessage, this);
        m_port.openPort(portNumber(m_port, name), "MIDI In");
        m_trap.throwIfReported(QStringLiteral("Cannot open MIDI input \"%1\"").arg(name));
    }
    ~RtInput() override
    {
        m_port.closePort();
        m_port.cancelCallback();
    }

private:
    // Runs on RtMidi's thread.
    static void onMessage(double, std::vector<unsigned char> *message, void *self)
    {
        static_cast<RtInput *>(self)->m_sink.receive(*message);
    }

    ErrorTrap m_trap; // outlives the port, which may still report while closing
    RtMidiIn m_port;
    InputSink &m_sink;
};

class RtOutput : public OutputConnection
{
public:
    RtOutput(RtMidi::Api api, const QString &name)
        : m_port(api, ClientName)
        , m_largestMessage(largestMessage(api))
    {
        m_trap.attach(m_port);
        m_port.openPort(portNumber(m_port, name), "MIDI Out");
        m_trap.throwIfReported(QStringLiteral("Cannot open MIDI output \"%1\"").arg(name));
    }
    ~RtOutput() override { m_port.closePort(); }

    void send(std::span<const std::uint8_t> bytes) override
    {
        if (bytes.size() > m_largestMessage)
            throw PortError(QStringLiteral("Cannot send the MIDI message: its %1 bytes are more "
                                           "than this output can carry at once (%2).")
                                .arg(bytes.size())
                                .arg(m_largestMessage));
        try {
            m_port.sendMessage(bytes.data(), bytes.size());
        } catch (const RtMidiError &error) {
            throw PortError(QStringLiteral("Cannot send the MIDI message: %1")
                                .arg(QString::fromStdString(error.getMessage())));
        }
        m_trap.throwIfReported(QStringLiteral("Cannot send the MIDI message"));
    }

private:
    // RtMidi's JACK output passes messages through a 16 KiB ring buffer, each behind a
    // 4-byte length, and drops a message that does not fit without a word.
    static std::size_t largestMessage(RtMidi::Api api)
    {
        constexpr std::size_t jackRingBufferSpace = 16384 - 1;
        return api == RtMidi::UNIX_JACK ? jackRingBufferSpace - sizeof(int) : SIZE_MAX;
    }

    ErrorTrap m_trap; // outlives the port, which may still report while closing
    RtMidiOut m_port;
    std::size_t m_largestMessage;
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

std::vector<std::unique_ptr<PortBackend>> RtMidiBackend::createAvailable()
{
    std::vector<RtMidi::Api> apis;
    RtMidi::getCompiledApi(apis);
    std::vector<std::unique_ptr<PortBackend>> backends;
    for (RtMidi::Api api : apis) {
        if (api == RtMidi::RTMIDI_DUMMY)
            continue;
        // Without a sequencer device the ALSA library prints its complaint before RtMidi
        // can throw; a machine without one simply has no ALSA ports.
        if (api == RtMidi::LINUX_ALSA && !QFileInfo::exists(QStringLiteral("/dev/snd/seq")))
            continue;
        // RtMidi's JACK clients start without a server but list nothing, and the JACK
        // library complains on stderr at every attempt: look for a server first.
        if (api == RtMidi::UNIX_JACK && !jackServerRuns())
            continue;
        try {
            backends.push_back(
                std::unique_ptr<PortBackend>(new RtMidiBackend(std::make_unique<Clients>(api))));
        } catch (const RtMidiError &) {
            // The API is compiled in but cannot start here (no ALSA sequencer, say).
        }
    }
    return backends;
}

bool RtMidiBackend::jackServerRuns()
{
    jack_set_error_function(ignoreJackMessage);
    jack_set_info_function(ignoreJackMessage);
    jack_status_t status;
    jack_client_t *probe = jack_client_open("Lumetra probe", JackNoStartServer, &status);
    if (!probe)
        return false;
    jack_client_close(probe);
    return true;
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
    return direction == PortDirection::Input ? listPorts(m_clients->input)
                                             : listPorts(m_clients->output);
}

std::unique_ptr<InputConnection> RtMidiBackend::openInput(const QString &name, InputSink &sink)
{
    try {
        return std::make_unique<RtInput>(m_clients->api, name, sink);
    } catch (const RtMidiError &error) {
        throw PortError(QStringLiteral("Cannot open MIDI input \"%1\": %2")
                            .arg(name, QString::fromStdString(error.getMessage())));
    }
}

std::unique_ptr<OutputConnection> RtMidiBackend::openOutput(const QString &name)
{
    try {
        return std::make_unique<RtOutput>(m_clients->api, name);
    } catch (const RtMidiError &error) {
        throw PortError(QStringLiteral("Cannot open MIDI output \"%1\": %2")
                            .arg(name, QString::fromStdString(error.getMessage())));
    }
}
