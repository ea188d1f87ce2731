#include "CaptureWriter.h"

#include "CaptureFormat.h"
#include "CaptureStore.h"
#include "TaskProgress.h"
#include "files/SafeFile.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>
#include <vector>
#include <zlib.h>

namespace CaptureWriter {
namespace {

    using namespace CaptureFormat;

    struct SourceStart
    {
        std::size_t firstRow;
        CaptureStore::Source source;
        std::int64_t startUs;
    };

    // Every port start of every source, in the order of the rows they come before.
    std::vector<SourceStart> startsInRowOrder(const CaptureStore &rows)
    {
        std::vector<SourceStart> starts;
        for (std::size_t source = 0; source < rows.sourceCount(); ++source)
            for (const CaptureStore::PortStart &start :
                rows.portStarts(CaptureStore::Source(source)))
                starts.push_back({start.firstRow, CaptureStore::Source(source), start.startUs});
        std::stable_sort(starts.begin(), starts.end(),
            [](const SourceStart &a, const SourceStart &b) { return a.firstRow < b.firstRow; });
        return starts;
    }

    // A chunk's payload as it is built, and its way to the device.
    class ChunkBuffer
    {
    public:
        explicit ChunkBuffer(QIODevice &out)
            : m_out(out)
        {
            m_bytes.reserve(ChunkHead + RowsChunkBytes + 64);
        }

        void begin(Chunk kind)
        {
            m_bytes.assign(ChunkHead, 0);
            m_bytes[0] = std::uint8_t(kind);
        }
        std::size_t payloadSize() const { return m_bytes.size() - ChunkHead; }
        // Room for `size` more bytes, written through the pointer returned; commit() says
        // how many were.
        std::uint8_t *room(std::size_t size)
        {
            m_used = m_bytes.size();
            m_bytes.resize(m_used + size);
            return m_bytes.data() + m_used;
        }
        void commit(const std::uint8_t *end) { m_bytes.resize(std::size_t(end - m_bytes.data())); }
        void put(const void *bytes, std::size_t size)
        {
            auto *at = room(size);
            std::memcpy(at, bytes, size);
        }
        void putVarint(std::uint64_t value)
        {
            commit(CaptureFormat::putVarint(room(LongestVarint), value));
        }
        template<typename Integer>
        void putLittleEndian(Integer value)
        {
            std::uint8_t bytes[sizeof value];
            for (std::size_t i = 0; i < sizeof value; ++i)
                bytes[i] = std::uint8_t(std::uint64_t(value) >> (8 * i));
            put(bytes, sizeof bytes);
        }

        // Sizes the chunk and appends its checksum; false when the device refused it.
        bool finish()
        {
            const auto size = std::uint32_t(payloadSize());
            for (int i = 0; i < 4; ++i)
                m_bytes[std::size_t(1 + i)] = std::uint8_t(size >> (8 * i));
            putLittleEndian(std::uint32_t(crc32_z(0, m_bytes.data(), m_bytes.size())));
            return SafeFile::writeAll(m_out,
                QByteArrayView(
                    reinterpret_cast<const char *>(m_bytes.data()), qsizetype(m_bytes.size())));
        }

    private:
        QIODevice &m_out;
        std::vector<std::uint8_t> m_bytes;
        std::size_t m_used = 0;
    };

    void putInfo(ChunkBuffer &chunk, const CaptureStore &rows)
    {
        std::uint64_t longRows = 0, longBytes = 0;
        for (std::size_t row = 0; row < rows.size(); ++row) {
            if ((rows.glance(row) >> 4 & 0xF) == CaptureStore::LongMessage) {
                ++longRows;
                longBytes += rows.at(row).held().size();
            }
        }
        chunk.begin(Chunk::Info);
        chunk.putLittleEndian(rows.wallClockAtStart());
        chunk.putLittleEndian(std::uint64_t(rows.size()));
        chunk.putLittleEndian(longRows);
        chunk.putLittleEndian(longBytes);
        chunk.putVarint(rows.sourceCount());
        for (std::size_t source = 0; source < rows.sourceCount(); ++source) {
            const QByteArray name = rows.sourceName(CaptureStore::Source(source)).toUtf8();
            chunk.putVarint(std::uint64_t(name.size()));
            chunk.put(name.constData(), std::size_t(name.size()));
        }
    }

    // Each mark as the rows from the mark before (the first from row 0), then its note.
    void putMarks(ChunkBuffer &chunk, const RowMarks &marks)
    {
        chunk.begin(Chunk::Marks);
        chunk.putVarint(marks.size());
        std::size_t previous = 0;
        for (const auto &[row, note] : marks.notes()) {
            const QByteArray text = note.toUtf8();
            chunk.putVarint(row - std::exchange(previous, row));
            chunk.putVarint(std::uint64_t(text.size()));
            chunk.put(text.constData(), std::size_t(text.size()));
        }
    }

    // Fills one rows chunk from `row` on, with the port starts that come before the rows;
    // each stamp as the difference to the one before it in the chunk.
    class RowsEncoder
    {
    public:
        explicit RowsEncoder(const CaptureStore &rows)
            : m_rows(rows)
            , m_starts(startsInRowOrder(rows))
        { }

        bool done() const { return m_row == m_rows.size() && m_nextStart == m_starts.size(); }
        std::size_t rowsDone() const { return m_row; }

        void fill(ChunkBuffer &chunk)
        {
            chunk.begin(Chunk::Rows);
            m_stampUs = 0;
            m_source = 0;
            while (!done() && chunk.payloadSize() < RowsChunkBytes) {
                if (m_nextStart < m_starts.size() && m_starts[m_nextStart].firstRow == m_row)
                    putStart(chunk, m_starts[m_nextStart++]);
                else
                    putRow(chunk, m_rows.at(m_row++));
            }
        }

    private:
        void putStart(ChunkBuffer &chunk, const SourceStart &start)
        {
            std::uint8_t *at = chunk.room(2 + LongestVarint);
            *at++ = Tag::PortStart | Tag::NewSource;
            *at++ = start.source;
            chunk.commit(putVarint(at, zigzag(start.startUs)));
        }

        void putRow(ChunkBuffer &chunk, const CapturedMessage &message)
        {
            const std::span<const std::uint8_t> bytes = message.held();
            const std::size_t size = bytes.size();
            const bool isLong = size > 3;
            std::uint8_t *at = chunk.room(2 + 2 * LongestVarint + size);
            std::uint8_t tag = std::uint8_t(message.origin);
            tag |= isLong ? Tag::Long : std::uint8_t(size << Tag::SizeShift);
            if (message.source != m_source)
                tag |= Tag::NewSource;
            *at++ = tag;
            if (message.source != m_source)
                *at++ = m_source = message.source;
            at = putVarint(at, zigzag(message.stampUs - m_stampUs));
            m_stampUs = message.stampUs;
            if (isLong)
                at = putVarint(at, size);
            if (size > 0)
                std::memcpy(at, bytes.data(), size);
            chunk.commit(at + size);
        }

        const CaptureStore &m_rows;
        const std::vector<SourceStart> m_starts;
        std::size_t m_row = 0;
        std::size_t m_nextStart = 0;
        std::int64_t m_stampUs = 0;
        CaptureStore::Source m_source = 0;
    };

} // namespace

bool write(const CaptureStore &rows, QIODevice &out, TaskProgress &progress)
{
    char header[HeaderSize] = {};
    std::memcpy(header, Magic, sizeof Magic);
    header[8] = char(Version & 0xFF);
    header[9] = char(Version >> 8);
    if (!SafeFile::writeAll(out, QByteArrayView(header, HeaderSize)))
        return false;
    ChunkBuffer chunk(out);
    putInfo(chunk, rows);
    if (!chunk.finish())
        return false;
    RowsEncoder encoder(rows);
    progress.setTotal(rows.size());
    while (!encoder.done()) {
        if (progress.cancelled)
            return false;
        encoder.fill(chunk);
        if (!chunk.finish())
            return false;
        progress.setDone(encoder.rowsDone());
    }
    // A capture without marks is written as versions before marks wrote it.
    if (!rows.marks().empty()) {
        putMarks(chunk, rows.marks());
        if (!chunk.finish())
            return false;
    }
    chunk.begin(Chunk::End);
    chunk.putLittleEndian(std::uint64_t(rows.size()));
    return chunk.finish();
}

QString save(const CaptureStore &rows, const QString &path, TaskProgress &progress)
{
    const QString error
        = SafeFile::saveWhole(path, [&](QIODevice &out) { return write(rows, out, progress); });
    return progress.cancelled ? QString() : error;
}

} // namespace CaptureWriter
