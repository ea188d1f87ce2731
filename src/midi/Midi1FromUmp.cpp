#include "Midi1FromUmp.h"

#include "MidiMessage.h"

namespace {

QByteArray shortMessage(const Ump::Packet &packet)
{
    const std::uint8_t status = std::uint8_t(packet.bits(0, 23, 16));
    const char bytes[] = {char(status), char(packet.bits(0, 14, 8)), char(packet.bits(0, 6, 0))};
    return QByteArray(bytes, messageLength(status));
}

bool carriesShortMessage(const Ump::Packet &packet)
{
    const std::uint8_t status = std::uint8_t(packet.bits(0, 23, 16));
    if (packet.type() == Ump::MessageType::System)
        return status > SysExStatus && status != EndOfSysEx;
    return isChannelStatus(status);
}

} // namespace

Midi1FromUmp::Translated Midi1FromUmp::take(const Ump::Packet &packet)
{
    switch (packet.type()) {
    case Ump::MessageType::System:
    case Ump::MessageType::Midi1ChannelVoice:
        if (!carriesShortMessage(packet))
            return {Outcome::Malformed, {}};
        return {Outcome::Carried, {shortMessage(packet)}};
    case Ump::MessageType::Data64:
        return takeSysEx7(packet);
    default:
        return {Outcome::NotMidi1, {}};
    }
}

Midi1FromUmp::Translated Midi1FromUmp::takeSysEx7(const Ump::Packet &packet)
{
    const std::uint32_t status = packet.bits(0, 23, 20);
    const std::uint32_t count = packet.bits(0, 19, 16);
    if (status > 3 || count > 6)
        return {Outcome::Malformed, {}};
    QByteArray data;
    for (std::uint32_t index = 0; index < count; ++index)
        data.append(char(packet.byteAt(int(2 + index))));
    if (std::any_of(data.begin(), data.end(), [](char byte) { return isStatusByte(byte); }))
        return {Outcome::Malformed, {}};
    PendingSysEx &pending = m_pending[packet.bits(0, 27, 24)];
    const bool starts = status == 0 || status == 1;
    if (!starts && !pending.open)
        return {Outcome::Malformed, {}}; // a continuation of nothing
    Translated translated;
    if (starts && pending.open)
        translated.messages.push_back(pending.bytes);
    if (starts)
        pending.bytes = QByteArray(1, char(SysExStatus));
    pending.bytes += data;
    pending.open = status == 1 || status == 2;
    if (!pending.open)
        translated.messages.push_back(pending.bytes + char(EndOfSysEx));
    return translated;
}

std::vector<std::pair<int, QByteArray>> Midi1FromUmp::finish()
{
    std::vector<std::pair<int, QByteArray>> cutShort;
    for (std::size_t group = 0; group < m_pending.size(); ++group)
        if (std::exchange(m_pending[group].open, false))
            cutShort.emplace_back(int(group) + 1, m_pending[group].bytes);
    return cutShort;
}
