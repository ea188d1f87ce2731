#include "MidiFile.h"

#include "capture/CaptureStore.h"
#include "files/SafeFile.h"
#include "midi/Midi1FromUmp.h"
#include "midi/MidiMessage.h"

#include <QIODevice>
#include <QStringList>
#include <algorithm>
#include <array>
#include <span>

namespace MidiFile {
namespace {

    constexpr std::uint8_t MetaEvent = 0xFF;
    constexpr std::uint8_t TextEvent = 0x01;
    constexpr std::uint8_t TrackNameEvent = 0x03;
    constexpr std::uint8_t TempoEvent = 0x51;
    constexpr std::uint8_t EndOfTrackEvent = 0x2F;

    void appendBigEndian(QByteArray &out, std::uint32_t value, int bytes)
    {
        for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
            out.append(char(value >> shift));
    }

    // Ticks from microseconds, rounded.
    std::int64_t ticksOf(std::int64_t us)
    {
        return (us * TicksPerQuarter + MicrosecondsPerQuarter / 2) / MicrosecondsPerQuarter;
    }

    // The time line of the received rows in microseconds, and so in ticks. It never runs
    // backwards: the stamps restart from zero when the input is switched. Ticks are rounded
    // from the whole time line, so that rounding errors do not add up from row to row.
    class TimeLine
    {
    public:
        std::int64_t advanceTo(std::int64_t stampUs)
        {
            if (m_lastStampUs)
                m_nowUs += std::max<std::int64_t>(0, stampUs - *m_lastStampUs);
            m_lastStampUs = stampUs;
            return ticks();
        }
        std::int64_t ticks() const { return ticksOf(m_nowUs); }

    private:
        std::optional<std::int64_t> m_lastStampUs;
        std::int64_t m_nowUs = 0;
    };

    // The track's events, built in memory because the chunk states its length first.
    class Track
    {
    public:
        // The first track of a file states its tempo.
        explicit Track(std::size_t expectedEvents, bool first = true);

        void addChannelMessage(std::int64_t time, std::span<const std::uint8_t> message);
        void addSysEx(std::int64_t time, std::span<const std::uint8_t> message);
        void addMeta(std::int64_t time, std::uint8_t type, QByteArrayView data);
        const QByteArray &bytes() const { return m_bytes; }

    private:
        void appendDelta(std::int64_t time);
        void appendMetaBody(std::uint8_t type, QByteArrayView data);
        void appendQuantity(std::uint32_t value);
        void appendBytes(std::span<const std::uint8_t> bytes);

        QByteArray m_bytes;
        std::int64_t m_time = 0;
        std::uint8_t m_runningStatus = 0; // none after a SysEx or meta event
    };

    Track::Track(std::size_t expectedEvents, bool first)
    {
        m_bytes.reserve(qsizetype(std::min<std::size_t>(expectedEvents, 1 << 24) * 4 + 64));
        if (!first)
            return;
        QByteArray tempo;
        appendBigEndian(tempo, MicrosecondsPerQuarter, 3);
        addMeta(0, TempoEvent, tempo);
    }

    void Track::addChannelMessage(std::int64_t time, std::span<const std::uint8_t> message)
    {
        appendDelta(time);
        const bool sameStatus = message.front() == m_runningStatus;
        m_runningStatus = message.front();
        appendBytes(sameStatus ? message.subspan(1) : message);
    }

    void Track::addSysEx(std::int64_t time, std::span<const std::uint8_t> message)
    {
        // The length counts the bytes after F0, its F7 included.
        appendDelta(time);
        m_bytes.append(char(SysExStatus));
        appendQuantity(std::uint32_t(message.size() - 1));
        appendBytes(message.subspan(1));
        m_runningStatus = 0;
    }

    void Track::addMeta(std::int64_t time, std::uint8_t type, QByteArrayView data)
    {
        appendDelta(time);
        appendMetaBody(type, data);
    }

    void Track::appendDelta(std::int64_t time)
    {
        // A gap longer than a delta can state (three days and more) is bridged by empty text
        // events, so that everything after it keeps its time.
        while (time - m_time > std::int64_t(LargestQuantity)) {
            appendQuantity(LargestQuantity);
            m_time += LargestQuantity;
            appendMetaBody(TextEvent, {});
        }
        appendQuantity(std::uint32_t(time - m_time));
        m_time = time;
    }

    void Track::appendMetaBody(std::uint8_t type, QByteArrayView data)
    {
        m_bytes.append(char(MetaEvent));
        m_bytes.append(char(type));
        appendQuantity(std::uint32_t(data.size()));
        m_bytes.append(data);
        m_runningStatus = 0; // a meta event ends running status, as a SysEx does
    }

    void Track::appendQuantity(std::uint32_t value)
    {
        // Seven bits a byte, most significant first; every byte but the last has bit 7 set.
        char groups[4];
        int count = 0;
        do {
            groups[count++] = char(value & 0x7F);
            value >>= 7;
        } while (value != 0);
        while (count > 1)
            m_bytes.append(char(groups[--count] | 0x80));
        m_bytes.append(groups[0]);
    }

    void Track::appendBytes(std::span<const std::uint8_t> bytes)
    {
        m_bytes.append(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
    }

    enum class Kind { Channel, SysEx, System, SysExWithoutEox, WithoutStatus, Malformed };

    Kind kindOf(std::span<const std::uint8_t> message)
    {
        if (message.empty() || !isStatusByte(message.front()))
            return Kind::WithoutStatus;
        if (message.front() == SysExStatus) {
            if (message.size() < 2 || message.back() != EndOfSysEx)
                return Kind::SysExWithoutEox;
            return message.size() - 1 > LargestQuantity ? Kind::Malformed : Kind::SysEx;
        }
        if (message.front() > SysExStatus)
            return Kind::System;
        const std::size_t expected = std::size_t(messageLength(message.front()));
        const bool whole = message.size() >= expected
            && std::none_of(
                message.begin() + 1, message.begin() + std::ptrdiff_t(expected), isStatusByte);
        return whole ? Kind::Channel : Kind::Malformed;
    }

    void add(Track &track, Counts &counts, std::int64_t time, std::span<const std::uint8_t> message)
    {
        switch (kindOf(message)) {
        case Kind::Channel:
            track.addChannelMessage(
                time, message.first(std::size_t(messageLength(message.front()))));
            ++counts.messages;
            break;
        case Kind::SysEx:
            track.addSysEx(time, message);
            ++counts.messages;
            break;
        case Kind::System:
            ++counts.system;
            break;
        case Kind::SysExWithoutEox:
            ++counts.sysExWithoutEox;
            break;
        case Kind::WithoutStatus:
            ++counts.withoutStatus;
            break;
        case Kind::Malformed:
            ++counts.malformed;
            break;
        }
    }

    // The rows of UMP messages in their MIDI 1.0 form, where they have one: a SysEx7 is put
    // back together from its packets, each group on its own, and written at its last one's
    // time.
    class UmpTranslation
    {
    public:
        void add(Track &track, Counts &counts, std::int64_t time, const Ump::Packet &packet)
        {
            const Midi1FromUmp::Translated translated = m_translator.take(packet);
            if (translated.outcome == Midi1FromUmp::Outcome::NotMidi1)
                ++counts.umpWithoutMidi1;
            else if (translated.outcome == Midi1FromUmp::Outcome::Malformed)
                ++counts.malformed;
            for (const QByteArray &message : translated.messages)
                MidiFile::add(track, counts, time,
                    std::span(reinterpret_cast<const std::uint8_t *>(message.constData()),
                        std::size_t(message.size())));
        }
        // A SysEx7 whose end never came is left out, as one without F7 is.
        void finish(Counts &counts) { counts.sysExWithoutEox += m_translator.finish().size(); }

    private:
        Midi1FromUmp m_translator;
    };

    void addRow(Track &track, UmpTranslation &translation, Counts &counts, std::int64_t time,
        const CapturedMessage &message)
    {
        if (message.isUmp())
            translation.add(track, counts, time, message.umpPacket());
        else
            add(track, counts, time, message.bytes);
    }

    // Format 0 when one track holds everything, else format 1.
    bool writeFile(std::span<const Track> tracks, QIODevice &out)
    {
        QByteArray header("MThd", 4);
        appendBigEndian(header, 6, 4);
        appendBigEndian(header, tracks.size() == 1 ? 0 : 1, 2);
        appendBigEndian(header, std::uint32_t(tracks.size()), 2);
        appendBigEndian(header, TicksPerQuarter, 2);
        if (!SafeFile::writeAll(out, header))
            return false;
        for (const Track &track : tracks) {
            QByteArray chunk("MTrk", 4);
            appendBigEndian(chunk, std::uint32_t(track.bytes().size()), 4);
            if (!SafeFile::writeAll(out, chunk) || !SafeFile::writeAll(out, track.bytes()))
                return false;
        }
        return true;
    }

    // Every received row on one time line: since the input started, bridging restarts.
    std::optional<Counts> writeOneTrack(const CaptureStore &rows, QIODevice &out)
    {
        Counts counts;
        Track track(rows.size());
        UmpTranslation translation;
        TimeLine timeLine;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const CapturedMessage message = rows.at(i);
            if (message.origin != Origin::Received) {
                ++counts.sent;
                continue;
            }
            addRow(track, translation, counts, timeLine.advanceTo(*rows.portUs(i)), message);
        }
        translation.finish(counts);
        track.addMeta(timeLine.ticks(), EndOfTrackEvent, {});
        return writeFile(std::span(&track, 1), out) ? std::optional(counts) : std::nullopt;
    }

    // A track named after each source, all on the capture's one clock: since the first
    // received row.
    std::optional<Counts> writeTrackPerSource(
        const CaptureStore &rows, std::span<const CaptureStore::Source> sources, QIODevice &out)
    {
        Counts counts;
        std::vector<Track> tracks;
        std::array<std::size_t, CaptureStore::MaxSources> trackOf {};
        for (std::size_t i = 0; i < sources.size(); ++i) {
            trackOf[sources[i]] = i;
            tracks.emplace_back(rows.size() / sources.size(), i == 0);
            tracks.back().addMeta(0, TrackNameEvent, rows.sourceName(sources[i]).toUtf8());
        }
        std::vector<std::int64_t> lastTime(tracks.size(), 0);
        std::vector<UmpTranslation> translations(tracks.size());
        std::optional<std::int64_t> firstUs;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const CapturedMessage message = rows.at(i);
            if (message.origin != Origin::Received) {
                ++counts.sent;
                continue;
            }
            firstUs = firstUs.value_or(message.stampUs);
            const std::size_t track = trackOf[message.source];
            lastTime[track] = std::max(lastTime[track], ticksOf(message.stampUs - *firstUs));
            addRow(tracks[track], translations[track], counts, lastTime[track], message);
        }
        for (UmpTranslation &translation : translations)
            translation.finish(counts);
        for (std::size_t i = 0; i < tracks.size(); ++i)
            tracks[i].addMeta(lastTime[i], EndOfTrackEvent, {});
        return writeFile(tracks, out) ? std::optional(counts) : std::nullopt;
    }

} // namespace

std::optional<Counts> write(const CaptureStore &rows, QIODevice &out)
{
    const std::vector<CaptureStore::Source> sources = rows.receivedSources();
    return sources.size() > 1 ? writeTrackPerSource(rows, sources, out) : writeOneTrack(rows, out);
}

ExportFile::Saved<Counts> save(const CaptureStore &rows, const QString &path)
{
    return ExportFile::saveCounting<Counts>(path, [&](QIODevice &out) { return write(rows, out); });
}

QString savedSentence(const Counts &counts, const QString &path)
{
    const std::pair<std::size_t, const char *> leftOut[] = {
        {counts.sent, "sent"},
        {counts.system, "real-time or system common"},
        {counts.sysExWithoutEox, "SysEx without F7"},
        {counts.withoutStatus, "without a status"},
        {counts.malformed, "malformed"},
        {counts.umpWithoutMidi1, "UMP without a MIDI 1.0 form"},
    };
    QStringList parts;
    for (const auto &[count, what] : leftOut)
        if (count > 0)
            parts << QString::number(count) + ' ' + QLatin1String(what);
    const QString details
        = parts.isEmpty() ? QString() : QStringLiteral(" (left out: %1)").arg(parts.join(", "));
    return QStringLiteral("Saved %1%2 to %3")
        .arg(ExportFile::countOf(
                 counts.messages, QStringLiteral("MIDI message"), QStringLiteral("MIDI messages")),
            details, path);
}

} // namespace MidiFile
