#include "MidiFileReader.h"

#include "ImportedRows.h"
#include "capture/TaskProgress.h"
#include "midi/Hex.h"
#include "midi/MessageAssembler.h"
#include "midi/MidiMessage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <vector>

namespace MidiFileReader {
namespace {

    constexpr std::uint8_t MetaEvent = 0xFF;
    constexpr std::uint8_t TempoEvent = 0x51;
    constexpr std::uint8_t EndOfTrackEvent = 0x2F;
    constexpr std::uint32_t DefaultTempo = 500'000; // 120 BPM, until the file says otherwise
    constexpr int HeaderSize = 14;
    constexpr int ChunkHead = 8;
    constexpr double LargestStamp = double((std::int64_t(1) << 47) - 1);

    QString atByte(qsizetype offset, const QString &what)
    {
        return QStringLiteral("At byte %1 of the file, %2").arg(offset).arg(what);
    }

    std::uint32_t bigEndian(QByteArrayView bytes, qsizetype at, int size)
    {
        std::uint32_t value = 0;
        for (int i = 0; i < size; ++i)
            value = value << 8 | std::uint8_t(bytes[at + i]);
        return value;
    }

    struct Event
    {
        std::uint64_t tick;
        std::uint32_t longIndex; // in Reader::m_long, when `size` is 0
        std::uint8_t size;
        std::array<std::uint8_t, 3> bytes;
    };

    struct TempoChange
    {
        std::uint64_t tick;
        std::uint32_t usPerQuarter;
    };

    // Ticks to microseconds from the file's start, for ticks in rising order.
    class TempoMap
    {
    public:
        TempoMap(std::uint16_t division, std::vector<TempoChange> changes)
            : m_changes(std::move(changes))
        {
            std::ranges::stable_sort(m_changes, {}, &TempoChange::tick);
            if (division & 0x8000) {
                // SMPTE: frames a second (29 stands for 29.97) times ticks a frame.
                const int frames = -std::int8_t(division >> 8);
                m_ticksPerSecond = (frames == 29 ? 30'000.0 / 1'001 : frames) * (division & 0xFF);
            } else {
                m_ticksPerQuarter = division;
            }
        }

        double usAt(std::uint64_t tick)
        {
            if (m_ticksPerSecond > 0)
                return double(tick) * 1e6 / m_ticksPerSecond;
            for (; m_next < m_changes.size() && m_changes[m_next].tick <= tick; ++m_next) {
                m_us += double(m_changes[m_next].tick - m_tick) * m_tempo / m_ticksPerQuarter;
                m_tick = m_changes[m_next].tick;
                m_tempo = m_changes[m_next].usPerQuarter;
            }
            return m_us + double(tick - m_tick) * m_tempo / m_ticksPerQuarter;
        }

    private:
        std::vector<TempoChange> m_changes;
        double m_ticksPerSecond = 0;
        double m_ticksPerQuarter = 0;
        std::size_t m_next = 0;
        std::uint64_t m_tick = 0;
        double m_us = 0;
        double m_tempo = DefaultTempo;
    };

    class Reader
    {
    public:
        Reader(QByteArrayView file, TaskProgress &progress)
            : m_file(file)
            , m_progress(progress)
        { }

        QString run(ImportedRows &rows)
        {
            m_progress.setTotal(std::size_t(m_file.size()));
            QString reason = readHeader();
            while (reason.isEmpty() && m_at < m_file.size() && !m_progress.cancelled)
                reason = readChunk();
            if (reason.isEmpty() && m_tracksRead != m_tracks && !m_progress.cancelled)
                reason = atByte(m_at,
                    QStringLiteral("the file ends after %1 of the %2 tracks it declared.")
                        .arg(m_tracksRead)
                        .arg(m_tracks));
            return reason.isEmpty() && !m_progress.cancelled ? store(rows) : reason;
        }

    private:
        QString readHeader()
        {
            if (m_file.size() < HeaderSize || bigEndian(m_file, 4, 4) < 6)
                return QStringLiteral("The file ends inside its header: it was cut short.");
            const std::uint32_t format = bigEndian(m_file, 8, 2);
            m_tracks = bigEndian(m_file, 10, 2);
            m_division = std::uint16_t(bigEndian(m_file, 12, 2));
            if (format > 1)
                return atByte(8,
                    QStringLiteral("the file is of format %1; Lumetra reads formats 0 and 1.")
                        .arg(format));
            if (format == 0 && m_tracks != 1)
                return atByte(10,
                    QStringLiteral("a file of format 0 declares %1 tracks, not 1.").arg(m_tracks));
            if (!divisionIsTimed())
                return atByte(12, QStringLiteral("the file's division times no event."));
            m_at = ChunkHead + qsizetype(bigEndian(m_file, 4, 4));
            if (m_at > m_file.size())
                return QStringLiteral("The file ends inside its header: it was cut short.");
            return {};
        }

        bool divisionIsTimed() const
        {
            if (!(m_division & 0x8000))
                return m_division > 0;
            const int frames = -std::int8_t(m_division >> 8);
            return (frames == 24 || frames == 25 || frames == 29 || frames == 30)
                && (m_division & 0xFF) > 0;
        }

        QString readChunk()
        {
            const qsizetype start = m_at;
            if (m_file.size() - start < ChunkHead)
                return atByte(start, QStringLiteral("the file ends inside a chunk's head."));
            const qsizetype end = start + ChunkHead + qsizetype(bigEndian(m_file, start + 4, 4));
            if (end > m_file.size())
                return atByte(start,
                    QStringLiteral("a chunk of %1 bytes begins, more than the file holds: it was "
                                   "cut short.")
                        .arg(end - start - ChunkHead));
            m_at = end;
            if (m_file.sliced(start, 4) != "MTrk")
                return {};
            if (++m_tracksRead > m_tracks)
                return atByte(start,
                    QStringLiteral("a track comes beyond the %1 the file declared.").arg(m_tracks));
            return readTrack(start + ChunkHead, end);
        }

        QString readTrack(qsizetype at, qsizetype end)
        {
            Track track(at, end);
            while (track.at < end && !track.ended) {
                if (const QString reason = readEvent(track); !reason.isEmpty())
                    return reason;
                if (m_events.size() % 65'536 == 0) {
                    m_progress.setDone(std::size_t(track.at));
                    if (m_progress.cancelled)
                        return {};
                }
            }
            track.stream.flush(deliverTo(track));
            return {};
        }

        struct Track
        {
            Track(qsizetype start, qsizetype stop)
                : at(start)
                , end(stop)
            { }

            qsizetype at;
            qsizetype end;
            std::uint64_t tick = 0;
            std::uint64_t sysExTick = 0; // of the F0 event of a SysEx still open
            std::uint8_t runningStatus = 0;
            bool ended = false;
            // The bytes of SysEx and escape events, read as a byte stream.
            MessageAssembler stream;
        };

        std::optional<std::uint8_t> byte(Track &track)
        {
            if (track.at == track.end)
                return std::nullopt;
            return std::uint8_t(m_file[track.at++]);
        }

        std::optional<std::uint32_t> quantity(Track &track)
        {
            std::uint32_t value = 0;
            for (int i = 0; i < 4; ++i) {
                const std::optional<std::uint8_t> next = byte(track);
                if (!next)
                    return std::nullopt;
                value = value << 7 | (*next & 0x7F);
                if (!(*next & 0x80))
                    return value;
            }
            return std::nullopt;
        }

        QString readEvent(Track &track)
        {
            const qsizetype start = track.at;
            const std::optional<std::uint32_t> delta = quantity(track);
            if (!delta)
                return atByte(start,
                    QStringLiteral("a delta time is cut short by its track's end, or longer "
                                   "than four bytes."));
            track.tick += *delta;
            const qsizetype eventAt = track.at;
            const std::optional<std::uint8_t> first = byte(track);
            if (!first)
                return atByte(eventAt, QStringLiteral("the track ends inside an event."));
            if (*first == MetaEvent || *first == SysExStatus || *first == EndOfSysEx) {
                track.runningStatus = 0;
                const std::optional<std::uint8_t> metaType
                    = *first == MetaEvent ? byte(track) : std::nullopt;
                const std::optional<std::uint32_t> size = quantity(track);
                if ((*first == MetaEvent && !metaType) || !size
                    || *size > std::uint64_t(track.end - track.at))
                    return atByte(
                        eventAt, QStringLiteral("an event's length reaches past its track's end."));
                const QByteArrayView data = m_file.sliced(track.at, *size);
                track.at += *size;
                return metaType ? takeMeta(track, eventAt, *metaType, data)
                                : takeSysEx(track, *first, data);
            }
            return takeChannelMessage(track, eventAt, *first);
        }

        QString takeMeta(Track &track, qsizetype eventAt, std::uint8_t type, QByteArrayView data)
        {
            if (type == EndOfTrackEvent)
                track.ended = true;
            if (type != TempoEvent)
                return {};
            if (data.size() != 3)
                return atByte(eventAt,
                    QStringLiteral("a tempo change holds %1 bytes, not 3.").arg(data.size()));
            m_tempo.push_back({track.tick, bigEndian(data, 0, 3)});
            return {};
        }

        QString takeSysEx(Track &track, std::uint8_t kind, QByteArrayView data)
        {
            const auto bytes = std::span(
                reinterpret_cast<const std::uint8_t *>(data.data()), std::size_t(data.size()));
            if (kind == SysExStatus) {
                track.sysExTick = track.tick;
                const std::uint8_t status[] = {SysExStatus};
                track.stream.feed(status, {}, deliverTo(track));
            }
            track.stream.feed(bytes, {}, deliverTo(track));
            return {};
        }

        QString takeChannelMessage(Track &track, qsizetype eventAt, std::uint8_t first)
        {
            std::array<std::uint8_t, 3> message {first};
            int size = 1;
            if (!isStatusByte(first)) {
                if (!track.runningStatus)
                    return atByte(eventAt,
                        QStringLiteral("a data byte (%1) begins an event, with no status before "
                                       "it to reuse.")
                            .arg(QString::fromStdString(Hex::byteText(first))));
                message = {track.runningStatus, first};
                size = 2;
            } else if (!isChannelStatus(first)) {
                return atByte(eventAt,
                    QStringLiteral("an event begins with %1, which no event of a MIDI file "
                                   "begins with.")
                        .arg(QString::fromStdString(Hex::byteText(first))));
            }
            track.runningStatus = message[0];
            for (const int length = messageLength(message[0]); size < length; ++size) {
                const qsizetype at = track.at;
                const std::optional<std::uint8_t> data = byte(track);
                if (!data || isStatusByte(*data))
                    return atByte(at, QStringLiteral("a channel message is short of a data byte."));
                message[std::size_t(size)] = *data;
            }
            // A SysEx still open was cut short: it goes before this message, as on a cable.
            track.stream.flush(deliverTo(track));
            m_events.push_back({track.tick, 0, std::uint8_t(size), message});
            return {};
        }

        MessageAssembler::Deliver deliverTo(Track &track)
        {
            return [this, &track](std::span<const std::uint8_t> bytes, auto) {
                const bool sysEx = bytes.front() == SysExStatus;
                const std::uint64_t tick = sysEx ? track.sysExTick : track.tick;
                if (bytes.size() <= 3) {
                    Event event {tick, 0, std::uint8_t(bytes.size()), {}};
                    std::ranges::copy(bytes, event.bytes.begin());
                    m_events.push_back(event);
                    return;
                }
                m_events.push_back({tick, std::uint32_t(m_long.size()), 0, {}});
                m_long.emplace_back(
                    reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
            };
        }

        // Every track's events in the order they play; of one tick, in the order of the file.
        QString store(ImportedRows &rows)
        {
            std::ranges::stable_sort(m_events, {}, &Event::tick);
            TempoMap time(m_division, std::move(m_tempo));
            const CaptureStore::Source source = rows.fileSource();
            for (const Event &event : m_events) {
                const double us = std::round(time.usAt(event.tick));
                if (!(us <= LargestStamp))
                    return QStringLiteral("The file's events last beyond four years.");
                const auto bytes = event.size ? std::span(event.bytes.data(), event.size)
                                              : std::span(reinterpret_cast<const std::uint8_t *>(
                                                              m_long[event.longIndex].constData()),
                                                  std::size_t(m_long[event.longIndex].size()));
                rows.append(source, std::int64_t(us), bytes);
            }
            m_progress.setDone(m_progress.total);
            return {};
        }

        const QByteArrayView m_file;
        TaskProgress &m_progress;
        qsizetype m_at = 0;
        std::uint32_t m_tracks = 0;
        std::uint32_t m_tracksRead = 0;
        std::uint16_t m_division = 0;
        std::vector<Event> m_events;
        std::vector<QByteArray> m_long;
        std::vector<TempoChange> m_tempo;
    };

} // namespace

bool isMidiFile(QByteArrayView start)
{
    return start.startsWith("MThd");
}

QString read(QByteArrayView file, ImportedRows &rows, TaskProgress &progress)
{
    return Reader(file, progress).run(rows);
}

} // namespace MidiFileReader
