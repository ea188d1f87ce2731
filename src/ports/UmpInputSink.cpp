#include "UmpInputSink.h"

#include <cstring>
#include <vector>

void UmpInputSink::receive(std::span<const std::uint8_t> bytes, Clock::time_point arrival)
{
    std::vector<std::uint32_t> words(bytes.size() / sizeof(std::uint32_t));
    std::memcpy(words.data(), bytes.data(), words.size() * sizeof(std::uint32_t));
    std::uint64_t notKept = bytes.size() % sizeof(std::uint32_t) != 0 ? 1 : 0;
    for (std::size_t at = 0; at < words.size();) {
        const std::optional<Ump::Packet> packet = Ump::packetAt(std::span(words).subspan(at));
        if (!packet) {
            ++notKept; // the event ended inside a packet
            break;
        }
        at += packet->size;
        const Midi1FromUmp::Translated translated = m_midi1.take(*packet);
        if (translated.outcome != Midi1FromUmp::Outcome::Carried)
            ++notKept;
        for (const QByteArray &message : translated.messages)
            m_target.receive({reinterpret_cast<const std::uint8_t *>(message.constData()),
                                 std::size_t(message.size())},
                arrival);
    }
    if (notKept > 0)
        m_target.lost(notKept);
}
