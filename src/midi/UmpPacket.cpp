#include "UmpPacket.h"

#include <algorithm>

namespace Ump {

std::optional<int> Packet::group() const
{
    switch (typeNumber()) {
    case 0x0: // Utility
    case 0xF: // UMP Stream
        return std::nullopt;
    default:
        return int(bits(0, 27, 24)) + 1;
    }
}

std::optional<Packet> packetAt(std::span<const std::uint32_t> words)
{
    if (words.empty())
        return std::nullopt;
    const int count = wordCountOf(words.front());
    if (words.size() < std::size_t(count))
        return std::nullopt;
    Packet packet;
    packet.size = std::uint8_t(count);
    std::copy_n(words.begin(), count, packet.words.begin());
    return packet;
}

Packet packetOfBytes(std::span<const std::uint8_t> bytes)
{
    Packet packet;
    packet.size = std::uint8_t(std::min<std::size_t>(bytes.size() / 4, packet.words.size()));
    for (std::size_t index = 0; index < std::size_t(packet.size) * 4; ++index)
        packet.words[index / 4] = packet.words[index / 4] << 8 | bytes[index];
    return packet;
}

QByteArray bytesOf(const Packet &packet)
{
    QByteArray bytes(qsizetype(packet.size) * 4, Qt::Uninitialized);
    for (int index = 0; index < bytes.size(); ++index)
        bytes[index] = char(packet.byteAt(index));
    return bytes;
}

} // namespace Ump
