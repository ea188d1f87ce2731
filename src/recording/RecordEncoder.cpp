#include "RecordEncoder.h"

#include "capture/CaptureFormat.h"
#include "capture/CaptureWriter.h"

#include <algorithm>

using namespace CaptureFormat;

RecordEncoder::RecordEncoder(const CaptureStore &rows, Deliver deliver)
    : m_rows(rows)
    , m_deliver(std::move(deliver))
{ }

void RecordEncoder::skipStored()
{
    m_nextRow = m_rows.size();
    m_runFirstRow = m_nextRow;
    m_runFirstRecorded = m_rowsSeen;
    m_sourceOf.clear(); // the store's sources may be other ones now
    m_startsWritten.assign(m_rows.sourceCount(), 0);
    for (std::size_t source = 0; source < m_rows.sourceCount(); ++source)
        m_startsWritten[source] = m_rows.portStarts(CaptureStore::Source(source)).size();
}

QByteArray RecordEncoder::fileStart()
{
    QByteArray start = CaptureWriter::header(RecordedFlag);
    // The info chunk names every source so far: no chunk of their own goes before it.
    for (std::size_t source = m_sourceOf.size(); source < m_rows.sourceCount(); ++source)
        m_sourceOf.push_back(recordedSource(CaptureStore::Source(source), false));
    m_startsWritten.resize(m_rows.sourceCount(), 0);
    CaptureStore names;
    for (const QString &name : m_names)
        names.sourceNamed(name);
    names.setWallClockAtStart(m_rows.wallClockAtStart());
    m_chunk.begin(Chunk::Info);
    CaptureWriter::putInfo(m_chunk, names, false);
    start += m_chunk.seal();
    beginChunk();
    for (std::size_t source = 0; source < m_rows.sourceCount(); ++source) {
        const auto starts = m_rows.portStarts(CaptureStore::Source(source));
        if (!starts.empty())
            putStart({0, CaptureStore::Source(source), starts.back().startUs});
    }
    m_chunk.putLittleEndianAt(0, m_chunkFirstRow);
    const QByteArray rows = m_chunk.seal().toByteArray();
    // Listed even when there are none: a reader knows by it that the file lists them all.
    start += portStartsChunk() + rows;
    m_chunkOpen = false;
    return start;
}

std::optional<CaptureStore::Source> RecordEncoder::recordedSource(
    CaptureStore::Source stored, bool announce)
{
    const QString name = m_rows.sourceName(stored);
    const auto known = std::find(m_names.begin(), m_names.end(), name);
    if (known != m_names.end())
        return CaptureStore::Source(known - m_names.begin());
    if (m_names.size() == CaptureStore::MaxSources)
        return std::nullopt;
    m_names.push_back(name);
    if (!announce)
        return CaptureStore::Source(m_names.size() - 1);
    // A source the recording had not named: named in a chunk of its own before its rows.
    flush();
    const QByteArray utf8 = name.toUtf8();
    m_chunk.begin(Chunk::Source);
    m_chunk.putVarint(m_names.size() - 1);
    m_chunk.putVarint(std::uint64_t(utf8.size()));
    m_chunk.put(utf8.constData(), std::size_t(utf8.size()));
    m_deliver(m_chunk.seal().toByteArray(), true);
    return CaptureStore::Source(m_names.size() - 1);
}

void RecordEncoder::nameNewSources()
{
    for (std::size_t source = m_sourceOf.size(); source < m_rows.sourceCount(); ++source)
        m_sourceOf.push_back(recordedSource(CaptureStore::Source(source), true));
    m_startsWritten.resize(m_rows.sourceCount(), 0);
}

std::vector<RecordEncoder::Start> RecordEncoder::startsSinceLastTake()
{
    std::vector<Start> starts;
    for (std::size_t source = 0; source < m_rows.sourceCount(); ++source) {
        const auto all = m_rows.portStarts(CaptureStore::Source(source));
        for (std::size_t i = m_startsWritten[source]; i < all.size(); ++i)
            starts.push_back({all[i].firstRow, CaptureStore::Source(source), all[i].startUs});
        m_startsWritten[source] = all.size();
    }
    std::stable_sort(starts.begin(), starts.end(),
        [](const Start &a, const Start &b) { return a.firstRow < b.firstRow; });
    return starts;
}

void RecordEncoder::take()
{
    if (m_nextRow > m_rows.size())
        skipStored(); // emptied without a word: what is there now came after
    nameNewSources();
    const std::vector<Start> starts = startsSinceLastTake();
    auto nextStart = starts.begin();
    for (; m_nextRow < m_rows.size(); ++m_nextRow) {
        for (; nextStart != starts.end() && nextStart->firstRow <= m_nextRow; ++nextStart)
            putStart(*nextStart);
        putRow(m_nextRow);
    }
    for (; nextStart != starts.end(); ++nextStart)
        putStart(*nextStart);
}

void RecordEncoder::putStart(const Start &start)
{
    if (start.source >= m_sourceOf.size() || !m_sourceOf[start.source])
        return;
    if (!m_chunkOpen)
        beginChunk();
    RowEvents::putStart(m_chunk, *m_sourceOf[start.source], start.startUs);
    m_chunkStarts.push_back({m_chunkRows, *m_sourceOf[start.source], start.startUs});
}

void RecordEncoder::putRow(std::size_t row)
{
    CapturedMessage message = m_rows.at(row);
    const std::optional<CaptureStore::Source> source
        = message.source < m_sourceOf.size() ? m_sourceOf[message.source] : std::nullopt;
    if (!source) {
        ++m_rowsSeen;
        ++m_rowsDropped; // of a source past the most a recording names
        return;
    }
    if (!m_chunkOpen)
        beginChunk();
    ++m_rowsSeen;
    if (m_chunkRows == 0)
        m_chunk.putLittleEndianAt(12, message.stampUs);
    message.source = *source;
    m_events.putRow(m_chunk, message);
    ++m_chunkRows;
    if (m_chunk.payloadSize() >= RowsChunkBytes)
        flush();
}

void RecordEncoder::beginChunk()
{
    m_chunk.begin(Chunk::Rows);
    m_chunk.putLittleEndianAt(RowsHead - 1, std::uint8_t(0)); // the head, set when full
    m_events.restart();
    m_chunkOpen = true;
    m_chunkStarts.clear();
    m_chunkRows = 0;
    m_chunkFirstRow = m_rowsSeen;
}

void RecordEncoder::flush()
{
    if (!m_chunkOpen)
        return;
    m_chunkOpen = false;
    m_chunk.putLittleEndianAt(0, m_chunkFirstRow);
    m_chunk.putLittleEndianAt(8, m_chunkRows);
    const QByteArray rows = m_chunk.seal().toByteArray();
    const bool hasStarts = !m_chunkStarts.empty();
    if (!m_deliver(hasStarts ? portStartsChunk() + rows : rows, hasStarts))
        m_rowsDropped += m_chunkRows;
}

QByteArray RecordEncoder::portStartsChunk()
{
    m_chunk.begin(Chunk::PortStarts);
    m_chunk.putVarint(m_chunkStarts.size());
    std::size_t rowsBefore = 0;
    for (const Start &start : m_chunkStarts) {
        m_chunk.putVarint(start.firstRow - rowsBefore);
        m_chunk.put(&start.source, 1);
        m_chunk.putVarint(zigzag(start.startUs));
        rowsBefore = start.firstRow;
    }
    return m_chunk.seal().toByteArray();
}

QByteArray RecordEncoder::fileEnd()
{
    flush();
    m_chunk.begin(Chunk::End);
    m_chunk.putLittleEndian(m_rowsSeen);
    return m_chunk.seal().toByteArray();
}
