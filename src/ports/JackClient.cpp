#include "JackClient.h"

#include "PortError.h"
#include "UmpInputSink.h"
#include "midi/Hex.h"
#include "midi/MidiMessage.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>
#include <memory>
#include <utility>

namespace {

constexpr std::size_t InputRingBytes = std::size_t(4) << 20;
constexpr std::size_t OutputRingBytes = std::size_t(1) << 20;
// Four thousand cycles of a timed output's reports: far more than its reader lets pile up.
constexpr std::size_t WrittenRingBytes = std::size_t(64) << 10;

// What the rings carry in front of each message's bytes.
struct RecordHeader
{
    std::uint32_t size;
    // JACK's clock at the message's frame: the cycle's first frame plus the event's offset,
    // so that the stamp tells where the message lies in the cycle, not when the cycle ran.
    std::int64_t microseconds;
};

void ignoreJackMessage(const char *) { }

// The bytes as a person reads them, the first few of a long run.
QString quoted(std::span<const std::uint8_t> bytes)
{
    constexpr std::size_t Shown = 16;
    std::string text;
    Hex::appendBytes(text, bytes.first(std::min(bytes.size(), Shown)), Hex::Case::Upper);
    return QString::fromLatin1(text).trimmed()
        + (bytes.size() > Shown ? QStringLiteral(" ...") : QString());
}

// PipeWire's JACK library, from 1.3.81 on, offers ports of UMP: MIDI ports flagged so, whose
// events are whole UMP packets. A port of ours flagged so is given UMP. The JACK library of
// Debian 12 has no such flag, and neither its server nor PipeWire 0.3.65 offers such ports,
// so this cannot run here: it is written from PipeWire's documentation. The flag's value is
// also JACK2's JackPortIsCV, which only ports of audio type carry. What such a port hands
// over is kept packet by packet as UMP (UmpInputSink); here only tests feed that path.
constexpr unsigned long UmpPortFlag = 0x20;

bool isUmpPort(jack_client_t *client, const QString &name)
{
    const jack_port_t *port = jack_port_by_name(client, name.toLocal8Bit().constData());
    return port && (jack_port_flags(port) & UmpPortFlag) != 0
        && std::strcmp(jack_port_type(port), JACK_DEFAULT_MIDI_TYPE) == 0;
}

} // namespace

struct JackClient::Slot
{
    std::atomic<int> state {Free};
    jack_port_t *port = nullptr;
    jack_ringbuffer_t *ring = nullptr;
    InputSink *sink = nullptr; // inputs only
    // An input from a port of UMP: what `sink` points to, which hands on whole packets.
    std::unique_ptr<UmpInputSink> umpSink;
    QByteArray peer; // the full name of the port it was connected to, if any
    // Which port of that name: one that comes back under the name at once is another port,
    // and PipeWire's library may still show it connected to us.
    jack_uuid_t peerId = 0;
    // The client's copy of the graph shows a connection some time after jack_connect
    // returned: until it does, a missing connection is one still on its way, unless the
    // server said it was broken (jackd gives a port that returns under its name at once
    // the id and uuid of the one that went, and with it our connection).
    mutable bool connectionSeen = false; // guarded by m_apiMutex
    mutable bool connectionBroken = false; // guarded by m_apiMutex
    std::atomic<std::uint64_t> lost {0};
    // A timed output (see timeWriting): one report a cycle that wrote, in the ring.
    jack_ringbuffer_t *written = nullptr;
    std::atomic<bool> timed {false};
    std::uint64_t writtenCount = 0; // the process thread's own once timed
    // Outputs: messages put in the ring (by the UI thread), and taken from it into JACK's
    // buffer (by the process thread).
    std::atomic<std::uint64_t> queued {0};
    std::atomic<std::uint64_t> handedOver {0};
    // The process thread's cycle in which the output last wrote: PipeWire lets go of what a
    // port closed in the very next cycle held, unread by the peer, so closing waits a cycle.
    std::atomic<std::uint64_t> lastWriteCycle {0};
};

std::shared_ptr<JackClient> JackClient::open(const char *name, Changed changed, Changed connected)
{
    // Without a server the library would complain on stderr at every look.
    jack_set_error_function(ignoreJackMessage);
    jack_set_info_function(ignoreJackMessage);
    jack_status_t status;
    jack_client_t *client = jack_client_open(name, JackNoStartServer, &status);
    if (!client)
        return nullptr;
    std::shared_ptr<JackClient> opened(
        new JackClient(client, std::move(changed), std::move(connected)));
    if (jack_activate(client) != 0) {
        opened->m_alive = false;
        opened->closeIfDead();
        return nullptr;
    }
    return opened;
}

QString JackClient::libraryVersion()
{
    return QString::fromLatin1(jack_get_version_string());
}

JackClient::JackClient(jack_client_t *client, Changed changed, Changed connected)
    : m_client(client)
    , m_changed(std::move(changed))
    , m_connected(std::move(connected))
{
    for (auto &slot : m_slots)
        slot = std::make_unique<Slot>();
    m_largestMessage = jack_port_type_get_buffer_size(client, JACK_DEFAULT_MIDI_TYPE) - 64;
    sem_init(&m_readerWake, 0, 0);
    jack_set_process_callback(client, &JackClient::process, this);
    jack_on_info_shutdown(client, &JackClient::shutDown, this);
    jack_set_port_registration_callback(client, &JackClient::portRegistered, this);
    jack_set_client_registration_callback(client, &JackClient::clientRegistered, this);
    jack_set_port_rename_callback(client, &JackClient::portRenamed, this);
    jack_set_port_connect_callback(client, &JackClient::portConnected, this);
    jack_set_xrun_callback(client, &JackClient::xrun, this);
    m_reader = std::thread(&JackClient::readLoop, this);
    m_releaser = std::thread(&JackClient::releaseLoop, this);
}

JackClient::~JackClient()
{
    stopReleaser();
    stopReader();
    {
        std::lock_guard serving(m_serverMutex);
        std::lock_guard lock(m_apiMutex);
        if (m_client)
            jack_client_close(m_client);
    }
    for (auto &slot : m_slots) {
        if (slot->ring)
            jack_ringbuffer_free(slot->ring);
        if (slot->written)
            jack_ringbuffer_free(slot->written);
    }
    sem_destroy(&m_readerWake);
}

void JackClient::stopReader()
{
    if (!m_reader.joinable())
        return;
    m_readerStop = true;
    sem_post(&m_readerWake);
    m_reader.join();
}

void JackClient::stopReleaser()
{
    if (!m_releaser.joinable())
        return;
    {
        std::lock_guard lock(m_releaseMutex);
        m_releaseStop = true;
    }
    m_releaseWake.notify_one();
    m_releaser.join();
}

void JackClient::closeIfDead()
{
    if (isAlive())
        return;
    stopReader();
    jack_client_t *client = nullptr;
    {
        std::lock_guard serving(m_serverMutex);
        std::lock_guard lock(m_apiMutex);
        client = std::exchange(m_client, nullptr);
    }
    // Outside the locks the window's calls take: the library may never return from closing
    // a client whose server died, when one of its threads ended holding a lock of its own.
    if (client)
        jack_client_close(client);
}

QStringList JackClient::otherPorts(bool sources) const
{
    std::lock_guard lock(m_apiMutex);
    if (!m_client || !isAlive())
        return {};
    return othersAmong(jack_get_ports(
        m_client, nullptr, JACK_DEFAULT_MIDI_TYPE, sources ? JackPortIsOutput : JackPortIsInput));
}

QStringList JackClient::otherPortsConnectedTo(const QString &port) const
{
    std::lock_guard lock(m_apiMutex);
    if (!m_client || !isAlive())
        return {};
    const jack_port_t *tapped = jack_port_by_name(m_client, port.toLocal8Bit().constData());
    if (!tapped)
        return {};
    // From the graph the library keeps: no round trip to the server.
    return othersAmong(jack_port_get_all_connections(m_client, tapped));
}

QStringList JackClient::othersAmong(const char **ports) const
{
    const QString own = QString::fromLocal8Bit(jack_get_client_name(m_client)) + u':';
    QStringList names;
    for (const char **port = ports; port && *port; ++port) {
        const QString name = QString::fromLocal8Bit(*port);
        if (!name.startsWith(own))
            names << name;
    }
    jack_free(ports);
    return names;
}

int JackClient::addInput(InputSink &sink, const QString &portName, const QString &peer)
{
    return addSlot(&sink, portName, peer);
}

int JackClient::addOutput(const QString &portName, const QString &peer)
{
    return addSlot(nullptr, portName, peer);
}

int JackClient::addSlot(InputSink *sink, const QString &portName, const QString &peer)
{
    std::lock_guard serving(m_serverMutex);
    std::lock_guard lock(m_apiMutex);
    if (!m_client || !isAlive())
        throw PortError(QStringLiteral("The JACK server has gone."));
    const auto free = std::find_if(m_slots.begin(), m_slots.end(), [](const auto &slot) {
        const int state = slot->state.load(std::memory_order_acquire);
        return state == Free || (state == Retired && !slot->port); // let go of late
    });
    if (free == m_slots.end())
        throw PortError(QStringLiteral("Lumetra has too many JACK ports open."));
    Slot &slot = **free;
    if (slot.ring) // a slot the process thread let go of only after its port was closed
        jack_ringbuffer_free(std::exchange(slot.ring, nullptr));
    const QString name = uniquePortName(portName);
    const bool ump = sink && isUmpPort(m_client, peer);
    slot.umpSink = ump ? std::make_unique<UmpInputSink>(*sink) : nullptr;
    slot.port = jack_port_register(m_client, name.toLocal8Bit().constData(), JACK_DEFAULT_MIDI_TYPE,
        (sink ? JackPortIsInput : JackPortIsOutput) | (ump ? UmpPortFlag : 0), 0);
    if (!slot.port)
        throw PortError(QStringLiteral("JACK would not make the port \"%1\".").arg(name));
    slot.ring = jack_ringbuffer_create(sink ? InputRingBytes : OutputRingBytes);
    slot.sink = ump ? slot.umpSink.get() : sink;
    slot.lost = 0;
    slot.timed = false;
    if (!sink && !slot.written)
        slot.written = jack_ringbuffer_create(WrittenRingBytes);
    if (slot.written) // what an earlier port of the slot left unread
        jack_ringbuffer_reset(slot.written);
    slot.queued = 0;
    slot.handedOver = 0;
    // Read before it is connected: the peer may send in the first cycle after jack_connect,
    // which can run before this thread goes on.
    slot.state.store(Active, std::memory_order_release);
    const int index = int(free - m_slots.begin());
    try {
        connectPeer(slot, peer);
    } catch (const PortError &) {
        stopReading(slot);
        queueRelease(index);
        throw;
    }
    return index;
}

void JackClient::connectPeer(Slot &slot, const QString &peer)
{
    slot.peer = peer.toLocal8Bit();
    slot.connectionSeen = false;
    takeBrokenConnections(); // what the server said of the slot's last connection
    slot.connectionBroken = false;
    if (peer.isEmpty())
        return;
    const QByteArray own = jack_port_name(slot.port);
    const QByteArray &other = slot.peer;
    const jack_port_t *otherPort = jack_port_by_name(m_client, other.constData());
    slot.peerId = otherPort ? jack_port_uuid(otherPort) : 0;
    const bool input = slot.sink != nullptr;
    const int result = input ? jack_connect(m_client, other.constData(), own.constData())
                             : jack_connect(m_client, own.constData(), other.constData());
    if (result != 0 && result != EEXIST)
        throw PortError(QStringLiteral("The JACK port \"%1\" is not there.").arg(peer));
}

QString JackClient::uniquePortName(const QString &wanted) const
{
    const QString client = QString::fromLocal8Bit(jack_get_client_name(m_client));
    QString name = wanted;
    for (int n = 2; jack_port_by_name(m_client, (client + u':' + name).toLocal8Bit().constData());
         ++n)
        name = wanted + u' ' + QString::number(n);
    return name;
}

bool JackClient::isConnected(int index) const
{
    const Slot &slot = *m_slots[std::size_t(index)];
    std::lock_guard lock(m_apiMutex);
    if (!m_client || !isAlive() || !slot.port)
        return false;
    // The library answers from the graph it keeps: no round trip to the server.
    if (slot.peer.isEmpty())
        return true;
    const jack_port_t *peer = jack_port_by_name(m_client, slot.peer.constData());
    if (!peer || jack_port_uuid(peer) != slot.peerId)
        return false;
    if (jack_port_connected_to(slot.port, slot.peer.constData()))
        return slot.connectionSeen = true;
    takeBrokenConnections();
    return !slot.connectionSeen && !slot.connectionBroken;
}

void JackClient::takeBrokenConnections() const
{
    std::vector<std::pair<jack_port_id_t, jack_port_id_t>> broken;
    {
        std::lock_guard lock(m_brokenMutex);
        broken.swap(m_broken);
        if (std::exchange(m_brokenOverflowed, false))
            for (const auto &slot : m_slots)
                slot->connectionBroken = true;
    }
    for (const auto &[a, b] : broken) {
        const jack_port_t *ends[] = {jack_port_by_id(m_client, a), jack_port_by_id(m_client, b)};
        for (const auto &slot : m_slots)
            if (slot->port && std::ranges::find(ends, slot->port) != std::end(ends))
                slot->connectionBroken = true;
    }
}

void JackClient::remove(int index)
{
    Slot &slot = *m_slots[std::size_t(index)];
    if (!slot.sink)
        waitForCycleAfter(slot.lastWriteCycle.load(std::memory_order_acquire));
    stopReading(slot);
    {
        std::lock_guard lock(m_apiMutex);
        waitForRetirement(slot);
        if (slot.sink) {
            std::vector<std::uint8_t> buffer;
            deliver(slot, buffer); // what came in before the port closed still counts
        }
        slot.sink = nullptr;
    }
    queueRelease(index);
}

// From here on the reader leaves the slot alone, and the process thread from its next cycle.
void JackClient::stopReading(Slot &slot)
{
    std::lock_guard reading(m_readerMutex);
    slot.state.store(Retiring, std::memory_order_release);
}

void JackClient::queueRelease(int index)
{
    {
        std::lock_guard lock(m_releaseMutex);
        m_toRelease.push_back(index);
    }
    m_releaseWake.notify_one();
}

// Lets go of the closed ports in turn; what was asked before the client closes is done.
void JackClient::releaseLoop()
{
    for (;;) {
        int index = 0;
        {
            std::unique_lock lock(m_releaseMutex);
            m_releaseWake.wait(lock, [this] { return m_releaseStop || !m_toRelease.empty(); });
            if (m_toRelease.empty())
                return;
            index = m_toRelease.front();
            m_toRelease.erase(m_toRelease.begin());
        }
        releaseSlot(*m_slots[std::size_t(index)]);
    }
}

// The process thread lets go of a slot at the start of its next cycle; a server that runs
// no more cycles has let go already.
void JackClient::waitForRetirement(Slot &slot) const
{
    using namespace std::chrono_literals;
    const auto deadline = std::chrono::steady_clock::now() + 100ms;
    while (slot.state.load(std::memory_order_acquire) != Retired && m_client && isAlive()) {
        if (std::chrono::steady_clock::now() > deadline)
            return; // a server that stalls: better to keep the ring than free it under it
        std::this_thread::sleep_for(1ms);
    }
}

// Another cycle has begun, or the server runs none: a stalled one is not waited for long.
void JackClient::waitForCycleAfter(std::uint64_t cycle) const
{
    using namespace std::chrono_literals;
    const auto deadline = std::chrono::steady_clock::now() + 100ms;
    while (m_cycles.load(std::memory_order_acquire) <= cycle && m_client && isAlive()
        && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
}

void JackClient::releaseSlot(Slot &slot)
{
    {
        // Only closing changes the client: the call is made without the lock the UI's quick
        // calls take, which a server that does not answer would hold.
        std::lock_guard serving(m_serverMutex);
        if (m_client && isAlive())
            jack_port_unregister(m_client, slot.port);
    }
    std::lock_guard lock(m_apiMutex);
    const bool retired
        = slot.state.load(std::memory_order_acquire) == Retired || !m_client || !isAlive();
    slot.port = nullptr;
    if (!retired)
        return;
    jack_ringbuffer_free(std::exchange(slot.ring, nullptr));
    slot.state.store(Free, std::memory_order_release);
}

void JackClient::send(int index, std::span<const std::uint8_t> message)
{
    Slot &slot = *m_slots[std::size_t(index)];
    if (!isAlive())
        throw PortError(QStringLiteral("The JACK server has gone."));
    // Receivers read an event as one message: a piece of one, or two in one, misleads them.
    if (!isWholeMessage(message))
        throw PortError(QStringLiteral("Cannot send %1: a JACK MIDI event holds one whole MIDI "
                                       "message, and this is not one.")
                            .arg(quoted(message)));
    if (message.size() > m_largestMessage)
        throw PortError(QStringLiteral("Cannot send the MIDI message: its %1 bytes are more "
                                       "than this output can carry at once (%2).")
                            .arg(message.size())
                            .arg(m_largestMessage));
    const RecordHeader header {std::uint32_t(message.size()), 0};
    if (jack_ringbuffer_write_space(slot.ring) < sizeof header + message.size())
        throw PortError(QStringLiteral("Cannot send the MIDI message: the JACK output is not "
                                       "taking messages as fast as they come."),
            PortError::Kind::NoRoomNow);
    jack_ringbuffer_write(slot.ring, reinterpret_cast<const char *>(&header), sizeof header);
    jack_ringbuffer_write(
        slot.ring, reinterpret_cast<const char *>(message.data()), message.size());
    slot.queued.fetch_add(1, std::memory_order_release);
}

std::uint64_t JackClient::pending(int index) const
{
    const Slot &slot = *m_slots[std::size_t(index)];
    // Read in this order, the count handed over is never ahead of the count queued.
    const std::uint64_t handedOver = slot.handedOver.load(std::memory_order_acquire);
    return slot.queued.load(std::memory_order_acquire) - handedOver;
}

int JackClient::process(jack_nframes_t frames, void *self)
{
    auto *client = static_cast<JackClient *>(self);
    client->m_cycles.fetch_add(1, std::memory_order_release);
    bool received = false;
    for (auto &slot : client->m_slots) {
        const int state = slot->state.load(std::memory_order_acquire);
        if (state == Retiring) {
            // An output's buffer keeps what it held, and the server delivers that again in
            // every cycle the port is not written: the last messages sent would go twice.
            if (!slot->sink)
                jack_midi_clear_buffer(jack_port_get_buffer(slot->port, frames));
            slot->state.store(Retired, std::memory_order_release);
        } else if (state == Active && slot->sink) {
            client->receiveInputs(frames, *slot);
            received = received || jack_ringbuffer_read_space(slot->ring) > 0;
        } else if (state == Active) {
            client->sendOutputs(frames, *slot);
        }
    }
    if (received)
        sem_post(&client->m_readerWake);
    return 0;
}

void JackClient::receiveInputs(jack_nframes_t frames, Slot &slot)
{
    void *buffer = jack_port_get_buffer(slot.port, frames);
    const jack_nframes_t cycleStart = jack_last_frame_time(m_client);
    const std::uint32_t count = jack_midi_get_event_count(buffer);
    slot.lost.fetch_add(jack_midi_get_lost_event_count(buffer), std::memory_order_relaxed);
    for (std::uint32_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, buffer, i) != 0 || event.size == 0)
            continue;
        const RecordHeader header {std::uint32_t(event.size),
            std::int64_t(jack_frames_to_time(m_client, cycleStart + event.time))};
        if (jack_ringbuffer_write_space(slot.ring) < sizeof header + event.size) {
            slot.lost.fetch_add(1, std::memory_order_relaxed);
            continue;
        }
        jack_ringbuffer_write(slot.ring, reinterpret_cast<const char *>(&header), sizeof header);
        jack_ringbuffer_write(slot.ring, reinterpret_cast<const char *>(event.buffer), event.size);
    }
}

void JackClient::sendOutputs(jack_nframes_t frames, Slot &slot)
{
    void *buffer = jack_port_get_buffer(slot.port, frames);
    jack_midi_clear_buffer(buffer);
    const bool timed = slot.timed.load(std::memory_order_acquire);
    // A timed output whose reports are not read waits rather than write untold messages.
    if (timed && jack_ringbuffer_write_space(slot.written) < sizeof(OutputConnection::Written))
        return;
    const std::uint32_t written = writeQueued(buffer, slot);
    if (!timed || written == 0)
        return;
    slot.writtenCount += written;
    // Every message goes at the cycle's first frame: stamped as the inputs are, by the frame.
    const OutputConnection::Written report {slot.writtenCount,
        std::chrono::steady_clock::time_point(std::chrono::microseconds(
            jack_frames_to_time(m_client, jack_last_frame_time(m_client))))};
    jack_ringbuffer_write(slot.written, reinterpret_cast<const char *>(&report), sizeof report);
}

std::uint32_t JackClient::writeQueued(void *buffer, Slot &slot)
{
    std::uint32_t written = 0;
    RecordHeader header;
    while (jack_ringbuffer_read_space(slot.ring) >= sizeof header) {
        jack_ringbuffer_peek(slot.ring, reinterpret_cast<char *>(&header), sizeof header);
        if (jack_ringbuffer_read_space(slot.ring) < sizeof header + header.size)
            break;
        // Asked before reserving: JACK counts a reservation it refuses as an event lost, and
        // tells every receiver so.
        jack_midi_data_t *space = jack_midi_max_event_size(buffer) >= header.size
            ? jack_midi_event_reserve(buffer, 0, header.size)
            : nullptr;
        if (!space)
            break; // this cycle's buffer is full: the rest goes in the next one
        jack_ringbuffer_read_advance(slot.ring, sizeof header);
        jack_ringbuffer_read(slot.ring, reinterpret_cast<char *>(space), header.size);
        ++written;
    }
    slot.handedOver.fetch_add(written, std::memory_order_release);
    if (written > 0)
        slot.lastWriteCycle.store(
            m_cycles.load(std::memory_order_relaxed), std::memory_order_release);
    return written;
}

void JackClient::timeWriting(int index)
{
    Slot &slot = *m_slots[std::size_t(index)];
    slot.writtenCount = 0;
    slot.timed.store(true, std::memory_order_release);
}

std::optional<OutputConnection::Written> JackClient::nextWritten(int index)
{
    Slot &slot = *m_slots[std::size_t(index)];
    OutputConnection::Written report;
    if (jack_ringbuffer_read_space(slot.written) < sizeof report)
        return std::nullopt;
    jack_ringbuffer_read(slot.written, reinterpret_cast<char *>(&report), sizeof report);
    // The report holds JACK's clock: the steady clock's moment is known only here.
    report.at -= readClockOffset();
    return report;
}

void JackClient::readLoop()
{
    std::vector<std::uint8_t> buffer;
    while (!m_readerStop) {
        while (sem_wait(&m_readerWake) != 0 && errno == EINTR)
            ;
        std::lock_guard lock(m_readerMutex);
        const std::uint64_t xruns = m_xruns.exchange(0, std::memory_order_relaxed);
        for (auto &slot : m_slots) {
            if (slot->state.load(std::memory_order_acquire) != Active || !slot->sink)
                continue;
            if (xruns > 0)
                slot->sink->missedCycles(xruns);
            deliver(*slot, buffer);
        }
    }
}

void JackClient::deliver(Slot &slot, std::vector<std::uint8_t> &buffer)
{
    if (const std::uint64_t lost = slot.lost.exchange(0, std::memory_order_relaxed))
        slot.sink->lost(lost);
    const std::chrono::microseconds jackMinusSteady = readClockOffset();
    RecordHeader header;
    while (jack_ringbuffer_read_space(slot.ring) >= sizeof header) {
        jack_ringbuffer_peek(slot.ring, reinterpret_cast<char *>(&header), sizeof header);
        if (jack_ringbuffer_read_space(slot.ring) < sizeof header + header.size)
            return;
        jack_ringbuffer_read_advance(slot.ring, sizeof header);
        buffer.resize(header.size);
        jack_ringbuffer_read(slot.ring, reinterpret_cast<char *>(buffer.data()), header.size);
        slot.sink->receive(buffer,
            InputSink::Clock::time_point(
                std::chrono::microseconds(header.microseconds) - jackMinusSteady));
    }
}

// JACK's clock is the steady clock unless the server was told to use another: the difference
// turns the frame times into steady time either way. It is read between two readings of the
// steady clock, and a reading the thread was preempted in is left out: the difference hardly
// moves, but a preemption would move a stamp by milliseconds. Good readings still scatter by
// a few microseconds: the difference kept changes only when it moved by more, so that one
// frame converted on two threads (the moment an output wrote, the moment an input read)
// comes out as one moment, and a message never seems to come back before it left.
std::chrono::microseconds JackClient::readClockOffset()
{
    using namespace std::chrono;
    constexpr auto LargestSpread = microseconds(20);
    for (int attempt = 0; attempt < 4; ++attempt) {
        const steady_clock::time_point before = steady_clock::now();
        const microseconds jack(jack_get_time());
        const steady_clock::duration spread = steady_clock::now() - before;
        const bool good = spread <= LargestSpread;
        if (good || !m_clockOffsetKnown.load(std::memory_order_relaxed)) {
            const auto middle
                = duration_cast<microseconds>((before + spread / 2).time_since_epoch());
            const std::int64_t read = (jack - middle).count();
            const std::int64_t kept = m_jackMinusSteadyUs.load(std::memory_order_relaxed);
            if (!good || !m_clockOffsetGood.exchange(true, std::memory_order_relaxed)
                || std::abs(read - kept) > 2 * LargestSpread.count())
                m_jackMinusSteadyUs.store(read, std::memory_order_relaxed);
            m_clockOffsetKnown.store(true, std::memory_order_relaxed);
            if (good)
                break;
        }
    }
    return microseconds(m_jackMinusSteadyUs.load(std::memory_order_relaxed));
}

// JACK's thread: counts, and wakes the reader to tell the inputs.
int JackClient::xrun(void *self)
{
    auto *client = static_cast<JackClient *>(self);
    client->m_xruns.fetch_add(1, std::memory_order_relaxed);
    sem_post(&client->m_readerWake);
    return 0;
}

void JackClient::shutDown(jack_status_t, const char *, void *self)
{
    auto *client = static_cast<JackClient *>(self);
    client->m_alive.store(false, std::memory_order_release);
    client->m_changed();
}

void JackClient::portRegistered(jack_port_id_t, int, void *self)
{
    static_cast<JackClient *>(self)->m_changed();
}

void JackClient::clientRegistered(const char *, int, void *self)
{
    static_cast<JackClient *>(self)->m_changed();
}

// A connection made or broken changes what feeds a tapped port. One broken is only noted
// here: which slot a port is may be read only under m_apiMutex, which a JACK call may hold
// while the library waits on this thread.
void JackClient::portConnected(jack_port_id_t a, jack_port_id_t b, int connected, void *self)
{
    auto *client = static_cast<JackClient *>(self);
    if (client->m_connected)
        client->m_connected();
    if (connected)
        return;
    {
        // A graph rewired for hours while no port of ours is followed is not kept whole: past
        // the bound, every connection not yet seen counts as broken.
        std::lock_guard lock(client->m_brokenMutex);
        if (client->m_broken.size() < MostBrokenNoted)
            client->m_broken.emplace_back(a, b);
        else
            client->m_brokenOverflowed = true;
    }
    client->m_changed();
}

void JackClient::portRenamed(jack_port_id_t, const char *, const char *, void *self)
{
    static_cast<JackClient *>(self)->m_changed();
}
