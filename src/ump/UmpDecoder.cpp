#include "UmpDecoder.h"

#include "UmpTypeDecoders.h"

#include <QStringList>
#include <array>

namespace Ump {
namespace Detail {

    QString textOfBytes(const Packet &packet, int first, int last)
    {
        QByteArray text;
        for (int index = first; index <= last && packet.byteAt(index) != 0; ++index)
            text.append(char(packet.byteAt(index)));
        return QString::fromUtf8(text);
    }

    QString formatName(std::uint32_t format)
    {
        constexpr std::array<const char *, 4> names = {"complete", "start", "continue", "end"};
        return QString::fromLatin1(names[format & 3]);
    }

    QString hexText(std::uint32_t value, int digits)
    {
        return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
    }

} // namespace Detail

namespace {

    using namespace Detail;

    void decodeUtility(const Packet &packet, Decoded &decoded)
    {
        const std::uint32_t status = packet.bits(0, 23, 20);
        switch (status) {
        case 0x0:
            decoded.name = QStringLiteral("NOOP");
            return;
        case 0x1:
            decoded.name = QStringLiteral("JR Clock");
            decoded.add(QStringLiteral("sender clock time"), packet.bits(0, 15, 0));
            return;
        case 0x2:
            decoded.name = QStringLiteral("JR Timestamp");
            decoded.add(QStringLiteral("sender clock timestamp"), packet.bits(0, 15, 0));
            return;
        case 0x3:
            decoded.name = QStringLiteral("Delta Clockstamp Ticks Per Quarter Note");
            decoded.add(QStringLiteral("ticks per quarter note"), packet.bits(0, 15, 0));
            return;
        case 0x4:
            decoded.name = QStringLiteral("Delta Clockstamp");
            decoded.add(QStringLiteral("ticks since last event"), packet.bits(0, 19, 0));
            return;
        default:
            decoded.name = QStringLiteral("Utility, reserved status %1").arg(status);
        }
    }

    QString systemName(std::uint32_t status)
    {
        switch (status) {
        case 0xF1:
            return QStringLiteral("MIDI Time Code");
        case 0xF2:
            return QStringLiteral("Song Position Pointer");
        case 0xF3:
            return QStringLiteral("Song Select");
        case 0xF6:
            return QStringLiteral("Tune Request");
        case 0xF8:
            return QStringLiteral("Timing Clock");
        case 0xFA:
            return QStringLiteral("Start");
        case 0xFB:
            return QStringLiteral("Continue");
        case 0xFC:
            return QStringLiteral("Stop");
        case 0xFE:
            return QStringLiteral("Active Sensing");
        case 0xFF:
            return QStringLiteral("Reset");
        default:
            return QStringLiteral("System, reserved status %1").arg(hexText(status, 2));
        }
    }

    void decodeSystem(const Packet &packet, Decoded &decoded)
    {
        const std::uint32_t status = packet.bits(0, 23, 16);
        decoded.name = systemName(status);
        if (status == 0xF1) {
            decoded.add(QStringLiteral("piece"), packet.bits(0, 14, 12));
            decoded.add(QStringLiteral("value"), packet.bits(0, 11, 8));
        } else if (status == 0xF2) {
            decoded.add(
                QStringLiteral("position"), packet.bits(0, 6, 0) << 7 | packet.bits(0, 14, 8));
        } else if (status == 0xF3) {
            decoded.add(QStringLiteral("song"), packet.bits(0, 14, 8));
        }
    }

    void decodeMidi1ChannelVoice(const Packet &packet, Decoded &decoded)
    {
        constexpr std::array<const char *, 8> names = {"Note Off", "Note On", "Poly Pressure",
            "Control Change", "Program Change", "Channel Pressure", "Pitch Bend", ""};
        const std::uint32_t opcode = packet.bits(0, 23, 20);
        const std::uint32_t first = packet.bits(0, 14, 8);
        const std::uint32_t second = packet.bits(0, 6, 0);
        if (opcode < 0x8 || opcode == 0xF) {
            decoded.name = QStringLiteral("MIDI 1.0, reserved opcode %1").arg(hexText(opcode, 1));
            return;
        }
        decoded.name = QStringLiteral("MIDI 1.0 %1").arg(QLatin1String(names[opcode - 8]));
        decoded.add(QStringLiteral("channel"), packet.bits(0, 19, 16) + 1);
        switch (opcode) {
        case 0x8:
        case 0x9:
            decoded.add(QStringLiteral("note"), first);
            decoded.add(QStringLiteral("velocity"), second);
            return;
        case 0xA:
            decoded.add(QStringLiteral("note"), first);
            decoded.add(QStringLiteral("pressure"), second);
            return;
        case 0xB:
            decoded.add(QStringLiteral("controller"), first);
            decoded.add(QStringLiteral("value"), second);
            return;
        case 0xC:
            decoded.add(QStringLiteral("program"), first);
            return;
        case 0xD:
            decoded.add(QStringLiteral("pressure"), first);
            return;
        default:
            decoded.add(QStringLiteral("bend"), second << 7 | first);
        }
    }

} // namespace

Decoded decode(const Packet &packet)
{
    Decoded decoded;
    decoded.group = packet.group();
    switch (packet.typeNumber()) {
    case 0x0:
        decodeUtility(packet, decoded);
        break;
    case 0x1:
        decodeSystem(packet, decoded);
        break;
    case 0x2:
        decodeMidi1ChannelVoice(packet, decoded);
        break;
    case 0x3:
        decodeData64(packet, decoded);
        break;
    case 0x4:
        decodeMidi2ChannelVoice(packet, decoded);
        break;
    case 0x5:
        decodeData128(packet, decoded);
        break;
    case 0xD:
        decodeFlexData(packet, decoded);
        break;
    case 0xF:
        decodeStream(packet, decoded);
        break;
    default:
        decoded.name = QStringLiteral("Reserved message type %1, %2 bits")
                           .arg(hexText(packet.typeNumber(), 1))
                           .arg(32 * packet.size);
    }
    return decoded;
}

QString Decoded::line() const
{
    QString text = name;
    if (group)
        text += QStringLiteral(", group %1").arg(*group);
    QStringList parts;
    for (const Field &field : fields)
        parts.append(field.name + QLatin1Char(' ') + field.text);
    if (!parts.isEmpty())
        text += QStringLiteral(": ") + parts.join(QStringLiteral(", "));
    return text;
}

} // namespace Ump
