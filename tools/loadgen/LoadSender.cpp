#include "LoadSender.h"

#include "PortMatch.h"

#include <cerrno>
#include <cmath>
#include <ctime>
#include <jack/jack.h>
#include <jack/midiport.h>

using namespace LoadMessages;

namespace {

// Room the JACK library keeps in a MIDI buffer for its own bookkeeping.
constexpr std::size_t BufferOverhead = 64;
// How long past the run's own length the server may take before it is given up on.
constexpr std::chrono::seconds ServerGrace {10};

std::string line(const char *key, const QString &value)
{
    return std::string(key) + ": " + value.toStdString() + '\n';
}

std::string line(const char *key, std::uint64_t value)
{
    return line(key, QString::number(value));
}

std::string line(const char *key, double value, int decimals)
{
    return line(key, QString::number(value, 'f', decimals));
}

} // namespace

std::string SendReport::text() const
{
    std::string out = line("client", client)
        + line("connected", connectedTo.isEmpty() ? QStringLiteral("nothing") : connectedTo)
        + line("mix", QString::fromLatin1(mixName(settings.mix))) + line("sent", sent)
        + line("channel", sentOfKind[std::size_t(Kind::Channel)])
        + line("sysex", sentOfKind[std::size_t(Kind::SysEx)])
        + line("realtime", sentOfKind[std::size_t(Kind::RealTime)]);
    if (sent > 0)
        out += line("first_sequence", std::uint64_t(0)) + line("last_sequence", sent - 1);
    out += line("unsent", unsent) + line("late", late) + line("full_cycles", fullCycles)
        + line("busiest_cycle", busiestCycle) + line("xruns", xruns)
        + line("clock_wander_us", clockWanderUs, 1) + line("seconds", seconds, 3)
        + line("rate", seconds > 0 ? double(sent) / seconds : 0.0, 1)
        + line("wall_seconds", wallSeconds, 3);
    return failure.isEmpty() ? out : out + line("failure", failure);
}

std::string reportsText(std::span<const SendReport> reports)
{
    if (reports.size() == 1)
        return reports.front().text();
    std::string out;
    std::uint64_t sent = 0;
    std::uint64_t unsent = 0;
    for (const SendReport &report : reports) {
        out += report.text() + '\n';
        sent += report.sent;
        unsent += report.unsent;
    }
    return out + line("clients", std::uint64_t(reports.size())) + line("total_sent", sent)
        + line("total_unsent", unsent);
}

std::unique_ptr<LoadSender> LoadSender::open(const SendSettings &settings, QString &failure)
{
    jack_status_t status;
    jack_client_t *client = jack_client_open(
        settings.clientName.toLocal8Bit().constData(), JackNoStartServer, &status);
    if (!client) {
        failure = QStringLiteral("No JACK server answers (status 0x%1).").arg(int(status), 0, 16);
        return nullptr;
    }
    const std::size_t room = jack_port_type_get_buffer_size(client, JACK_DEFAULT_MIDI_TYPE);
    jack_port_t *port
        = jack_port_register(client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    if (!port || settings.sysExSize + BufferOverhead > room) {
        failure = port ? QStringLiteral("A SysEx of %1 bytes does not fit into a JACK MIDI "
                                        "buffer of %2 bytes.")
                             .arg(settings.sysExSize)
                             .arg(room)
                       : QStringLiteral("JACK would not make the output port.");
        jack_client_close(client);
        return nullptr;
    }
    std::unique_ptr<LoadSender> sender(new LoadSender(client, port, settings));
    if (jack_activate(client) != 0) {
        failure = QStringLiteral("JACK would not run the client.");
        return nullptr;
    }
    return sender;
}

LoadSender::LoadSender(jack_client_t *client, jack_port_t *port, const SendSettings &settings)
    : m_client(client)
    , m_port(port)
    , m_settings(settings)
    , m_pacing {settings.rate, jack_get_sample_rate(client),
          std::uint64_t(std::llround(double(settings.rate) * settings.seconds))}
    , m_message(std::max<std::size_t>(settings.sysExSize, 3))
{
    sem_init(&m_done, 0, 0);
    jack_set_process_callback(client, &LoadSender::process, this);
    jack_on_info_shutdown(client, &LoadSender::shutDown, this);
    jack_set_port_registration_callback(client, &LoadSender::portRegistered, this);
    jack_set_port_connect_callback(client, &LoadSender::portConnected, this);
    jack_set_xrun_callback(client, &LoadSender::xrun, this);
}

LoadSender::~LoadSender()
{
    jack_client_close(m_client);
    sem_destroy(&m_done);
}

QStringList LoadSender::otherInputs() const
{
    const QString own = QString::fromLocal8Bit(jack_get_client_name(m_client)) + u':';
    QStringList names;
    const char **ports = jack_get_ports(m_client, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput);
    for (const char **port = ports; port && *port; ++port)
        if (const QString name = QString::fromLocal8Bit(*port); !name.startsWith(own))
            names << name;
    jack_free(ports);
    return names;
}

QString LoadSender::connectTo(const QString &wanted, std::chrono::milliseconds wait)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        const QStringList matches = portsMatching(otherInputs(), wanted);
        if (matches.size() > 1)
            return QStringLiteral("\"%1\" names several ports: %2.")
                .arg(wanted, matches.join(QStringLiteral(", ")));
        if (matches.size() == 1) {
            const int result = jack_connect(
                m_client, jack_port_name(m_port), matches.front().toLocal8Bit().constData());
            if (result != 0 && result != EEXIST)
                return QStringLiteral("JACK would not connect to \"%1\".").arg(matches.front());
            m_connectedTo = matches.front();
            return {};
        }
        if (!waitForGraphChange(deadline))
            return QStringLiteral("No JACK MIDI input matches \"%1\".").arg(wanted);
    }
}

QString LoadSender::waitForListener(std::chrono::milliseconds wait, int listeners)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        // The list may be there but empty.
        const char **connections = jack_port_get_connections(m_port);
        int connected = 0;
        for (const char **port = connections; port && *port; ++port)
            ++connected;
        if (connected > 0 && m_connectedTo.isEmpty())
            m_connectedTo = QString::fromLocal8Bit(connections[0]);
        jack_free(connections);
        if (connected >= listeners)
            return {};
        if (!waitForGraphChange(deadline))
            return QStringLiteral("%1 of %2 listeners connected to \"%3\".")
                .arg(connected)
                .arg(listeners)
                .arg(QString::fromLocal8Bit(jack_port_name(m_port)));
    }
}

bool LoadSender::waitForGraphChange(std::chrono::steady_clock::time_point deadline)
{
    std::unique_lock lock(m_graphMutex);
    const bool changed
        = m_graphChanged.wait_until(lock, deadline, [this] { return m_graphHasChanged; });
    m_graphHasChanged = false;
    return changed;
}

SendReport LoadSender::run()
{
    const auto start = std::chrono::steady_clock::now();
    m_state.store(Running, std::memory_order_release);
    const QString failure = waitForRun();
    SendReport result = report(std::chrono::steady_clock::now() - start);
    result.failure = failure;
    return result;
}

QString LoadSender::waitForRun()
{
    timespec deadline {};
    clock_gettime(CLOCK_REALTIME, &deadline);
    deadline.tv_sec += std::time_t(std::ceil(m_settings.seconds)) + ServerGrace.count();
    int waited;
    while ((waited = sem_timedwait(&m_done, &deadline)) != 0 && errno == EINTR)
        ;
    if (m_serverGone)
        return QStringLiteral("The JACK server went away.");
    if (waited == 0)
        return {};
    // The process thread may still be sending: it is stopped before its counters are read.
    jack_deactivate(m_client);
    return QStringLiteral("The JACK server stopped running cycles.");
}

SendReport LoadSender::report(std::chrono::steady_clock::duration wall) const
{
    SendReport result;
    result.client = QString::fromLocal8Bit(jack_get_client_name(m_client));
    result.connectedTo = m_connectedTo;
    result.settings = m_settings;
    result.sent = m_next;
    result.sentOfKind = m_sentOfKind;
    result.unsent = m_pacing.total - m_next;
    result.late = m_late;
    result.fullCycles = m_fullCycles;
    result.busiestCycle = m_busiestCycle;
    result.xruns = m_xruns.load();
    result.clockWanderUs = m_clockWanderUs;
    result.seconds = double(m_sentUpTo) / double(m_pacing.sampleRate);
    result.wallSeconds = std::chrono::duration<double>(wall).count();
    return result;
}

int LoadSender::process(jack_nframes_t frames, void *self)
{
    auto *sender = static_cast<LoadSender *>(self);
    void *buffer = jack_port_get_buffer(sender->m_port, frames);
    jack_midi_clear_buffer(buffer);
    switch (sender->m_state.load(std::memory_order_acquire)) {
    case Running:
        sender->sendCycle(buffer, frames);
        break;
    case Draining:
        // The cycle that sent the last messages is over for every client: the receiver has
        // them, and the client may close.
        sender->m_state.store(Done, std::memory_order_relaxed);
        sem_post(&sender->m_done);
        break;
    default:
        break;
    }
    return 0;
}

void LoadSender::sendCycle(void *buffer, jack_nframes_t frames)
{
    const jack_nframes_t cycleStart = jack_last_frame_time(m_client);
    if (m_started)
        m_elapsed += jack_nframes_t(cycleStart - m_lastCycleStart); // a wrap is harmless
    m_started = true;
    m_lastCycleStart = cycleStart;
    noteClockWander(frames);

    const std::uint64_t due = m_pacing.dueBefore(m_elapsed + frames);
    const std::uint64_t first = m_next;
    for (; m_next < due; ++m_next) {
        const std::size_t size
            = writeMessage(m_settings.mix, m_next, m_settings.sysExSize, m_message);
        // Asked before reserving: a refused reservation would count as a lost event at
        // the receiving end.
        const std::uint64_t frame = m_pacing.frameOf(m_next);
        const auto offset = jack_nframes_t(frame > m_elapsed ? frame - m_elapsed : 0);
        jack_midi_data_t *space = jack_midi_max_event_size(buffer) >= size
            ? jack_midi_event_reserve(buffer, offset, size)
            : nullptr;
        if (!space) {
            ++m_fullCycles;
            break;
        }
        std::copy_n(m_message.data(), size, space);
        if (frame < m_elapsed)
            ++m_late;
        ++m_sentOfKind[std::size_t(kindAt(m_settings.mix, m_next))];
    }
    m_busiestCycle = std::max(m_busiestCycle, m_next - first);
    if (m_next > first)
        m_sentUpTo = m_elapsed + frames;
    if (m_next == m_pacing.total || m_elapsed + frames >= m_pacing.endFrame())
        m_state.store(Draining, std::memory_order_relaxed);
}

void LoadSender::noteClockWander(jack_nframes_t frames)
{
    jack_nframes_t cycleStart;
    jack_time_t startUs;
    jack_time_t nextUs;
    float periodUs;
    if (jack_get_cycle_times(m_client, &cycleStart, &startUs, &nextUs, &periodUs) != 0)
        return;
    const double nominalUs = 1e6 * frames / double(m_pacing.sampleRate);
    m_clockWanderUs = std::max(m_clockWanderUs, std::abs(double(nextUs - startUs) - nominalUs));
}

void LoadSender::shutDown(jack_status_t, const char *, void *self)
{
    auto *sender = static_cast<LoadSender *>(self);
    sender->m_serverGone = true;
    sem_post(&sender->m_done);
}

void LoadSender::portRegistered(jack_port_id_t, int, void *self)
{
    graphChanged(*static_cast<LoadSender *>(self));
}

void LoadSender::portConnected(jack_port_id_t, jack_port_id_t, int, void *self)
{
    graphChanged(*static_cast<LoadSender *>(self));
}

// JACK's notification thread: not the process thread, so it may take a lock.
void LoadSender::graphChanged(LoadSender &sender)
{
    {
        std::lock_guard lock(sender.m_graphMutex);
        sender.m_graphHasChanged = true;
    }
    sender.m_graphChanged.notify_all();
}

int LoadSender::xrun(void *self)
{
    auto *sender = static_cast<LoadSender *>(self);
    const int state = sender->m_state.load(std::memory_order_acquire);
    if (state == Running || state == Draining)
        sender->m_xruns.fetch_add(1, std::memory_order_relaxed);
    return 0;
}
