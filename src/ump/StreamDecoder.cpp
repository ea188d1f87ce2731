#include "UmpTypeDecoders.h"
#include "decode/ManufacturerNames.h"

#include <array>

namespace Ump::Detail {
namespace {

    QString yesNo(std::uint32_t bit)
    {
        return bit ? QStringLiteral("yes") : QStringLiteral("no");
    }

    QString choiceText(std::span<const char *const> names, std::uint32_t value)
    {
        return value < names.size() ? QLatin1String(names[value])
                                    : QStringLiteral("reserved %1").arg(value);
    }

    void addVersion(const Packet &packet, Decoded &decoded)
    {
        decoded.add(QStringLiteral("UMP version"), packet.bits(0, 15, 0),
            QStringLiteral("%1.%2").arg(packet.bits(0, 15, 8)).arg(packet.bits(0, 7, 0)));
    }

    void decodeEndpointInfo(const Packet &packet, Decoded &decoded)
    {
        addVersion(packet, decoded);
        decoded.add(QStringLiteral("static function blocks"), packet.bits(1, 31, 31),
            yesNo(packet.bits(1, 31, 31)));
        decoded.add(QStringLiteral("function blocks"), packet.bits(1, 30, 24));
        decoded.add(
            QStringLiteral("MIDI 2.0 protocol"), packet.bits(1, 9, 9), yesNo(packet.bits(1, 9, 9)));
        decoded.add(
            QStringLiteral("MIDI 1.0 protocol"), packet.bits(1, 8, 8), yesNo(packet.bits(1, 8, 8)));
        decoded.add(QStringLiteral("receives JR timestamps"), packet.bits(1, 1, 1),
            yesNo(packet.bits(1, 1, 1)));
        decoded.add(QStringLiteral("sends JR timestamps"), packet.bits(1, 0, 0),
            yesNo(packet.bits(1, 0, 0)));
    }

    QString manufacturerText(std::uint32_t first, std::uint32_t second, std::uint32_t third)
    {
        // A one-byte ID comes as that byte followed by two zeros.
        const auto name = first != 0
            ? ManufacturerNames::ofOneByte(std::uint8_t(first))
            : ManufacturerNames::ofThreeByte(std::uint8_t(second), std::uint8_t(third));
        const QString id = first != 0
            ? hexText(first, 2)
            : QStringLiteral("00 %1 %2").arg(hexText(second, 2), hexText(third, 2));
        return name ? id + QLatin1Char(' ') + QString::fromUtf8(name->data(), name->size()) : id;
    }

    void decodeDeviceIdentity(const Packet &packet, Decoded &decoded)
    {
        decoded.add(QStringLiteral("manufacturer"), packet.bits(1, 23, 0),
            manufacturerText(packet.bits(1, 22, 16), packet.bits(1, 14, 8), packet.bits(1, 6, 0)));
        // Family and model come least significant 7 bits first.
        const std::uint32_t family = packet.bits(2, 22, 16) << 7 | packet.bits(2, 30, 24);
        const std::uint32_t model = packet.bits(2, 6, 0) << 7 | packet.bits(2, 14, 8);
        decoded.add(QStringLiteral("family"), family,
            QStringLiteral("%1 (%2)").arg(hexText(family, 4)).arg(family));
        decoded.add(QStringLiteral("model"), model,
            QStringLiteral("%1 (%2)").arg(hexText(model, 4)).arg(model));
        decoded.add(QStringLiteral("software revision"), packet.words[3],
            QStringLiteral("%1 %2 %3 %4")
                .arg(hexText(packet.bits(3, 30, 24), 2), hexText(packet.bits(3, 22, 16), 2),
                    hexText(packet.bits(3, 14, 8), 2), hexText(packet.bits(3, 6, 0), 2)));
    }

    void decodeStreamConfiguration(const Packet &packet, Decoded &decoded)
    {
        constexpr std::array<const char *, 3> protocols = {"reserved 0", "MIDI 1.0", "MIDI 2.0"};
        decoded.add(QStringLiteral("protocol"), packet.bits(0, 15, 8),
            choiceText(protocols, packet.bits(0, 15, 8)));
        decoded.add(QStringLiteral("receives JR timestamps"), packet.bits(0, 1, 1),
            yesNo(packet.bits(0, 1, 1)));
        decoded.add(QStringLiteral("sends JR timestamps"), packet.bits(0, 0, 0),
            yesNo(packet.bits(0, 0, 0)));
    }

    void decodeFunctionBlockInfo(const Packet &packet, Decoded &decoded)
    {
        constexpr std::array<const char *, 4> hints = {"unknown", "receiver", "sender", "both"};
        constexpr std::array<const char *, 3> midi1
            = {"no", "yes, unrestricted bandwidth", "yes, restricted to 31.25 kb/s"};
        constexpr std::array<const char *, 4> directions
            = {"reserved 0", "input", "output", "bidirectional"};
        decoded.add(
            QStringLiteral("active"), packet.bits(0, 15, 15), yesNo(packet.bits(0, 15, 15)));
        decoded.add(QStringLiteral("function block"), packet.bits(0, 14, 8));
        decoded.add(QStringLiteral("UI hint"), packet.bits(0, 5, 4),
            choiceText(hints, packet.bits(0, 5, 4)));
        decoded.add(QStringLiteral("MIDI 1.0"), packet.bits(0, 3, 2),
            choiceText(midi1, packet.bits(0, 3, 2)));
        decoded.add(QStringLiteral("direction"), packet.bits(0, 1, 0),
            choiceText(directions, packet.bits(0, 1, 0)));
        decoded.add(QStringLiteral("first group"), packet.bits(1, 31, 24),
            QString::number(packet.bits(1, 31, 24) + 1));
        decoded.add(QStringLiteral("groups spanned"), packet.bits(1, 23, 16));
        // The MIDI-CI message version/format byte, whole: 0 when the block does no MIDI-CI.
        decoded.add(QStringLiteral("MIDI-CI version"), packet.bits(1, 15, 8),
            hexText(packet.bits(1, 15, 8), 2));
        decoded.add(QStringLiteral("SysEx8 streams"), packet.bits(1, 7, 0));
    }

    void decodeFields(std::uint32_t status, const Packet &packet, Decoded &decoded)
    {
        switch (status) {
        case 0x00:
            addVersion(packet, decoded);
            decoded.add(
                QStringLiteral("filter"), packet.bits(1, 7, 0), hexText(packet.bits(1, 7, 0), 2));
            return;
        case 0x01:
            return decodeEndpointInfo(packet, decoded);
        case 0x02:
            return decodeDeviceIdentity(packet, decoded);
        case 0x03:
        case 0x04:
            decoded.add(QStringLiteral("text"), 14, textOfBytes(packet, 2, 15));
            return;
        case 0x05:
        case 0x06:
            return decodeStreamConfiguration(packet, decoded);
        case 0x10:
            decoded.add(QStringLiteral("function block"), packet.bits(0, 15, 8),
                packet.bits(0, 15, 8) == 0xFF ? QStringLiteral("all")
                                              : QString::number(packet.bits(0, 15, 8)));
            decoded.add(
                QStringLiteral("filter"), packet.bits(0, 7, 0), hexText(packet.bits(0, 7, 0), 2));
            return;
        case 0x11:
            return decodeFunctionBlockInfo(packet, decoded);
        case 0x12:
            // The name begins in the byte after the block's number, not in the next word.
            decoded.add(QStringLiteral("function block"), packet.bits(0, 15, 8));
            decoded.add(QStringLiteral("text"), 13, textOfBytes(packet, 3, 15));
            return;
        }
    }

    QString statusName(std::uint32_t status)
    {
        switch (status) {
        case 0x00:
            return QStringLiteral("Endpoint Discovery");
        case 0x01:
            return QStringLiteral("Endpoint Info Notification");
        case 0x02:
            return QStringLiteral("Device Identity Notification");
        case 0x03:
            return QStringLiteral("Endpoint Name Notification");
        case 0x04:
            return QStringLiteral("Product Instance Id Notification");
        case 0x05:
            return QStringLiteral("Stream Configuration Request");
        case 0x06:
            return QStringLiteral("Stream Configuration Notification");
        case 0x10:
            return QStringLiteral("Function Block Discovery");
        case 0x11:
            return QStringLiteral("Function Block Info Notification");
        case 0x12:
            return QStringLiteral("Function Block Name Notification");
        case 0x20:
            return QStringLiteral("Start of Clip");
        case 0x21:
            return QStringLiteral("End of Clip");
        default:
            return {};
        }
    }

} // namespace

void decodeStream(const Packet &packet, Decoded &decoded)
{
    const std::uint32_t status = packet.bits(0, 25, 16);
    decoded.name = statusName(status);
    if (decoded.name.isEmpty()) {
        decoded.name = QStringLiteral("UMP Stream, reserved status %1").arg(hexText(status, 3));
        return;
    }
    // Only the texts run over several packets; the format of the others is always 0.
    if (status == 0x03 || status == 0x04 || status == 0x12)
        decoded.add(
            QStringLiteral("format"), packet.bits(0, 27, 26), formatName(packet.bits(0, 27, 26)));
    decodeFields(status, packet, decoded);
}

} // namespace Ump::Detail
