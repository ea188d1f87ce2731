#include "CaptureReader.h"

#include "CaptureFormat.h"
#include "TaskProgress.h"

#include <QIODevice>
#include <QStringList>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <zlib.h>

namespace CaptureReader {
namespace {

    using namespace CaptureFormat;

    constexpr std::int64_t LargestStamp = (std::int64_t(1) << 47) - 1;
    // What the store spends on a long message besides its bytes: the shared array's header
    // and its place in the arena.
    constexpr double LongMessageCost = 64;
    constexpr double MiB = 1024.0 * 1024.0;
    constexpr std::uint64_t Unbounded = std::numeric_limits<std::uint64_t>::max();

    bool isStamp(std::int64_t stampUs)
    {
        return stampUs >= -LargestStamp - 1 && stampUs <= LargestStamp;
    }

    // Why no Lumetra could have stored the row, or nothing. What arrives is stored as the
    // input assembled it: a message short of data, a lone data byte or a SysEx cut short are
    // all kept, but never nothing, and nothing longer than three bytes but a SysEx. What was
    // sent holds bytes (earlier versions kept a stray one past a message); a failed send
    // holds what it tried to send, or nothing in files of versions that did not keep it.
    QString impossibleRow(Origin origin, std::span<const std::uint8_t> bytes)
    {
        switch (origin) {
        case Origin::Received:
            if (bytes.empty())
                return QStringLiteral("a received row holds no bytes.");
            if (bytes.size() > 3 && bytes.front() != 0xF0)
                return QStringLiteral("a received row of %1 bytes is no SysEx.").arg(bytes.size());
            return {};
        case Origin::Sent:
            return bytes.empty() ? QStringLiteral("a sent row holds no bytes.") : QString();
        case Origin::SendFailed:
            return {};
        }
        return {};
    }

    QString atByte(qint64 offset, const QString &what)
    {
        return QStringLiteral("At byte %1 of the file, %2").arg(offset).arg(what);
    }

    // The bytes of a chunk's payload, read with a check of every length against what is
    // left; offsets are the file's.
    class Payload
    {
    public:
        Payload(QByteArrayView bytes, qint64 fileOffset)
            : m_bytes(bytes)
            , m_fileOffset(fileOffset)
        { }

        bool atEnd() const { return m_at == m_bytes.size(); }
        qint64 offset() const { return m_fileOffset + m_at; }

        std::optional<std::uint8_t> byte()
        {
            if (atEnd())
                return std::nullopt;
            return std::uint8_t(m_bytes[m_at++]);
        }
        std::optional<std::uint64_t> varint()
        {
            std::uint64_t value = 0;
            for (int shift = 0; shift < 7 * LongestVarint; shift += 7) {
                const std::optional<std::uint8_t> next = byte();
                if (!next)
                    return std::nullopt;
                value |= std::uint64_t(*next & 0x7F) << shift;
                if (!(*next & 0x80))
                    return value;
            }
            return std::nullopt;
        }
        std::optional<std::span<const std::uint8_t>> bytes(std::uint64_t size)
        {
            if (size > std::uint64_t(m_bytes.size() - m_at))
                return std::nullopt;
            const auto *start = reinterpret_cast<const std::uint8_t *>(m_bytes.data()) + m_at;
            m_at += qsizetype(size);
            return std::span(start, std::size_t(size));
        }
        template<typename Integer>
        std::optional<Integer> littleEndian()
        {
            const auto stored = bytes(sizeof(Integer));
            if (!stored)
                return std::nullopt;
            std::uint64_t value = 0;
            for (std::size_t i = 0; i < sizeof(Integer); ++i)
                value |= std::uint64_t((*stored)[i]) << (8 * i);
            return Integer(value);
        }

    private:
        QByteArrayView m_bytes;
        qint64 m_fileOffset;
        qsizetype m_at = 0;
    };

    // What the info chunk declares, which the rows must keep to.
    struct Declared
    {
        std::uint64_t rows = 0;
        std::uint64_t longRows = 0;
        std::uint64_t longBytes = 0;
    };

    class Parser
    {
    public:
        Parser(QIODevice &in, qint64 memoryRoom, TaskProgress &progress,
            std::unique_ptr<CaptureStore> rows = std::make_unique<CaptureStore>())
            : m_in(in)
            , m_memoryRoom(memoryRoom)
            , m_progress(progress)
            , m_rows(std::move(rows))
        { }

        // Reads the chunks' heads alone, and leaves the rows on disk, numbered from
        // `firstOnDisk`.
        Loaded runIndexed(RecordingIndex &index, std::uint64_t firstOnDisk)
        {
            m_index = &index;
            m_nextOnDisk = firstOnDisk;
            Loaded loaded = run();
            index.indexedTo = m_torn ? m_tornAt : m_in.pos();
            if (!index.listsPortStarts)
                return {};
            return loaded;
        }

        Loaded run()
        {
            m_progress.setTotal(std::size_t(std::max<qint64>(m_in.size(), 0)));
            QString reason = readHeader();
            bool ended = false;
            while (reason.isEmpty() && !ended && !m_progress.cancelled && !m_torn && !m_unindexed) {
                if (m_recorded && m_in.atEnd())
                    break; // a recording needs no end chunk
                reason = readChunk();
                m_progress.setDone(std::size_t(m_in.pos()));
                ended = m_kind == Chunk::End;
                if (reason.isEmpty() && !m_torn)
                    reason = takeChunk();
            }
            if (m_unindexed)
                return {};
            if (reason.isEmpty() && ended && !m_in.atEnd())
                reason = atByte(m_in.pos(), QStringLiteral("bytes follow the end of the capture."));
            if (reason.isEmpty() && !m_infoTaken && !m_progress.cancelled)
                reason = atByte(HeaderSize, QStringLiteral("the recording holds no chunk whole."));
            if (!reason.isEmpty() || m_progress.cancelled)
                return {nullptr, reason};
            return {std::move(m_rows), {}, recordingNotice()};
        }

        // The rows chunk at `offset` of a recording alone, its sources named by `sources`.
        Loaded runRowsChunk(qint64 offset, const std::vector<QString> &sources)
        {
            m_recorded = true;
            m_infoTaken = true;
            m_declared = {Unbounded, Unbounded, Unbounded};
            for (const QString &name : sources)
                if (m_sourceCount < CaptureStore::MaxSources)
                    m_sources[m_sourceCount++] = *m_rows->sourceNamed(name);
            QString reason = m_in.seek(offset) ? readChunk() : m_in.errorString();
            if (reason.isEmpty() && (m_torn || m_kind != Chunk::Rows))
                reason = atByte(offset, QStringLiteral("no rows chunk lies there whole."));
            if (reason.isEmpty())
                reason = takeChunk();
            if (!reason.isEmpty())
                return {nullptr, reason};
            return {std::move(m_rows), {}};
        }

    private:
        QString readHeader()
        {
            const QByteArray header = m_in.read(HeaderSize);
            if (!isCapture(header))
                return atByte(0, QStringLiteral("the file does not begin as a Lumetra capture."));
            if (header.size() < HeaderSize)
                return atByte(header.size(),
                    QStringLiteral("the file ends inside its header: it was cut short."));
            const int version = std::uint8_t(header[8]) | std::uint8_t(header[9]) << 8;
            if (version != Version)
                return atByte(8,
                    QStringLiteral("the capture is of format version %1; this Lumetra reads "
                                   "version %2.")
                        .arg(version)
                        .arg(Version));
            const int flags = std::uint8_t(header[10]) | std::uint8_t(header[11]) << 8;
            if (flags & ~RecordedFlag)
                return atByte(
                    10, QStringLiteral("the header has flags this Lumetra does not know."));
            m_recorded = flags & RecordedFlag;
            m_unindexed = m_index && !m_recorded; // a saved capture declares its rows
            if (m_recorded)
                m_rows->setMemoryLimit(std::size_t(std::max<qint64>(m_memoryRoom, 0)));
            return {};
        }

        // Reads the next chunk whole and checks it against its checksum.
        QString readChunk()
        {
            const qint64 start = m_in.pos();
            const QByteArray head = m_in.read(ChunkHead);
            if (head.size() < ChunkHead && m_recorded)
                return tornAt(start);
            if (head.size() < ChunkHead)
                return atByte(start + head.size(),
                    QStringLiteral(
                        "the file ends before the end of the capture: it was cut short."));
            m_kind = Chunk(head[0]);
            if (!isKnownKind(m_kind) && !mayPassOver(head[0]))
                return atByte(start, QStringLiteral("a chunk is of no kind Lumetra knows."));
            std::uint32_t size = 0;
            for (int i = 0; i < 4; ++i)
                size |= std::uint32_t(std::uint8_t(head[1 + i])) << (8 * i);
            const bool pastEnd = qint64(size) + ChunkTail > m_in.size() - m_in.pos();
            if (pastEnd && m_recorded)
                return tornAt(start);
            if (pastEnd)
                return atByte(start,
                    QStringLiteral("a chunk of %1 bytes begins, more than the file holds: it "
                                   "was cut short.")
                        .arg(size));
            m_payloadOffset = m_in.pos();
            if (m_index && m_kind == Chunk::Rows
                && m_payloadOffset + size + ChunkTail < m_in.size())
                return readRowsHead(start, size);
            return readPayload(start, head, size);
        }

        // The payload after `head`, checked against its checksum.
        QString readPayload(qint64 start, const QByteArray &head, std::uint32_t size)
        {
            m_payload.resize(qsizetype(size) + ChunkTail);
            if (m_in.read(m_payload.data(), m_payload.size()) != m_payload.size())
                return atByte(m_payloadOffset, m_in.errorString());
            std::uint32_t stored = 0;
            for (int i = 0; i < ChunkTail; ++i)
                stored |= std::uint32_t(std::uint8_t(m_payload[qsizetype(size) + i])) << (8 * i);
            std::uint32_t crc = std::uint32_t(crc32_z(
                0, reinterpret_cast<const Bytef *>(head.constData()), std::size_t(ChunkHead)));
            crc = std::uint32_t(
                crc32_z(crc, reinterpret_cast<const Bytef *>(m_payload.constData()), size));
            m_payload.resize(qsizetype(size));
            if (crc != stored && m_recorded && m_in.atEnd())
                return tornAt(start);
            if (crc != stored)
                return atByte(start,
                    QStringLiteral("a chunk is damaged: its checksum does not "
                                   "match its bytes."));
            m_chunkStart = start;
            return {};
        }

        // A rows chunk that is not the last, when the rows stay on disk: its head alone.
        QString readRowsHead(qint64 start, std::uint32_t size)
        {
            if (size < std::uint32_t(RowsHead))
                return atByte(m_payloadOffset, QStringLiteral("a rows chunk's head is cut short."));
            m_payload = m_in.read(RowsHead);
            if (m_payload.size() != RowsHead || !m_in.seek(m_payloadOffset + size + ChunkTail))
                return atByte(m_payloadOffset, m_in.errorString());
            m_chunkStart = start;
            return {};
        }

        bool isKnownKind(Chunk kind) const
        {
            return kind == Chunk::Info || kind == Chunk::Rows || kind == Chunk::End
                || (m_recorded && kind == Chunk::Source);
        }

        // A recording stopped by a crash or a full disk ends inside the chunk it was writing:
        // what came before stands, and the user is told what was left out.
        QString tornAt(qint64 start)
        {
            m_torn = true;
            m_tornAt = start;
            return {};
        }

        QString recordingNotice() const
        {
            QStringList notices;
            if (m_missingRows > 0)
                notices << QStringLiteral("%1 rows are missing from the recording: they came "
                                          "faster than its disk could take them.")
                               .arg(m_missingRows);
            if (m_torn)
                notices << QStringLiteral("The recording ends inside a chunk that was being "
                                          "written when it stopped: its last %1 bytes, from byte "
                                          "%2 on, were left out.")
                               .arg(m_in.size() - m_tornAt)
                               .arg(m_tornAt);
            return notices.join(u' ');
        }

        QString takeChunk()
        {
            Payload payload(m_payload, m_payloadOffset);
            if ((m_kind == Chunk::Info) == m_infoTaken)
                return atByte(m_chunkStart,
                    m_infoTaken ? QStringLiteral("the capture's information comes a second time.")
                                : QStringLiteral("a chunk comes before the capture's "
                                                 "information."));
            QString reason;
            switch (m_kind) {
            case Chunk::Info:
                reason = takeInfo(payload);
                break;
            case Chunk::Rows:
                reason = m_index ? takeIndexedRows(payload)
                    : m_recorded ? takeRecordedRows(payload)
                                 : takeRows(payload);
                break;
            case Chunk::PortStarts:
                if (!m_index)
                    return {};
                reason = takePortStarts(payload);
                break;
            case Chunk::End:
                reason = m_recorded ? takeRecordedEnd(payload) : takeEnd(payload);
                break;
            case Chunk::Source:
                reason = takeSource(payload);
                break;
            case Chunk::Marks:
                reason = takeMarks(payload);
                break;
            default: // of a kind a later version added, which the rows can be read without
                return {};
            }
            if (reason.isEmpty() && !payload.atEnd())
                return atByte(payload.offset(),
                    QStringLiteral("a chunk holds more than it "
                                   "should."));
            return reason;
        }

        QString takeInfo(Payload &payload)
        {
            m_infoTaken = true;
            const auto wallUs = payload.littleEndian<std::int64_t>();
            const auto rows = payload.littleEndian<std::uint64_t>();
            const auto longRows = payload.littleEndian<std::uint64_t>();
            const auto longBytes = payload.littleEndian<std::uint64_t>();
            const auto sources = payload.varint();
            if (!wallUs || !rows || !longRows || !longBytes || !sources)
                return atByte(payload.offset(),
                    QStringLiteral("the capture's information is cut "
                                   "short."));
            if (*wallUs < -CaptureStore::LargestWallClockUs
                || *wallUs > CaptureStore::LargestWallClockUs)
                return atByte(m_payloadOffset,
                    QStringLiteral("the capture's start lies more "
                                   "than a century from 1970."));
            m_declared = {*rows, *longRows, *longBytes};
            if (m_recorded)
                m_declared = {Unbounded, Unbounded, Unbounded}; // the counts are 0: not known
            else if (const QString reason = checkMemory(); !reason.isEmpty())
                return reason;
            // Rows left on disk keep the stamps of their file: a set whose files count from
            // other moments is read whole, its stamps moved.
            if (m_index && m_rows->size() > 0 && *wallUs != m_rows->wallClockAtStart()) {
                m_unindexed = true;
                return {};
            }
            m_rows->setWallClockAtStart(*wallUs);
            if (*sources > CaptureStore::MaxSources)
                return atByte(payload.offset(),
                    QStringLiteral("the capture names %1 sources, more than %2.")
                        .arg(*sources)
                        .arg(CaptureStore::MaxSources));
            for (std::size_t source = 0; source < *sources; ++source)
                if (const QString reason = takeSourceName(payload); !reason.isEmpty())
                    return reason;
            return {};
        }

        // The next source's name; the file's number of it is the count named before.
        QString takeSourceName(Payload &payload)
        {
            const qint64 nameOffset = payload.offset();
            const auto size = payload.varint();
            if (size && *size > std::uint64_t(CaptureStore::LongestSourceName))
                return atByte(nameOffset,
                    QStringLiteral("a source's name is %1 bytes long, more than %2.")
                        .arg(*size)
                        .arg(CaptureStore::LongestSourceName));
            const auto name = size ? payload.bytes(*size) : std::nullopt;
            if (!name)
                return atByte(payload.offset(), QStringLiteral("a source's name is cut short."));
            if (m_sourceCount == CaptureStore::MaxSources)
                return atByte(nameOffset,
                    QStringLiteral("the capture names more than %1 sources.")
                        .arg(CaptureStore::MaxSources));
            const QString named = QString::fromUtf8(
                reinterpret_cast<const char *>(name->data()), qsizetype(name->size()));
            // At most MaxSources names: each has its place.
            m_sources[m_sourceCount++] = *m_rows->sourceNamed(named);
            if (m_index)
                m_index->sources.push_back(named);
            return {};
        }

        // A recording names each source as its first row comes, the next in number.
        QString takeSource(Payload &payload)
        {
            const auto number = payload.varint();
            if (!number || *number != m_sourceCount)
                return atByte(m_payloadOffset, QStringLiteral("a source is named out of turn."));
            return takeSourceName(payload);
        }

        // The store needs 12 bytes a row, and each long message its bytes and their keeping.
        QString checkMemory() const
        {
            const double needed = double(m_declared.rows) * 12 + double(m_declared.longBytes)
                + double(m_declared.longRows) * LongMessageCost;
            if (needed <= double(m_memoryRoom))
                return {};
            return QStringLiteral("The capture's %1 rows need %2 MiB of memory, more than the "
                                  "%3 MiB there is room for.")
                .arg(m_declared.rows)
                .arg(std::ceil(needed / MiB), 0, 'f', 0)
                .arg(double(m_memoryRoom) / MiB, 0, 'f', 0);
        }

        QString takeRows(Payload &payload)
        {
            std::int64_t stampUs = 0;
            std::size_t source = 0;
            while (!payload.atEnd()) {
                const qint64 offset = payload.offset();
                const std::uint8_t tag = *payload.byte();
                if (tag & Tag::Unused)
                    return atByte(offset,
                        QStringLiteral("a row begins with a byte no row begins "
                                       "with."));
                std::size_t named = source;
                if (tag & Tag::NewSource) {
                    const auto byte = payload.byte();
                    if (!byte)
                        return atByte(offset, QStringLiteral("a row's source is cut short."));
                    named = *byte;
                }
                if (named >= m_sourceCount)
                    return atByte(offset,
                        QStringLiteral("a row is of source %1, which the capture does not name.")
                            .arg(named));
                // Every writer has left the running source as it was at a port start: the
                // rows after it that say no source are of the source before it.
                const bool portStart = (tag & Tag::OriginMask) == Tag::PortStart;
                if (!portStart)
                    source = named;
                const QString reason = portStart ? takePortStart(payload, tag, named)
                                                 : takeRow(payload, tag, source, stampUs);
                if (!reason.isEmpty())
                    return atByte(offset, reason);
            }
            return {};
        }

        QString takePortStart(Payload &payload, std::uint8_t tag, std::size_t source)
        {
            const auto startUs = payload.varint();
            if (!(tag & Tag::NewSource) || (tag & (Tag::Long | Tag::Ump | 3 << Tag::SizeShift))
                || !startUs || !isStamp(unzigzag(*startUs)))
                return QStringLiteral("a port's start is damaged.");
            m_rows->startPort(m_sources[source], unzigzag(*startUs));
            return {};
        }

        QString takeRow(
            Payload &payload, std::uint8_t tag, std::size_t source, std::int64_t &stampUs)
        {
            const auto delta = payload.varint();
            if (!delta)
                return QStringLiteral("a row's stamp is cut short.");
            // Wraps rather than overflows on a hostile delta; the range check catches it.
            stampUs = std::int64_t(std::uint64_t(stampUs) + std::uint64_t(unzigzag(*delta)));
            if (!isStamp(stampUs))
                return QStringLiteral("a row's stamp lies beyond four years from the start.");
            if (tag & Tag::Ump)
                return takeUmpRow(payload, tag, source, stampUs);
            std::optional<std::uint64_t> size = std::uint64_t(tag >> Tag::SizeShift & 3);
            if (tag & Tag::Long) {
                if (*size != 0)
                    return QStringLiteral("a long row has bytes inline.");
                size = payload.varint();
                if (size && *size <= 3)
                    return QStringLiteral("a long row holds %1 bytes.").arg(*size);
                if (size)
                    if (const QString fault = countLong(*size); !fault.isEmpty())
                        return fault;
            }
            const auto bytes = size ? payload.bytes(*size) : std::nullopt;
            if (!bytes)
                return QStringLiteral("a row's bytes are cut short.");
            const auto origin = Origin(tag & Tag::OriginMask);
            if (const QString fault = impossibleRow(origin, *bytes); !fault.isEmpty())
                return fault;
            if (m_rows->size() == m_declared.rows)
                return QStringLiteral("there are more rows than the capture declared.");
            if (!m_rows->append(origin, m_sources[source], stampUs, *bytes))
                return QStringLiteral("the memory ran out.");
            return {};
        }

        // What lies in the store's arena, long messages and UMP words alike, keeps to what
        // the info chunk declared.
        QString countLong(std::uint64_t size)
        {
            if (++m_longRows > m_declared.longRows)
                return QStringLiteral("there are more long messages than the capture declared.");
            if ((m_longBytes += size) > m_declared.longBytes)
                return QStringLiteral("the long messages hold more bytes than the capture "
                                      "declared.");
            return {};
        }

        // A UMP message whole: as many words as its message type takes, which the tag says
        // again.
        QString takeUmpRow(
            Payload &payload, std::uint8_t tag, std::size_t source, std::int64_t stampUs)
        {
            if (tag & Tag::Long)
                return QStringLiteral("a UMP row has a byte count.");
            const int words = (tag >> Tag::SizeShift & 3) + 1;
            const auto bytes = payload.bytes(std::uint64_t(words) * 4);
            if (!bytes)
                return QStringLiteral("a UMP row's words are cut short.");
            const Ump::Packet packet = Ump::packetOfBytes(*bytes);
            if (Ump::wordCountOf(packet.words[0]) != words)
                return QStringLiteral("a UMP row holds %1 words, and its message type takes %2.")
                    .arg(words)
                    .arg(Ump::wordCountOf(packet.words[0]));
            if (const QString fault = countLong(bytes->size()); !fault.isEmpty())
                return fault;
            if (m_rows->size() == m_declared.rows)
                return QStringLiteral("there are more rows than the capture declared.");
            if (!m_rows->appendUmp(
                    Origin(tag & Tag::OriginMask), m_sources[source], stampUs, packet))
                return QStringLiteral("the memory ran out.");
            return {};
        }

        // Marks of the rows read so far, in the order of their rows.
        QString takeMarks(Payload &payload)
        {
            const auto count = payload.varint();
            if (!count || !m_rows->marks().empty())
                return atByte(m_chunkStart, QStringLiteral("the marks are damaged."));
            std::uint64_t row = 0;
            for (std::uint64_t mark = 0; mark < *count; ++mark) {
                const qint64 offset = payload.offset();
                const auto step = payload.varint();
                const auto size = payload.varint();
                const auto note
                    = size && *size <= LongestNote ? payload.bytes(*size) : std::nullopt;
                if (!step || !note || (mark > 0 && *step == 0) || *step >= m_rows->size() - row)
                    return atByte(offset,
                        QStringLiteral("a mark is damaged, or of a row the capture does not "
                                       "hold before it."));
                row += *step;
                m_rows->marks().set(std::size_t(row),
                    QString::fromUtf8(
                        reinterpret_cast<const char *>(note->data()), qsizetype(note->size())));
            }
            return {};
        }

        // A recorded rows chunk says where it stands in the recording: its rows follow those
        // of the chunk before, and are as many as it says.
        QString takeRecordedRows(Payload &payload)
        {
            RecordedHead head {};
            if (const QString reason = takeRecordedHead(payload, head); !reason.isEmpty())
                return reason;
            const std::size_t before = m_rows->size();
            if (const QString reason = takeRows(payload); !reason.isEmpty())
                return reason;
            const std::size_t taken = m_rows->size() - before;
            if (taken != head.rows
                || (taken > 0 && m_rows->at(before).stampUs != head.firstStampUs))
                return atByte(m_payloadOffset,
                    QStringLiteral("a rows chunk holds other rows than its head says."));
            m_recordedRows = head.firstRow + taken;
            return {};
        }

        struct RecordedHead
        {
            std::uint64_t firstRow;
            std::uint32_t rows;
            std::int64_t firstStampUs;
        };
        // A recorded rows chunk says where it stands in the recording: its rows follow those
        // of the chunk before.
        QString takeRecordedHead(Payload &payload, RecordedHead &head)
        {
            const auto firstRow = payload.littleEndian<std::uint64_t>();
            const auto rows = payload.littleEndian<std::uint32_t>();
            const auto firstStampUs = payload.littleEndian<std::int64_t>();
            if (!firstRow || !rows || !firstStampUs)
                return atByte(m_payloadOffset, QStringLiteral("a rows chunk's head is cut short."));
            if (m_recordedRows && *firstRow < *m_recordedRows)
                return atByte(m_payloadOffset,
                    QStringLiteral("a rows chunk begins at row %1, before row %2 that was due.")
                        .arg(*firstRow)
                        .arg(*m_recordedRows));
            // Rows the recording could not keep (its disk was slower than the traffic) leave
            // a gap in the numbers.
            m_missingRows += *firstRow - m_recordedRows.value_or(*firstRow);
            head = {*firstRow, *rows, *firstStampUs};
            return {};
        }

        // The port starts of the rows chunk after, each after so many of its rows.
        QString takePortStarts(Payload &payload)
        {
            const auto count = payload.varint();
            if (!count || *count > std::uint64_t(m_payload.size()))
                return atByte(m_chunkStart, QStringLiteral("a list of port starts is damaged."));
            std::vector<ListedStart> starts;
            std::uint64_t row = 0;
            for (std::uint64_t i = 0; i < *count; ++i) {
                const auto step = payload.varint();
                const auto source = payload.byte();
                const auto startUs = payload.varint();
                if (!step || !source || *source >= m_sourceCount || !startUs
                    || !isStamp(unzigzag(*startUs)))
                    return atByte(
                        payload.offset(), QStringLiteral("a list of port starts is damaged."));
                row += *step;
                starts.push_back({row, m_sources[*source], unzigzag(*startUs)});
            }
            m_listedStarts = std::move(starts);
            return {};
        }

        // A rows chunk whose rows stay on disk: the store learns how many there are, and where
        // the ports started among them.
        QString takeIndexedRows(Payload &payload)
        {
            if (!m_index->listsPortStarts && !m_listedStarts) {
                m_unindexed = true; // a version's that did not list them
                return {};
            }
            m_index->listsPortStarts = true;
            RecordedHead head {};
            if (const QString reason = takeRecordedHead(payload, head); !reason.isEmpty())
                return reason;
            // The last chunk is read whole, to be checked: its rows stay on disk as well.
            static_cast<void>(payload.bytes(std::uint64_t(m_payload.size() - RowsHead)));
            m_recordedRows = head.firstRow + head.rows;
            if (head.rows > 0)
                m_index->chunks.push_back(
                    {m_chunkStart, m_nextOnDisk, head.rows, head.firstStampUs});
            std::uint64_t placed = 0;
            for (const ListedStart &start : m_listedStarts.value_or(std::vector<ListedStart> {})) {
                if (start.row > head.rows)
                    return atByte(
                        m_chunkStart, QStringLiteral("a port starts after the rows of its chunk."));
                placeOnDisk(start.row - placed);
                placed = start.row;
                m_rows->startPort(start.source, start.startUs);
            }
            placeOnDisk(head.rows - placed);
            m_listedStarts.reset();
            return {};
        }

        void placeOnDisk(std::uint64_t rows)
        {
            m_rows->appendOnDisk(std::size_t(rows), m_nextOnDisk);
            m_nextOnDisk += rows;
        }

        QString takeRecordedEnd(Payload &payload)
        {
            const auto rows = payload.littleEndian<std::uint64_t>();
            if (!rows || (m_recordedRows && *rows != *m_recordedRows))
                return atByte(m_chunkStart,
                    QStringLiteral("the recording ends at row %1, not at the row it says.")
                        .arg(m_recordedRows.value_or(0)));
            return {};
        }

        QString takeEnd(Payload &payload)
        {
            const auto rows = payload.littleEndian<std::uint64_t>();
            if (!rows || *rows != m_rows->size() || *rows != m_declared.rows)
                return atByte(m_chunkStart,
                    QStringLiteral("the capture ends after %1 rows of the %2 it declared.")
                        .arg(m_rows->size())
                        .arg(m_declared.rows));
            return {};
        }

        QIODevice &m_in;
        const qint64 m_memoryRoom;
        TaskProgress &m_progress;
        std::unique_ptr<CaptureStore> m_rows;
        Chunk m_kind = Chunk::Info;
        qint64 m_chunkStart = 0;
        qint64 m_payloadOffset = 0;
        QByteArray m_payload;
        bool m_infoTaken = false;
        Declared m_declared;
        std::uint64_t m_longRows = 0;
        std::uint64_t m_longBytes = 0;
        // The store's source of each of the file's: the same, unless the file names one twice.
        std::array<CaptureStore::Source, CaptureStore::MaxSources> m_sources {};
        std::size_t m_sourceCount = 0;
        bool m_recorded = false;
        bool m_torn = false;
        qint64 m_tornAt = 0;
        // The number the next rows chunk of a recording begins at, once one was read.
        std::optional<std::uint64_t> m_recordedRows;
        std::uint64_t m_missingRows = 0;
        // Opening by the chunks' heads: where the index goes, and the number of the next row
        // left on disk.
        RecordingIndex *m_index = nullptr;
        std::uint64_t m_nextOnDisk = 0;
        struct ListedStart
        {
            std::uint64_t row;
            CaptureStore::Source source;
            std::int64_t startUs;
        };
        // Those of the rows chunk that comes next.
        std::optional<std::vector<ListedStart>> m_listedStarts;
        bool m_unindexed = false; // the file is to be read whole
    };

} // namespace

bool isCapture(QByteArrayView start)
{
    const qsizetype compared = std::min<qsizetype>(start.size(), sizeof Magic);
    return compared > 0 && std::memcmp(start.data(), Magic, std::size_t(compared)) == 0;
}

Loaded read(QIODevice &in, qint64 memoryRoom, TaskProgress &progress)
{
    return Parser(in, memoryRoom, progress).run();
}

Loaded indexRecording(QIODevice &in, std::unique_ptr<CaptureStore> rows, std::uint64_t firstOnDisk,
    RecordingIndex &index, TaskProgress &progress)
{
    return Parser(in, std::numeric_limits<qint64>::max(), progress, std::move(rows))
        .runIndexed(index, firstOnDisk);
}

Loaded readRecordedRows(QIODevice &in, qint64 offset, const std::vector<QString> &sources)
{
    TaskProgress unwatched;
    return Parser(in, std::numeric_limits<qint64>::max(), unwatched).runRowsChunk(offset, sources);
}

} // namespace CaptureReader
