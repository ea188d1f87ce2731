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

} // namespace Ump
