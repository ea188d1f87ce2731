#include "MidiClipFile.h"

#include <QtEndian>

namespace MidiClipFile {
namespace {

    constexpr QByteArrayView Magic = "SMF2CLIP";
    // Set Tempo counts 10-nanosecond units a quarter note: 120 BPM.
    constexpr std::uint32_t DefaultTempo = 50'000'000;
    // The store's stamps hold 48 bits.
    constexpr std::int64_t LargestStampUs = (std::int64_t(1) << 47) - 1;

    // The moment of the ticks counted so far: the ticks since the last change of tempo or
    // resolution count from the moment of that change.
    class ClipClock
    {
    public:
        std::int64_t nowUs() const
        {
            if (!hasResolution())
                return m_changeUs;
            // A quarter note lasts tempo / 100 us. Counted in whole hundreds of quarter notes
            // and the rest, so that no product overflows: the reader stops at the first
            // moment past what a stamp holds.
            const std::int64_t hundredQuarters = 100 * std::int64_t(m_ticksPerQuarter);
            const std::int64_t whole = m_ticksSinceChange / hundredQuarters;
            const std::int64_t rest = m_ticksSinceChange % hundredQuarters;
            return m_changeUs + whole * m_tempo + rest * m_tempo / hundredQuarters;
        }
        bool hasResolution() const { return m_ticksPerQuarter != 0; }
        void setTicksPerQuarter(std::uint32_t ticks)
        {
            change();
            m_ticksPerQuarter = ticks;
        }
        void setTempo(std::uint32_t units)
        {
            change();
            m_tempo = units;
        }
        void advance(std::uint32_t ticks) { m_ticksSinceChange += ticks; }

    private:
        void change()
        {
            if (hasResolution())
                m_changeUs = nowUs();
            m_ticksSinceChange = 0;
        }

        std::int64_t m_changeUs = 0;
        std::int64_t m_ticksSinceChange = 0;
        std::uint32_t m_ticksPerQuarter = 0;
        std::uint32_t m_tempo = DefaultTempo;
    };

    bool isTempo(const Ump::Packet &packet)
    {
        return packet.type() == Ump::MessageType::FlexData && packet.bits(0, 15, 0) == 0
            && packet.bits(1, 31, 0) != 0;
    }

    // Why the packet cannot be timed, or an empty text.
    QString keepTime(const Ump::Packet &packet, ClipClock &clock)
    {
        if (packet.type() == Ump::MessageType::Utility && packet.bits(0, 23, 20) == 0x3) {
            if (packet.bits(0, 15, 0) == 0)
                return QStringLiteral("it gives 0 ticks per quarter note");
            clock.setTicksPerQuarter(packet.bits(0, 15, 0));
        } else if (packet.type() == Ump::MessageType::Utility && packet.bits(0, 23, 20) == 0x4) {
            if (!clock.hasResolution())
                return QStringLiteral("a Delta Clockstamp comes before the ticks per quarter "
                                      "note are given");
            clock.advance(packet.bits(0, 19, 0));
        } else if (isTempo(packet)) {
            clock.setTempo(packet.words[1]);
        }
        return {};
    }

} // namespace

bool isClipFile(QByteArrayView file)
{
    return file.startsWith(Magic);
}

Ump::ReadEvents read(QByteArrayView file)
{
    const QByteArrayView stream = file.sliced(Magic.size());
    if (stream.size() % 4 != 0)
        return {{},
            QStringLiteral("The clip ends inside a word, %1 bytes after its header.")
                .arg(stream.size())};
    std::vector<std::uint32_t> words(std::size_t(stream.size() / 4));
    for (std::size_t index = 0; index < words.size(); ++index)
        words[index] = qFromBigEndian<std::uint32_t>(stream.data() + 4 * index);
    Ump::ReadEvents result;
    ClipClock clock;
    for (std::size_t at = 0; at < words.size();) {
        const auto packet = Ump::packetAt(std::span(words).subspan(at));
        const qsizetype offset = qsizetype(Magic.size() + 4 * at);
        if (!packet)
            return {{}, QStringLiteral("Offset %1: the clip ends inside a message.").arg(offset)};
        if (const QString fault = keepTime(*packet, clock); !fault.isEmpty())
            return {{}, QStringLiteral("Offset %1: %2.").arg(offset).arg(fault)};
        if (clock.nowUs() > LargestStampUs)
            return {
                {}, QStringLiteral("Offset %1: the clip runs longer than four years.").arg(offset)};
        result.events.push_back({clock.nowUs(), *packet});
        at += packet->size;
    }
    return result;
}

} // namespace MidiClipFile
