#include "MIDIInput.h"

#include "PortCommand.h"
#include "PortError.h"
#include "midi/UmpFilterStatus.h"

#include <QTimer>
#include <functional>

MIDIInput::MIDIInput(
    std::shared_ptr<PortSystem> ports, QObject *parent, MessageQueue::Bounds queueBounds)
    : MidiPort(std::move(ports), PortDirection::Input, parent)
    , m_queue(queueBounds)
    , m_deliver(std::bind_front(&MIDIInput::enqueue, this))
    , m_oversize([this] {
        m_queue.countDropped();
        countChanged();
    })
{
    m_spacedNotice.setSingleShot(true);
    connect(&m_spacedNotice, &QTimer::timeout, this, &MIDIInput::notify);
}

MIDIInput::~MIDIInput()
{
    close();
}

std::int16_t MIDIInput::PortState() const
{
    if (!m_connection)
        return 0;
    return m_receiving ? 2 : 1;
}

void MIDIInput::setCommand(std::int16_t command)
{
    switch (command) {
    case CommandOpen:
        open();
        break;
    case CommandClose:
        close();
        break;
    case CommandStart:
        if (!m_connection)
            throw PortError(QStringLiteral("The MIDI input port is not open."));
        start();
        break;
    case CommandDropCurrent:
        m_queue.popFront();
        break;
    default:
        refuseCommand(command);
    }
}

void MIDIInput::open()
{
    closeForNewDevice();
    openChosenDevice([this](const DeviceEntry &device) { reconnect(device); });
}

void MIDIInput::watch(const QString &deviceName)
{
    closeForNewDevice();
    // Receiving before the connection is made: a peer may send the moment it is.
    start();
    followNamedDevice(deviceName, [this](const DeviceEntry &device) { reconnect(device); });
}

void MIDIInput::feedFrom(const DeviceEntry &feeder, const QString &sourceName)
{
    closeForNewDevice();
    m_sourceName = sourceName;
    start(); // as in watch()
    reconnect(feeder);
}

// What the last device left open must not run into the first bytes of the next.
void MIDIInput::closeForNewDevice()
{
    close();
    m_sourceName.clear();
    std::lock_guard lock(m_assemblerMutex);
    m_assembler.reset();
}

void MIDIInput::start()
{
    m_startTicks = Clock::now().time_since_epoch().count();
    m_receiving = true;
}

void MIDIInput::close()
{
    dropConnection();
    forgetDevice();
    m_receiving = false;
}

bool MIDIInput::connectionAlive() const
{
    return m_connection && m_connection->isAlive();
}

void MIDIInput::dropConnection()
{
    // Destroying the connection waits for the backend's callback to finish; a message still
    // open then is passed on as it came, so that nothing received is lost.
    m_connection.reset();
    std::lock_guard lock(m_assemblerMutex);
    m_assembler.flush(m_deliver);
}

void MIDIInput::reconnect(const DeviceEntry &device)
{
    m_connection = device.backend->openInput(device.portName, *this);
}

std::int16_t MIDIInput::MessageStatus()
{
    const MidiMessage *message = currentMessage();
    return message ? message->status : 0;
}

std::int16_t MIDIInput::MessageData1()
{
    const MidiMessage *message = currentMessage();
    return message ? message->data1 : 0;
}

std::int16_t MIDIInput::MessageData2()
{
    const MidiMessage *message = currentMessage();
    return message ? message->data2 : 0;
}

std::int32_t MIDIInput::MessageTimestamp()
{
    const MidiMessage *message = currentMessage();
    if (!message)
        return 0;
    const auto sinceStart = message->arrival - StartedAt();
    return std::int32_t(
        std::uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count()));
}

QByteArray MIDIInput::MessageSysEx()
{
    const MidiMessage *message = currentMessage();
    return message && !message->ump ? message->sysEx : QByteArray();
}

void MIDIInput::setEventsEnabled(bool enabled)
{
    m_eventsEnabled = enabled;
    if (enabled && (m_queue.size() > 0 || m_lossUnseen.load(std::memory_order_acquire)))
        requestNotification();
}

void MIDIInput::setStatusFilter(int status, bool withhold)
{
    if (status >= 0 && status < int(m_statusFilter.size()))
        m_statusFilter[std::size_t(status)].store(withhold, std::memory_order_relaxed);
}

void MIDIInput::setHiddenPatterns(std::vector<BytePattern> patterns)
{
    std::lock_guard lock(m_assemblerMutex);
    m_hiddenPatterns = std::move(patterns);
}

bool MIDIInput::StatusFilter(int status) const
{
    return status >= 0 && status < int(m_statusFilter.size())
        && m_statusFilter[std::size_t(status)].load(std::memory_order_relaxed);
}

void MIDIInput::lost(std::uint64_t messages)
{
    m_queue.countDropped(messages);
    countChanged();
}

void MIDIInput::missedCycles(std::uint64_t cycles)
{
    m_xruns.fetch_add(cycles, std::memory_order_relaxed);
    countChanged();
}

// A loss, or a message filtered out, is counted on screen at once, not with the next message
// that arrives.
void MIDIInput::countChanged()
{
    m_lossUnseen.store(true, std::memory_order_release);
    requestNotification();
}

MIDIInput::Counts MIDIInput::resetCounts()
{
    const Counts before {DroppedCount(), XrunCount(), FilteredCount()};
    m_queue.resetDroppedCount();
    m_xruns.store(0, std::memory_order_relaxed);
    m_filtered.store(0, std::memory_order_relaxed);
    return before;
}

void MIDIInput::restoreCounts(const Counts &counts)
{
    m_queue.countDropped(counts.dropped);
    m_xruns.fetch_add(counts.xruns, std::memory_order_relaxed);
    m_filtered.fetch_add(counts.filtered, std::memory_order_relaxed);
}

void MIDIInput::receive(std::span<const std::uint8_t> bytes, Clock::time_point arrival)
{
    if (!m_receiving.load(std::memory_order_acquire))
        return;
    std::lock_guard lock(m_assemblerMutex);
    m_assembler.feed(bytes, arrival, m_deliver, m_oversize);
    if (m_assembler.heldUntil() && !std::exchange(m_staleCheckPending, true))
        QMetaObject::invokeMethod(this, &MIDIInput::checkHeldMessage, Qt::QueuedConnection);
}

// UI thread: a message held for a piece that may not come is passed on once stale, by a
// timer that runs only while one is held.
void MIDIInput::checkHeldMessage()
{
    std::lock_guard lock(m_assemblerMutex);
    const auto until = m_assembler.heldUntil();
    const Clock::time_point now = Clock::now();
    if (until && now < *until) {
        QTimer::singleShot(std::chrono::ceil<std::chrono::milliseconds>(*until - now), this,
            &MIDIInput::checkHeldMessage);
        return;
    }
    m_assembler.flushStale(now, m_deliver);
    m_staleCheckPending = false;
}

void MIDIInput::enqueue(std::span<const std::uint8_t> bytes, Clock::time_point arrival)
{
    const std::uint8_t status = bytes.front();
    if (StatusFilter(status) || m_withheld.load(std::memory_order_relaxed)
        || anyMatches(m_hiddenPatterns, bytes)) {
        countFiltered();
        return;
    }
    MidiMessage message;
    message.arrival = arrival;
    message.status = status;
    if (status == SysExStatus) {
        // A dump of megabytes is shared with the assembler, not copied.
        const QByteArray &assembled = m_assembler.sysExBeingDelivered();
        message.sysEx = assembled.constData() == reinterpret_cast<const char *>(bytes.data())
            ? assembled
            : QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
    } else {
        message.size = std::uint8_t(bytes.size());
        message.data1 = bytes.size() > 1 ? bytes[1] : 0;
        message.data2 = bytes.size() > 2 ? bytes[2] : 0;
    }
    push(std::move(message));
}

// Backend thread. No assembler stands between a port of UMP and the queue: its packets come
// whole. A packet the filter keeps out is counted as a MIDI 1.0 message is.
void MIDIInput::receiveUmp(const Ump::Packet &packet, Clock::time_point arrival)
{
    if (!m_receiving.load(std::memory_order_acquire))
        return;
    const std::optional<std::uint8_t> status = Ump::filterStatusOf(packet);
    if ((status && StatusFilter(*status)) || m_withheld.load(std::memory_order_relaxed)) {
        countFiltered();
        return;
    }
    MidiMessage message;
    message.arrival = arrival;
    message.ump = true;
    message.sysEx = Ump::bytesOf(packet);
    push(std::move(message));
}

void MIDIInput::countFiltered()
{
    m_filtered.fetch_add(1, std::memory_order_relaxed);
    countChanged();
}

void MIDIInput::push(MidiMessage &&message)
{
    if (m_queue.push(std::move(message)))
        requestNotification();
    else
        countChanged();
}

void MIDIInput::requestNotification()
{
    // One queued call per burst: further messages ride on the one already posted.
    if (!m_notificationPending.exchange(true, std::memory_order_acq_rel))
        QMetaObject::invokeMethod(this, &MIDIInput::notify, Qt::QueuedConnection);
}

void MIDIInput::notify()
{
    // A call each JACK cycle would wake the window hundreds of times a second for a few rows
    // each. The producer's flag stays set while the call waits, so it posts nothing more.
    const auto since = std::chrono::milliseconds(
        m_sinceNotice.isValid() ? m_sinceNotice.elapsed() : NoticeSpacing.count());
    if (since < NoticeSpacing) {
        if (!m_spacedNotice.isActive())
            m_spacedNotice.start(NoticeSpacing - since);
        return;
    }
    m_sinceNotice.start();
    // An exchange, not a store: reading the producer's flag orders the size read below after
    // its push, so a message pushed just now is either seen here or posts a call of its own.
    m_notificationPending.exchange(false, std::memory_order_acq_rel);
    if (!m_eventsEnabled)
        return;
    if (m_lossUnseen.exchange(false, std::memory_order_acq_rel) || m_queue.size() > 0)
        emit MessagesWaiting();
}
