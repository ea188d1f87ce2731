#pragma once

#include "MidiPort.h"

#include <QByteArray>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>

// The output port component: the Message* members describe a message, CommandSend sends it.
class MIDIOutput : public MidiPort
{
    Q_OBJECT

public:
    explicit MIDIOutput(std::shared_ptr<PortSystem> ports, QObject *parent = nullptr);
    ~MIDIOutput() override;

    std::int16_t PortState() const override { return m_connection ? 1 : 0; }
    void setCommand(std::int16_t command) override;

    // A message is the status and the data bytes written after it, so that what goes on the
    // wire is what the program asked for: no data byte left over from an earlier message.
    void setMessageStatus(std::int16_t status);
    void setMessageData1(std::int16_t data);
    void setMessageData2(std::int16_t data);
    // The whole System Exclusive message, F0 to F7 inclusive; sent when the status is F0.
    void setMessageSysEx(const QByteArray &bytes) { m_sysEx = bytes; }

    // The bytes CommandSend puts on the wire for the members as they stand; valid until the
    // members change.
    std::span<const std::uint8_t> messageBytes();
    // Messages sent that still wait to go out: closing the port now would lose them.
    std::uint64_t pendingOutput() const { return m_connection ? m_connection->pending() : 0; }
    // See OutputConnection::timeWriting, for the port open now.
    bool timeWriting() { return m_connection && m_connection->timeWriting(); }
    std::optional<OutputConnection::Written> nextWritten()
    {
        return m_connection ? m_connection->nextWritten() : std::nullopt;
    }

private:
    void send();
    bool connectionAlive() const override;
    void dropConnection() override;
    void reconnect(const DeviceEntry &device) override;

    std::unique_ptr<OutputConnection> m_connection;
    std::int16_t m_status = 0;
    std::int16_t m_data1 = 0;
    std::int16_t m_data2 = 0;
    int m_dataBytes = 0; // written since the status
    std::array<std::uint8_t, 3> m_shortMessage {};
    QByteArray m_sysEx;
};

// Sends one whole message the way the program writes the output's members: the status, then
// the whole SysEx from F0 on, or else as many of the two data bytes as the message has (any
// further bytes are not sent). Throws PortError.
void sendMessage(MIDIOutput &output, std::span<const std::uint8_t> message);
void sendMessage(MIDIOutput &output, std::initializer_list<std::uint8_t> message);
// The bytes the last sendMessage handed to the port, or tried to: what a record of the send
// keeps, as the port was given them (a third data byte and further ones were not).
QByteArray sentBytes(MIDIOutput &output);
