#include "SysExFileSender.h"

#include "modSendMessage.h"
#include "ports/MIDIOutput.h"
#include "ports/PortError.h"

SysExFileSender::SysExFileSender(MIDIOutput &output, AddRow addRow, QObject *parent)
    : QObject(parent)
    , m_output(output)
    , m_addRow(std::move(addRow))
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &SysExFileSender::sendNext);
}

void SysExFileSender::send(std::vector<QByteArray> messages)
{
    ++m_run;
    m_messages = std::move(messages);
    m_next = 0;
    m_noRoomSince.reset();
    m_sending = true;
    m_timer.start(0);
}

void SysExFileSender::cancel()
{
    ++m_run;
    m_timer.stop();
    m_sending = false;
    m_messages = {}; // a dump can be large
}

void SysExFileSender::sendNext()
{
    // The row callback and the handlers of the signals below may cancel this run or start
    // another one.
    const std::uint64_t run = m_run;
    if (m_next < m_messages.size() && (!sendCurrent() || run != m_run))
        return;
    const int sent = int(m_next);
    const int total = int(m_messages.size());
    if (sent < total)
        m_timer.start(m_pause);
    else
        m_sending = false;
    if (sent > 0)
        emit progress(sent, total);
    if (sent == total && run == m_run)
        emit finished();
}

bool SysExFileSender::sendCurrent()
{
    const QByteArray &message = m_messages[m_next];
    try {
        sendMessage(m_output,
            {reinterpret_cast<const std::uint8_t *>(message.constData()),
                std::size_t(message.size())});
    } catch (const PortError &error) {
        if (waitsForRoom(error))
            return false;
        const int index = int(m_next);
        const QByteArray refused = sentBytes(m_output);
        cancel();
        m_addRow({Origin::SendFailed, refused});
        emit failed(index, error.description());
        return false;
    }
    m_noRoomSince.reset();
    m_addRow({Origin::Sent, sentBytes(m_output)});
    ++m_next;
    return true;
}

bool SysExFileSender::waitsForRoom(const PortError &error)
{
    if (error.kind() != PortError::Kind::NoRoomNow)
        return false;
    const auto now = std::chrono::steady_clock::now();
    if (!m_noRoomSince)
        m_noRoomSince = now;
    if (now - *m_noRoomSince >= RoomWait)
        return false;
    m_timer.start(RoomRetry);
    return true;
}
