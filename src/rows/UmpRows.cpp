#include "UmpRows.h"

#include "midi/Hex.h"
#include "midi/MidiMessage.h"
#include "ump/UmpDecoder.h"

namespace UmpRows {
namespace {

    using Ump::MessageType;

    bool isChannelVoice(const Ump::Packet &packet)
    {
        return packet.type() == MessageType::Midi1ChannelVoice
            || packet.type() == MessageType::Midi2ChannelVoice;
    }

    bool hasStatusByte(const Ump::Packet &packet)
    {
        return packet.type() == MessageType::System || isChannelVoice(packet);
    }

    // A MIDI 2.0 status's data are wider than a byte: they stand in the words and Details.
    int dataBytesShown(const Ump::Packet &packet)
    {
        const bool carriesMidi1 = packet.type() == MessageType::System
            || packet.type() == MessageType::Midi1ChannelVoice;
        return carriesMidi1 ? std::max(messageLength(packet.byteAt(1)) - 1, 0) : 0;
    }

} // namespace

void appendLeading(std::string &out, const Ump::Packet &packet)
{
    if (hasStatusByte(packet))
        Hex::appendByte(out, packet.byteAt(1), Hex::Case::Upper);
    out += '\t';
    for (int data = 1; data <= 2; ++data) {
        if (data <= dataBytesShown(packet))
            Hex::appendByte(out, packet.byteAt(1 + data), Hex::Case::Upper);
        out += '\t';
    }
    if (isChannelVoice(packet))
        out += std::to_string(packet.bits(0, 19, 16) + 1);
    out += '\t';
    out += Ump::decode(packet).name.toStdString();
    out += '\t';
}

void appendWords(std::string &out, std::span<const std::uint8_t> words)
{
    for (std::size_t index = 0; index < words.size(); ++index) {
        if (index > 0 && index % 4 == 0)
            out += ' ';
        Hex::appendByte(out, words[index], Hex::Case::Upper);
    }
}

QString groupText(const Ump::Packet &packet)
{
    const std::optional<int> group = packet.group();
    return group ? QString::number(*group) : QString();
}

QStringList decodingLines(const Ump::Packet &packet)
{
    const Ump::Decoded decoded = Ump::decode(packet);
    QStringList lines {decoded.group
            ? QStringLiteral("%1, group %2").arg(decoded.name).arg(*decoded.group)
            : decoded.name};
    for (const Ump::Field &field : decoded.fields)
        lines.append(field.name + QStringLiteral(": ") + field.text);
    return lines;
}

std::uint8_t nearestStatus(const Ump::Packet &packet)
{
    switch (packet.type()) {
    case MessageType::Utility:
        return 0xF8;
    case MessageType::System:
    case MessageType::Midi1ChannelVoice:
        return packet.byteAt(1);
    case MessageType::Midi2ChannelVoice:
        break;
    case MessageType::Data64:
    case MessageType::Data128:
        return SysExStatus;
    default:
        return 0xF1;
    }
    // Per-note and registered controllers are controllers, per-note pitch bend is a bend,
    // and per-note management goes with its notes.
    constexpr std::uint8_t KindOfOpcode[16] = {0xB0, 0xB0, 0xB0, 0xB0, 0xB0, 0xB0, 0xE0, 0xB0, 0x80,
        0x90, 0xA0, 0xB0, 0xC0, 0xD0, 0xE0, 0x90};
    return KindOfOpcode[packet.bits(0, 23, 20)];
}

} // namespace UmpRows
