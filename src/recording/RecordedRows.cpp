#include "RecordedRows.h"

#include "capture/CaptureFormat.h"
#include "capture/CaptureReader.h"

#include <QFile>
#include <algorithm>
#include <utility>

void RecordedRows::addFile(const QString &path, std::uint64_t base, std::uint64_t firstRow)
{
    const std::lock_guard lock(m_lock);
    std::vector<QString> sources;
    for (const File &file : m_files)
        if (file.base == base)
            sources = file.sources;
    m_files.push_back({path, base, firstRow, sources, {}, CaptureFormat::HeaderSize});
}

std::uint64_t RecordedRows::newBase()
{
    const std::lock_guard lock(m_lock);
    return std::exchange(m_nextBase, m_nextBase + BaseSpacing);
}

void RecordedRows::addOpenedFile(const QString &path, std::uint64_t base,
    std::vector<QString> sources, std::vector<ChunkIndex::RowsChunk> chunks, qint64 indexedTo)
{
    const std::lock_guard lock(m_lock);
    for (ChunkIndex::RowsChunk &chunk : chunks)
        chunk.firstRow -= base;
    const std::uint64_t firstRow = chunks.empty() ? 0 : chunks.front().firstRow;
    m_files.push_back(
        {path, base, firstRow, std::move(sources), std::move(chunks), indexedTo, false});
}

void RecordedRows::nameSources(std::uint64_t base, const std::vector<QString> &names)
{
    const std::lock_guard lock(m_lock);
    for (File &file : m_files)
        if (file.base == base && file.sources.size() != names.size())
            file.sources = names;
}

std::uint64_t RecordedRows::removeOldestFile(std::uint64_t base)
{
    const std::lock_guard lock(m_lock);
    const auto isOfRecording = [base](const File &file) { return file.base == base; };
    const auto oldest = std::find_if(m_files.begin(), m_files.end(), isOfRecording);
    if (oldest != m_files.end())
        m_files.erase(oldest);
    const auto kept = std::find_if(m_files.begin(), m_files.end(), isOfRecording);
    return base + (kept == m_files.end() ? 0 : kept->firstRow);
}

// A recording's file only grows while it is written: what was indexed stays.
void RecordedRows::index(File &file) const
{
    QFile in(file.path);
    if (!in.open(QIODevice::ReadOnly))
        return;
    if (const std::optional<qint64> next
        = ChunkIndex::addRowsChunks(in, file.indexedTo, file.chunks))
        file.indexedTo = *next;
}

std::optional<RecordedRows::Place> RecordedRows::placeOf(std::uint64_t row) const
{
    for (File &file : m_files) {
        if (row < file.base)
            continue;
        const std::uint64_t local = row - file.base;
        if (file.growing
            && (file.chunks.empty()
                || file.chunks.back().firstRow + file.chunks.back().rows <= local))
            index(file);
        const auto after = std::upper_bound(file.chunks.begin(), file.chunks.end(), local,
            [](std::uint64_t r, const ChunkIndex::RowsChunk &chunk) { return r < chunk.firstRow; });
        for (auto chunk = after; chunk != file.chunks.begin();) {
            --chunk;
            if (chunk->firstRow + chunk->rows > local)
                return Place {&file, &*chunk};
            if (chunk->rows > 0)
                break;
        }
    }
    return std::nullopt;
}

bool RecordedRows::holds(std::uint64_t first, std::size_t count) const
{
    const std::lock_guard lock(m_lock);
    for (std::uint64_t row = first; row < first + count;) {
        const std::optional<Place> place = placeOf(row);
        if (!place)
            return false;
        row = place->file->base + place->chunk->firstRow + place->chunk->rows;
    }
    return true;
}

namespace {

std::unique_ptr<CaptureStore> decode(
    const QString &path, qint64 offset, const std::vector<QString> &sources)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return nullptr;
    return CaptureReader::readRecordedRows(in, offset, sources).rows;
}

} // namespace

const CaptureStore *RecordedRows::decoded(const Place &place) const
{
    const QString &path = place.file->path;
    const qint64 offset = place.chunk->offset;
    if (m_decoded && m_decodedPath == path && m_decodedOffset == offset)
        return m_decoded.get();
    m_decoded.reset();
    const bool ready = m_ahead.rows.valid() && m_ahead.path == path && m_ahead.offset == offset;
    std::unique_ptr<CaptureStore> rows = ready ? m_ahead.rows.get() : nullptr;
    if (!rows)
        rows = decode(path, offset, place.file->sources);
    if (!rows || rows->size() != place.chunk->rows)
        return nullptr;
    m_decoded = std::move(rows);
    m_decodedPath = path;
    m_decodedOffset = offset;
    readAhead(place);
    return m_decoded.get();
}

void RecordedRows::readAhead(const Place &place) const
{
    const ChunkIndex::RowsChunk *next = place.chunk + 1;
    if (next == place.file->chunks.data() + place.file->chunks.size())
        return; // the next file's, or the one being written: read when it is wanted
    if (m_ahead.rows.valid() && m_ahead.path == place.file->path && m_ahead.offset == next->offset)
        return;
    m_ahead = {place.file->path, next->offset,
        std::async(
            std::launch::async, decode, place.file->path, next->offset, place.file->sources)};
}

bool RecordedRows::read(std::uint64_t first, std::size_t count, const Take &take) const
{
    const std::lock_guard lock(m_lock);
    for (std::uint64_t row = first; row < first + count;) {
        const std::optional<Place> place = placeOf(row);
        const CaptureStore *chunk = place ? decoded(*place) : nullptr;
        if (!chunk)
            return false;
        const std::uint64_t chunkFirst = place->file->base + place->chunk->firstRow;
        const std::size_t taken
            = std::min<std::uint64_t>(first + count - row, chunkFirst + place->chunk->rows - row);
        take(*chunk, std::size_t(row - chunkFirst), taken);
        row += taken;
    }
    return true;
}
