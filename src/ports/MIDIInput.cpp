#include "MIDIInput.h"

#include "PortCommand.h"
#include "PortError.h"

MIDIInput::MIDIInput(std::shared_ptr<PortSystem> ports, QObject *parent, std::size_t queueCapacity)
    : MidiPort(std::move(ports), PortDirection::Input, parent)
    , m_queue(queueCapacity)
{ }

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
        m_startTicks = Clock::now().time_since_epoch().count();
        m_receiving = true;
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
    close();
    const DeviceEntry &device = chosenDevice();
    m_assembler.reset();
    m_connection = device.backend->openInput(device.portName, *this);
}

void MIDIInput::close()
{
    m_receiving = false;
    // Destroying the connection waits for the backend's callback to finish.
    m_connection.reset();
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
    return message ? std::int32_t(message->timestampMs) : 0;
}

QByteArray MIDIInput::MessageSysEx()
{
    const MidiMessage *message = currentMessage();
    return message ? message->sysEx : QByteArray();
}

void MIDIInput::setEventsEnabled(bool enabled)
{
    m_eventsEnabled = enabled;
    if (enabled && m_queue.size() > 0)
        requestNotification();
}

void MIDIInput::setStatusFilter(int status, bool withhold)
{
    if (status >= 0 && status < int(m_statusFilter.size()))
        m_statusFilter[std::size_t(status)].store(withhold, std::memory_order_relaxed);
}

bool MIDIInput::StatusFilter(int status) const
{
    return status >= 0 && status < int(m_statusFilter.size())
        && m_statusFilter[std::size_t(status)].load(std::memory_order_relaxed);
}

void MIDIInput::receive(std::span<const std::uint8_t> bytes)
{
    // Stamped on entry, with our own clock: backends disagree on what their times mean.
    const Clock::time_point arrival = Clock::now();
    if (!m_receiving.load(std::memory_order_acquire))
        return;
    if (!m_assembler.isAssembling())
        m_assemblyStart = arrival;
    // A SysEx message is stamped with the arrival of its first piece.
    m_assembler.feed(bytes, [&](std::span<const std::uint8_t> message) {
        enqueue(message, message.front() == SysExStatus ? m_assemblyStart : arrival);
    });
}

void MIDIInput::enqueue(std::span<const std::uint8_t> bytes, Clock::time_point arrival)
{
    const std::uint8_t status = bytes.front();
    if (StatusFilter(status))
        return;
    MidiMessage message;
    const auto sinceStart = arrival - Clock::time_point(Clock::duration(m_startTicks.load()));
    message.timestampMs
        = std::uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
    message.status = status;
    if (status == SysExStatus) {
        message.sysEx
            = QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
    } else {
        message.data1 = bytes.size() > 1 ? bytes[1] : 0;
        message.data2 = bytes.size() > 2 ? bytes[2] : 0;
    }
    if (m_queue.push(std::move(message)))
        requestNotification();
}

void MIDIInput::requestNotification()
{
    // One queued call per burst: further messages ride on the one already posted.
    if (!m_notificationPending.exchange(true, std::memory_order_acq_rel))
        QMetaObject::invokeMethod(this, &MIDIInput::notify, Qt::QueuedConnection);
}

void MIDIInput::notify()
{
    // An exchange, not a store: reading the producer's flag orders the size read below after
    // its push, so a message pushed just now is either seen here or posts a call of its own.
    m_notificationPending.exchange(false, std::memory_order_acq_rel);
    if (m_eventsEnabled && m_queue.size() > 0)
        emit MessagesWaiting();
}
