#include "Midi1Reading.h"

namespace {

std::span<const std::uint8_t> bytesIn(const QByteArray &array)
{
    return {reinterpret_cast<const std::uint8_t *>(array.constData()), std::size_t(array.size())};
}

} // namespace

void Midi1Reading::read(const MidiMessage &message, const Take &take)
{
    if (message.ump) {
        const Ump::Packet packet = Ump::packetOfBytes(bytesIn(message.sysEx));
        for (const QByteArray &midi1 : m_fromUmp.take(packet).messages)
            take(bytesIn(midi1));
    } else if (!message.sysEx.isEmpty()) {
        take(bytesIn(message.sysEx));
    } else {
        const std::uint8_t bytes[] = {message.status, message.data1, message.data2};
        take(std::span(bytes, message.size));
    }
}
