#include "UmpInputSink.h"

#include <cstring>

void UmpInputSink::receive(std::span<const std::uint8_t> bytes, Clock::time_point arrival)
{
    constexpr std::size_t WordBytes = sizeof(std::uint32_t);
    while (bytes.size() >= WordBytes) {
        Ump::Packet packet;
        // The event's bytes need not be aligned for words: they are copied, never cast.
        std::memcpy(packet.words.data(), bytes.data(), WordBytes);
        packet.size = std::uint8_t(Ump::wordCountOf(packet.words[0]));
        const std::size_t packetBytes = packet.size * WordBytes;
        if (bytes.size() < packetBytes)
            break;
        std::memcpy(packet.words.data(), bytes.data(), packetBytes);
        m_target.receiveUmp(packet, arrival);
        bytes = bytes.subspan(packetBytes);
    }
    if (!bytes.empty())
        m_target.lost(1); // the event ended inside a packet
}
