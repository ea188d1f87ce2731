#include "UmpFileReader.h"

#include "ImportedRows.h"
#include "midi/Midi1FromUmp.h"
#include "ump/MidiClipFile.h"
#include "ump/UmpDecoder.h"
#include "ump/UmpWordDump.h"

#include <optional>

namespace UmpFileReader {
namespace {

    // Packets that time or frame a clip rather than carry traffic: nothing of them is lost.
    bool isClipFraming(const Ump::Packet &packet)
    {
        if (packet.type() == Ump::MessageType::Utility)
            return packet.bits(0, 23, 20) == 0x0 || packet.bits(0, 23, 20) >= 0x3;
        return packet.type() == Ump::MessageType::Stream
            && (packet.bits(0, 25, 16) == 0x20 || packet.bits(0, 25, 16) == 0x21);
    }

    class Rows
    {
    public:
        explicit Rows(ImportedRows &rows)
            : m_rows(rows)
        { }

        void append(int group, std::int64_t stampUs, const QByteArray &bytes)
        {
            std::optional<CaptureStore::Source> &source = m_sources[std::size_t(group - 1)];
            if (!source)
                source = m_rows.partSource(QStringLiteral("group %1").arg(group));
            if (source)
                m_rows.append(*source, stampUs,
                    std::span(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                        std::size_t(bytes.size())));
        }

    private:
        ImportedRows &m_rows;
        std::array<std::optional<CaptureStore::Source>, 16> m_sources;
    };

    struct LeftOut
    {
        std::size_t count = 0;
        QString first;

        void add(const Ump::Event &event, std::size_t index)
        {
            if (count++ == 0)
                first = QStringLiteral("message %1, %2")
                            .arg(index + 1)
                            .arg(Ump::decode(event.packet).line());
        }
        QString notice() const
        {
            if (count == 0)
                return {};
            return QStringLiteral("%1 UMP messages were left out: rows hold MIDI 1.0, and these "
                                  "carry something else or are malformed. The first is %2.")
                .arg(count)
                .arg(first);
        }
    };

} // namespace

bool isUmpFile(QByteArrayView file)
{
    return MidiClipFile::isClipFile(file) || UmpWordDump::isWordDump(file);
}

QString read(QByteArrayView file, ImportedRows &rows)
{
    const Ump::ReadEvents read
        = MidiClipFile::isClipFile(file) ? MidiClipFile::read(file) : UmpWordDump::read(file);
    if (!read.reason.isEmpty())
        return read.reason;
    Midi1FromUmp translator;
    Rows stored(rows);
    LeftOut leftOut;
    for (std::size_t index = 0; index < read.events.size(); ++index) {
        const Ump::Event &event = read.events[index];
        const Midi1FromUmp::Translated translated = translator.take(event.packet);
        if (translated.outcome != Midi1FromUmp::Outcome::Carried) {
            if (!isClipFraming(event.packet))
                leftOut.add(event, index);
            continue;
        }
        // Sixteen groups at most: each always finds room for its source.
        for (const QByteArray &message : translated.messages)
            stored.append(event.packet.group().value_or(1), event.stampUs, message);
    }
    const std::int64_t endUs = read.events.empty() ? 0 : read.events.back().stampUs;
    for (const auto &[group, cutShort] : translator.finish())
        stored.append(group, endUs, cutShort);
    rows.setNotice(leftOut.notice());
    return {};
}

} // namespace UmpFileReader
