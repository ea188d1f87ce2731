#include "MIDIOutput.h"

#include "PortCommand.h"
#include "PortError.h"
#include "midi/MidiMessage.h"

#include <algorithm>

MIDIOutput::MIDIOutput(std::shared_ptr<PortSystem> ports, QObject *parent)
    : MidiPort(std::move(ports), PortDirection::Output, parent)
{ }

MIDIOutput::~MIDIOutput() = default;

void MIDIOutput::setCommand(std::int16_t command)
{
    switch (command) {
    case CommandOpen:
        m_connection.reset();
        openChosenDevice([this](const DeviceEntry &device) { reconnect(device); });
        break;
    case CommandClose:
        m_connection.reset();
        forgetDevice();
        break;
    case CommandSend:
        send();
        break;
    default:
        refuseCommand(command);
    }
}

void MIDIOutput::setMessageStatus(std::int16_t status)
{
    m_status = status;
    m_dataBytes = 0;
}

void MIDIOutput::setMessageData1(std::int16_t data)
{
    m_data1 = data;
    m_dataBytes = std::max(m_dataBytes, 1);
}

void MIDIOutput::setMessageData2(std::int16_t data)
{
    m_data2 = data;
    m_dataBytes = 2;
}

std::span<const std::uint8_t> MIDIOutput::messageBytes()
{
    if (std::uint8_t(m_status) == SysExStatus)
        return {reinterpret_cast<const std::uint8_t *>(m_sysEx.constData()),
            std::size_t(m_sysEx.size())};
    // Built in place: a message a millisecond, or thousands, must not allocate each.
    m_shortMessage = {std::uint8_t(m_status), std::uint8_t(m_data1), std::uint8_t(m_data2)};
    return std::span(m_shortMessage).first(1 + std::size_t(std::clamp(m_dataBytes, 0, 2)));
}

void sendMessage(MIDIOutput &output, std::span<const std::uint8_t> message)
{
    if (message.empty())
        throw PortError(QStringLiteral("There is no MIDI message to send."));
    output.setMessageStatus(message[0]);
    if (message[0] == SysExStatus) {
        output.setMessageSysEx(
            QByteArray(reinterpret_cast<const char *>(message.data()), qsizetype(message.size())));
    } else {
        if (message.size() >= 2)
            output.setMessageData1(message[1]);
        if (message.size() >= 3)
            output.setMessageData2(message[2]);
    }
    output.setCommand(CommandSend);
}

void sendMessage(MIDIOutput &output, std::initializer_list<std::uint8_t> message)
{
    sendMessage(output, std::span(message.begin(), message.size()));
}

QByteArray sentBytes(MIDIOutput &output)
{
    const std::span<const std::uint8_t> bytes = output.messageBytes();
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

bool MIDIOutput::connectionAlive() const
{
    return m_connection && m_connection->isAlive();
}

void MIDIOutput::dropConnection()
{
    m_connection.reset();
}

void MIDIOutput::reconnect(const DeviceEntry &device)
{
    m_connection = device.backend->openOutput(device.portName);
}

void MIDIOutput::send()
{
    // A device that went is never reported as sent to.
    if (isWaitingForDevice() || (m_connection && !m_connection->isAlive()))
        throw PortError(QStringLiteral("MIDI Out \"%1\" is gone; the message was not sent.")
                            .arg(chosenDeviceName()));
    if (!m_connection)
        throw PortError(QStringLiteral("The MIDI output port is not open."));
    const std::span<const std::uint8_t> bytes = messageBytes();
    if (bytes.empty())
        throw PortError(QStringLiteral("There is no System Exclusive message to send."));
    m_connection->send(bytes);
}
