#include "UmpTypeDecoders.h"

#include <array>

namespace Ump::Detail {
namespace {

    QString textName(std::uint32_t bank, std::uint32_t status)
    {
        constexpr std::array<const char *, 13> metadata = {"Metadata Text", "Project Name",
            "Composition Name", "MIDI Clip Name", "Copyright Notice", "Composer Name",
            "Lyricist Name", "Arranger Name", "Publisher Name", "Primary Performer Name",
            "Accompanying Performer Name", "Recording Date", "Recording Location"};
        constexpr std::array<const char *, 5> performance
            = {"Performance Text", "Lyrics", "Lyrics Language", "Ruby", "Ruby Language"};
        if (bank == 1 && status < metadata.size())
            return QLatin1String(metadata[status]);
        if (bank == 2 && status < performance.size())
            return QLatin1String(performance[status]);
        return QStringLiteral("Flex Data text, reserved status %1").arg(hexText(status, 2));
    }

    void decodeTempo(const Packet &packet, Decoded &decoded)
    {
        decoded.name = QStringLiteral("Set Tempo");
        const std::uint32_t units = packet.words[1];
        // The tempo counts 10-nanosecond units per quarter note.
        decoded.add(QStringLiteral("10 ns units per quarter note"), units,
            units == 0 ? QStringLiteral("0")
                       : QStringLiteral("%1 (%2 BPM)").arg(units).arg(6e9 / units, 0, 'f', 3));
    }

    void decodeTimeSignature(const Packet &packet, Decoded &decoded)
    {
        decoded.name = QStringLiteral("Set Time Signature");
        const std::uint32_t power = packet.bits(1, 23, 16);
        decoded.add(QStringLiteral("numerator"), packet.bits(1, 31, 24));
        decoded.add(QStringLiteral("denominator"), power,
            power < 32 ? QString::number(1u << power) : QStringLiteral("2^%1").arg(power));
        decoded.add(QStringLiteral("32nd notes per beat"), packet.bits(1, 15, 8));
    }

    void decodeMetronome(const Packet &packet, Decoded &decoded)
    {
        decoded.name = QStringLiteral("Set Metronome");
        decoded.add(QStringLiteral("clocks per primary click"), packet.bits(1, 31, 24));
        decoded.add(QStringLiteral("bar accent part 1"), packet.bits(1, 23, 16));
        decoded.add(QStringLiteral("bar accent part 2"), packet.bits(1, 15, 8));
        decoded.add(QStringLiteral("bar accent part 3"), packet.bits(1, 7, 0));
        decoded.add(QStringLiteral("subdivision clicks 1"), packet.bits(2, 31, 24));
        decoded.add(QStringLiteral("subdivision clicks 2"), packet.bits(2, 23, 16));
    }

    void decodeKeySignature(const Packet &packet, Decoded &decoded)
    {
        decoded.name = QStringLiteral("Set Key Signature");
        const std::uint32_t field = packet.bits(1, 31, 28);
        const int sharpsOrFlats = field >= 8 ? int(field) - 16 : int(field);
        const std::uint32_t tonic = packet.bits(1, 27, 24);
        decoded.add(QStringLiteral("sharps or flats"), field,
            sharpsOrFlats < 0 ? QStringLiteral("%1 flats").arg(-sharpsOrFlats)
                              : QStringLiteral("%1 sharps").arg(sharpsOrFlats));
        decoded.add(QStringLiteral("tonic"), tonic,
            tonic >= 1 && tonic <= 7 ? QString(QChar(u'A' + char16_t(tonic - 1)))
                                     : QStringLiteral("unknown"));
    }

    void decodeSetup(std::uint32_t status, const Packet &packet, Decoded &decoded)
    {
        switch (status) {
        case 0x00:
            return decodeTempo(packet, decoded);
        case 0x01:
            return decodeTimeSignature(packet, decoded);
        case 0x02:
            return decodeMetronome(packet, decoded);
        case 0x05:
            return decodeKeySignature(packet, decoded);
        case 0x06:
            decoded.name = QStringLiteral("Set Chord Name");
            decoded.add(QStringLiteral("chord tonic"), packet.bits(1, 27, 24));
            decoded.add(QStringLiteral("chord type"), packet.bits(1, 23, 16));
            return;
        default:
            decoded.name
                = QStringLiteral("Flex Data setup, reserved status %1").arg(hexText(status, 2));
        }
    }

    QString addressText(const Packet &packet)
    {
        switch (packet.bits(0, 21, 20)) {
        case 0:
            return QStringLiteral("channel %1").arg(packet.bits(0, 19, 16) + 1);
        case 1:
            return QStringLiteral("whole group");
        default:
            return QStringLiteral("reserved %1").arg(packet.bits(0, 21, 20));
        }
    }

} // namespace

void decodeFlexData(const Packet &packet, Decoded &decoded)
{
    const std::uint32_t bank = packet.bits(0, 15, 8);
    const std::uint32_t status = packet.bits(0, 7, 0);
    if (bank == 0)
        decodeSetup(status, packet, decoded);
    else if (bank == 1 || bank == 2)
        decoded.name = textName(bank, status);
    else
        decoded.name = QStringLiteral("Flex Data, reserved status bank %1").arg(bank);
    decoded.add(
        QStringLiteral("format"), packet.bits(0, 23, 22), formatName(packet.bits(0, 23, 22)));
    decoded.add(QStringLiteral("address"), packet.bits(0, 21, 20), addressText(packet));
    if (bank == 1 || bank == 2)
        decoded.add(QStringLiteral("text"), 12, textOfBytes(packet, 4, 15));
}

} // namespace Ump::Detail
