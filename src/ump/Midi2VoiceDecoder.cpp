#include "UmpTypeDecoders.h"

#include <array>

namespace Ump::Detail {
namespace {

    QString attributeTypeName(std::uint32_t type)
    {
        switch (type) {
        case 0:
            return QStringLiteral("none");
        case 1:
            return QStringLiteral("manufacturer specific");
        case 2:
            return QStringLiteral("profile specific");
        case 3:
            return QStringLiteral("pitch 7.9");
        default:
            return QStringLiteral("reserved %1").arg(type);
        }
    }

    void decodeNote(const Packet &packet, Decoded &decoded)
    {
        const std::uint32_t attributeType = packet.bits(0, 7, 0);
        const std::uint32_t attribute = packet.bits(1, 15, 0);
        decoded.add(QStringLiteral("note"), packet.bits(0, 14, 8));
        decoded.add(QStringLiteral("velocity"), packet.bits(1, 31, 16));
        decoded.add(
            QStringLiteral("attribute type"), attributeType, attributeTypeName(attributeType));
        if (attributeType != 3) {
            decoded.add(QStringLiteral("attribute"), attribute);
            return;
        }
        // Pitch 7.9: a note number in the top seven bits and 512ths of a semitone below.
        decoded.add(QStringLiteral("attribute"), attribute,
            QStringLiteral("pitch %1").arg(double(attribute) / 512.0, 0, 'f', 3));
    }

    void decodeController(const Packet &packet, Decoded &decoded, const QString &what)
    {
        decoded.add(QStringLiteral("bank"), packet.bits(0, 14, 8));
        decoded.add(QStringLiteral("index"), packet.bits(0, 6, 0));
        decoded.add(what, packet.words[1],
            what == QLatin1String("value") ? QString::number(packet.words[1])
                                           : QString::number(std::int32_t(packet.words[1])));
    }

    void decodePerNoteController(const Packet &packet, Decoded &decoded)
    {
        decoded.add(QStringLiteral("note"), packet.bits(0, 14, 8));
        decoded.add(QStringLiteral("index"), packet.bits(0, 7, 0));
        decoded.add(QStringLiteral("value"), packet.words[1]);
    }

    void decodeProgramChange(const Packet &packet, Decoded &decoded)
    {
        const bool bankValid = packet.bits(0, 0, 0) != 0;
        decoded.add(QStringLiteral("program"), packet.bits(1, 30, 24));
        decoded.add(QStringLiteral("bank valid"), bankValid ? 1 : 0,
            bankValid ? QStringLiteral("yes") : QStringLiteral("no"));
        if (bankValid) {
            decoded.add(QStringLiteral("bank MSB"), packet.bits(1, 14, 8));
            decoded.add(QStringLiteral("bank LSB"), packet.bits(1, 6, 0));
        }
    }

    void decodePerNoteManagement(const Packet &packet, Decoded &decoded)
    {
        const auto yesNo
            = [](std::uint32_t bit) { return bit ? QStringLiteral("yes") : QStringLiteral("no"); };
        decoded.add(QStringLiteral("note"), packet.bits(0, 14, 8));
        decoded.add(QStringLiteral("detach controllers"), packet.bits(0, 1, 1),
            yesNo(packet.bits(0, 1, 1)));
        decoded.add(
            QStringLiteral("reset controllers"), packet.bits(0, 0, 0), yesNo(packet.bits(0, 0, 0)));
    }

    void decodeFields(std::uint32_t opcode, const Packet &packet, Decoded &decoded)
    {
        switch (opcode) {
        case 0x0:
        case 0x1:
            return decodePerNoteController(packet, decoded);
        case 0x2:
        case 0x3:
            return decodeController(packet, decoded, QStringLiteral("value"));
        case 0x4:
        case 0x5:
            return decodeController(packet, decoded, QStringLiteral("change"));
        case 0x6:
        case 0xA:
            decoded.add(QStringLiteral("note"), packet.bits(0, 14, 8));
            decoded.add(opcode == 0x6 ? QStringLiteral("bend") : QStringLiteral("pressure"),
                packet.words[1]);
            return;
        case 0x8:
        case 0x9:
            return decodeNote(packet, decoded);
        case 0xB:
            decoded.add(QStringLiteral("controller"), packet.bits(0, 14, 8));
            decoded.add(QStringLiteral("value"), packet.words[1]);
            return;
        case 0xC:
            return decodeProgramChange(packet, decoded);
        case 0xD:
            decoded.add(QStringLiteral("pressure"), packet.words[1]);
            return;
        case 0xE:
            decoded.add(QStringLiteral("bend"), packet.words[1]);
            return;
        case 0xF:
            return decodePerNoteManagement(packet, decoded);
        }
    }

} // namespace

void decodeMidi2ChannelVoice(const Packet &packet, Decoded &decoded)
{
    constexpr std::array<const char *, 16> names = {"Registered Per-Note Controller",
        "Assignable Per-Note Controller", "Registered Controller", "Assignable Controller",
        "Relative Registered Controller", "Relative Assignable Controller", "Per-Note Pitch Bend",
        nullptr, "Note Off", "Note On", "Poly Pressure", "Control Change", "Program Change",
        "Channel Pressure", "Pitch Bend", "Per-Note Management"};
    const std::uint32_t opcode = packet.bits(0, 23, 20);
    if (!names[opcode]) {
        decoded.name = QStringLiteral("MIDI 2.0, reserved opcode %1").arg(hexText(opcode, 1));
        return;
    }
    decoded.name = QStringLiteral("MIDI 2.0 %1").arg(QLatin1String(names[opcode]));
    decoded.add(QStringLiteral("channel"), packet.bits(0, 19, 16) + 1);
    decodeFields(opcode, packet, decoded);
}

} // namespace Ump::Detail
