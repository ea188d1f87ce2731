#include "UmpTypeDecoders.h"

#include <QStringList>

namespace Ump::Detail {
namespace {

    // Bytes `first` on of the packet, `count` of them, as hex.
    QString bytesText(const Packet &packet, int first, int count)
    {
        QStringList bytes;
        for (int index = first; index < first + count; ++index)
            bytes.append(hexText(packet.byteAt(index), 2));
        return bytes.join(QLatin1Char(' '));
    }

    // The byte count a packet claims, within the room it has: a count beyond the room is
    // said to be wrong rather than read past the packet's end.
    void addByteCount(Decoded &decoded, std::uint32_t count, std::uint32_t room)
    {
        decoded.add(QStringLiteral("bytes"), count,
            count <= room
                ? QString::number(count)
                : QStringLiteral("%1 (more than the %2 a packet holds)").arg(count).arg(room));
    }

    void decodeMixedDataSet(const Packet &packet, Decoded &decoded)
    {
        decoded.add(QStringLiteral("MDS ID"), packet.bits(0, 19, 16));
        if (packet.bits(0, 23, 20) == 0x9) {
            decoded.name = QStringLiteral("Mixed Data Set Payload");
            decoded.add(QStringLiteral("data"), 14, bytesText(packet, 2, 14));
            return;
        }
        decoded.name = QStringLiteral("Mixed Data Set Header");
        decoded.add(QStringLiteral("valid bytes in chunk"), packet.bits(0, 15, 0));
        decoded.add(QStringLiteral("chunks"), packet.bits(1, 31, 16));
        decoded.add(QStringLiteral("chunk"), packet.bits(1, 15, 0));
        decoded.add(QStringLiteral("manufacturer ID"), packet.bits(2, 31, 16),
            hexText(packet.bits(2, 31, 16), 4));
        decoded.add(
            QStringLiteral("device ID"), packet.bits(2, 15, 0), hexText(packet.bits(2, 15, 0), 4));
        decoded.add(
            QStringLiteral("sub-ID#1"), packet.bits(3, 31, 16), hexText(packet.bits(3, 31, 16), 4));
        decoded.add(
            QStringLiteral("sub-ID#2"), packet.bits(3, 15, 0), hexText(packet.bits(3, 15, 0), 4));
    }

} // namespace

void decodeData64(const Packet &packet, Decoded &decoded)
{
    const std::uint32_t status = packet.bits(0, 23, 20);
    if (status > 3) {
        decoded.name = QStringLiteral("Data 64, reserved status %1").arg(status);
        return;
    }
    decoded.name = QStringLiteral("SysEx7 %1").arg(formatName(status));
    const std::uint32_t count = packet.bits(0, 19, 16);
    addByteCount(decoded, count, 6);
    decoded.add(QStringLiteral("data"), count, bytesText(packet, 2, int(std::min(count, 6u))));
}

void decodeData128(const Packet &packet, Decoded &decoded)
{
    const std::uint32_t status = packet.bits(0, 23, 20);
    if (status == 0x8 || status == 0x9)
        return decodeMixedDataSet(packet, decoded);
    if (status > 3) {
        decoded.name = QStringLiteral("Data 128, reserved status %1").arg(status);
        return;
    }
    decoded.name = QStringLiteral("SysEx8 %1").arg(formatName(status));
    // The count includes the stream ID.
    const std::uint32_t count = packet.bits(0, 19, 16);
    addByteCount(decoded, count, 14);
    decoded.add(QStringLiteral("stream ID"), packet.bits(0, 15, 8));
    const int dataBytes = count == 0 ? 0 : int(std::min(count, 14u)) - 1;
    decoded.add(QStringLiteral("data"), std::uint32_t(dataBytes), bytesText(packet, 3, dataBytes));
}

} // namespace Ump::Detail
