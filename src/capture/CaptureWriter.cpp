#include "CaptureWriter.h"

#include "CaptureFormat.h"
#include "CaptureStore.h"
#include "ChunkBuffer.h"
#include "TaskProgress.h"
#include "files/SafeFile.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>
#include <vector>

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

    bool finish(ChunkBuffer &chunk, QIODevice &out)
    {
        return SafeFile::writeAll(out, chunk.seal());
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
            m_events.restart();
            while (!done() && chunk.payloadSize() < RowsChunkBytes) {
                if (m_nextStart < m_starts.size() && m_starts[m_nextStart].firstRow == m_row)
                    putStart(chunk, m_starts[m_nextStart++]);
                else
                    m_events.putRow(chunk, m_rows.at(m_row++));
            }
        }

    private:
        static void putStart(ChunkBuffer &chunk, const SourceStart &start)
        {
            RowEvents::putStart(chunk, start.source, start.startUs);
        }

        const CaptureStore &m_rows;
        const std::vector<SourceStart> m_starts;
        std::size_t m_row = 0;
        std::size_t m_nextStart = 0;
        RowEvents m_events;
    };

} // namespace

void putInfo(ChunkBuffer &chunk, const CaptureStore &rows, bool declareCounts)
{
    using namespace CaptureFormat;
    std::uint64_t longRows = 0, longBytes = 0;
    for (std::size_t row = 0; declareCounts && row < rows.size(); ++row) {
        const auto size = std::uint8_t(rows.glance(row) >> 4 & 0xF);
        if (size == CaptureStore::LongMessage || size == CaptureStore::UmpMessage) {
            const CapturedMessage message = rows.at(row);
            ++longRows;
            longBytes += message.held().size() + message.ump.size();
        }
    }
    chunk.begin(Chunk::Info);
    chunk.putLittleEndian(rows.wallClockAtStart());
    chunk.putLittleEndian(std::uint64_t(declareCounts ? rows.size() : 0));
    chunk.putLittleEndian(longRows);
    chunk.putLittleEndian(longBytes);
    chunk.putVarint(rows.sourceCount());
    for (std::size_t source = 0; source < rows.sourceCount(); ++source) {
        const QByteArray name = rows.sourceName(CaptureStore::Source(source)).toUtf8();
        chunk.putVarint(std::uint64_t(name.size()));
        chunk.put(name.constData(), std::size_t(name.size()));
    }
}

QByteArray header(std::uint16_t flags)
{
    using namespace CaptureFormat;
    QByteArray header(Magic, sizeof Magic);
    for (const std::uint16_t value : {Version, flags}) {
        header += char(value & 0xFF);
        header += char(value >> 8);
    }
    return header;
}

bool write(const CaptureStore &rows, QIODevice &out, TaskProgress &progress)
{
    if (!SafeFile::writeAll(out, header(0)))
        return false;
    ChunkBuffer chunk;
    putInfo(chunk, rows, true);
    if (!finish(chunk, out))
        return false;
    RowsEncoder encoder(rows);
    progress.setTotal(rows.size());
    while (!encoder.done()) {
        if (progress.cancelled)
            return false;
        encoder.fill(chunk);
        if (!finish(chunk, out))
            return false;
        progress.setDone(encoder.rowsDone());
    }
    // A capture without marks is written as versions before marks wrote it.
    if (!rows.marks().empty()) {
        putMarks(chunk, rows.marks());
        if (!finish(chunk, out))
            return false;
    }
    chunk.begin(Chunk::End);
    chunk.putLittleEndian(std::uint64_t(rows.size()));
    return finish(chunk, out);
}

QString save(const CaptureStore &rows, const QString &path, TaskProgress &progress)
{
    const QString error
        = SafeFile::saveWhole(path, [&](QIODevice &out) { return write(rows, out, progress); });
    return progress.cancelled ? QString() : error;
}

} // namespace CaptureWriter
