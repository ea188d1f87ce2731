#include "UmpFilterStatus.h"

namespace Ump {

std::optional<std::uint8_t> messageStatusOf(const Packet &packet)
{
    const std::uint8_t statusByte = packet.byteAt(1);
    const int opcode = statusByte >> 4;
    switch (packet.type()) {
    case MessageType::System:
    case MessageType::Midi1ChannelVoice:
        return statusByte;
    case MessageType::Midi2ChannelVoice:
        return opcode >= 0x8 && opcode <= 0xE ? std::optional(statusByte) : std::nullopt;
    default:
        return std::nullopt;
    }
}

std::optional<std::uint8_t> filterStatusOf(const Packet &packet)
{
    const int opcode = packet.byteAt(1) >> 4;
    switch (packet.type()) {
    case MessageType::Data64:
        return std::uint8_t(0xF0);
    case MessageType::Data128: // SysEx8 below 4, Mixed Data Set above
        return opcode <= 0x3 ? std::optional(std::uint8_t(0xF0)) : std::nullopt;
    default:
        return messageStatusOf(packet);
    }
}

} // namespace Ump
