#include "JackPeer.h"

#include "midi/MidiMessage.h"

#include <QTest>
#include <cerrno>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>

JackPeer::JackPeer(const char *name)
{
    jack_status_t status;
    m_client = jack_client_open(name, JackNoStartServer, &status);
    if (!m_client)
        throw std::runtime_error("the peer cannot reach a JACK server");
    jack_set_process_callback(m_client, &JackPeer::process, this);
    jack_set_xrun_callback(m_client, &JackPeer::countXrun, this);
    jack_activate(m_client);
}

JackPeer::~JackPeer()
{
    jack_client_close(m_client);
}

void JackPeer::addPort(const QString &name, bool sends)
{
    jack_port_t *port = jack_port_register(m_client, name.toLocal8Bit().constData(),
        JACK_DEFAULT_MIDI_TYPE, sends ? JackPortIsOutput : JackPortIsInput, 0);
    std::lock_guard lock(m_mutex);
    m_ports.push_back(std::make_unique<Port>(Port {name, port, sends, {}}));
}

void JackPeer::removePort(const QString &name)
{
    std::unique_ptr<Port> gone;
    {
        std::lock_guard lock(m_mutex);
        const auto it = std::ranges::find(m_ports, name, [](const auto &p) { return p->name; });
        gone = std::move(*it);
        m_ports.erase(it);
    }
    jack_port_unregister(m_client, gone->port);
}

QString JackPeer::fullName(const QString &port) const
{
    return QString::fromLocal8Bit(jack_get_client_name(m_client)) + u':' + port;
}

// On PipeWire a port that another client has just made reaches this client's graph a moment
// later, and a connection to a port it does not know yet fails.
void JackPeer::connect(const QString &from, const QString &to)
{
    const bool known = QTest::qWaitFor(
        [&] {
            return jack_port_by_name(m_client, from.toLocal8Bit())
                && jack_port_by_name(m_client, to.toLocal8Bit());
        },
        5000);
    EXPECT_TRUE(known && tryConnect(from, to))
        << "the peer could not connect " << from.toStdString() << " to " << to.toStdString();
}

bool JackPeer::tryConnect(const QString &from, const QString &to)
{
    const int result
        = jack_connect(m_client, from.toLocal8Bit().constData(), to.toLocal8Bit().constData());
    return result == 0 || result == EEXIST;
}

void JackPeer::disconnect(const QString &from, const QString &to)
{
    jack_disconnect(m_client, from.toLocal8Bit().constData(), to.toLocal8Bit().constData());
}

QStringList JackPeer::lumetraPorts(const QString &port) const
{
    QStringList names;
    const char **ports = jack_get_ports(m_client, nullptr, JACK_DEFAULT_MIDI_TYPE, 0);
    for (const char **name = ports; name && *name; ++name) {
        const QString full = QString::fromLocal8Bit(*name);
        if (full.startsWith(QLatin1String("Lumetra")) && full.endsWith(u':' + port))
            names << full;
    }
    jack_free(ports);
    return names;
}

bool JackPeer::isConnected(const QString &port, int connections) const
{
    jack_port_t *own = jack_port_by_name(m_client, fullName(port).toLocal8Bit().constData());
    return own && jack_port_connected(own) >= connections;
}

bool JackPeer::connectedWithin(const QString &port, int milliseconds, int connections)
{
    if (!QTest::qWaitFor([&] { return isConnected(port, connections); }, milliseconds))
        return false;
    const std::uint64_t seenIn = m_cycles.load();
    return QTest::qWaitFor([&] { return m_cycles.load() > seenIn + 1; }, milliseconds);
}

void JackPeer::send(const QString &port, const Bytes &message)
{
    std::lock_guard lock(m_mutex);
    for (auto &p : m_ports)
        if (p->name == port)
            p->outgoing.push_back(message);
}

std::vector<JackPeer::Bytes> JackPeer::received()
{
    std::lock_guard lock(m_mutex);
    return m_received;
}

std::size_t JackPeer::receivedCount()
{
    std::lock_guard lock(m_mutex);
    return m_received.size();
}

std::vector<JackPeer::Bytes> JackPeer::notWhole()
{
    std::lock_guard lock(m_mutex);
    return m_notWhole;
}

// A test's peer may lock in its process callback: it is no instrument on a stage.
int JackPeer::process(jack_nframes_t frames, void *self)
{
    auto *peer = static_cast<JackPeer *>(self);
    ++peer->m_cycles;
    std::this_thread::sleep_for(std::chrono::milliseconds(peer->m_stall.exchange(0)));
    std::lock_guard lock(peer->m_mutex);
    for (auto &port : peer->m_ports) {
        void *buffer = jack_port_get_buffer(port->port, frames);
        if (port->sends) {
            jack_midi_clear_buffer(buffer);
            for (const Bytes &message : port->outgoing)
                jack_midi_event_write(buffer, 0, message.data(), message.size());
            port->outgoing.clear();
            continue;
        }
        peer->m_lostEvents += jack_midi_get_lost_event_count(buffer);
        for (std::uint32_t i = 0; i < jack_midi_get_event_count(buffer); ++i) {
            jack_midi_event_t event;
            if (jack_midi_event_get(&event, buffer, i) != 0)
                continue;
            const Bytes bytes(event.buffer, event.buffer + event.size);
            if (!isWholeMessage(bytes))
                peer->m_notWhole.push_back(bytes);
            peer->m_received.push_back(bytes);
        }
    }
    return 0;
}

int JackPeer::countXrun(void *self)
{
    ++static_cast<JackPeer *>(self)->m_xruns;
    return 0;
}
