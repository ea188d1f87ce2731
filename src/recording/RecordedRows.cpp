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
    const ChunkKey key {place.file->base, place.file->path, place.chunk->offset};
    if (m_decoded[1].rows && m_decoded[1].key == key)
        std::swap(m_decoded[0], m_decoded[1]);
    if (m_decoded[0].rows && m_decoded[0].key == key)
        return m_decoded[0].rows.get();
    std::optional<Decoding> ahead = takeAhead(key);
    std::unique_ptr<CaptureStore> rows = ahead ? ahead->rows.get() : nullptr;
    if (!rows)
        rows = decode(key.path, key.offset, place.file->sources);
    if (!rows || rows->size() != place.chunk->rows)
        return nullptr;
    m_decoded[1] = std::exchange(m_decoded[0], {key, std::move(rows)});
    readAhead(place);
    return m_decoded[0].rows.get();
}

std::optional<RecordedRows::Decoding> RecordedRows::takeAhead(const ChunkKey &key) const
{
    const auto found = std::find_if(
        m_ahead.begin(), m_ahead.end(), [&](const Decoding &ahead) { return ahead.key == key; });
    if (found == m_ahead.end())
        return std::nullopt;
    Decoding taken = std::move(*found);
    m_ahead.erase(found);
    return taken;
}

void RecordedRows::readAhead(const Place &place) const
{
    const bool backward = m_readingBackward;
    // Another file's chunks, or the one being written, are read when they are wanted.
    const File &file = *place.file;
    const auto at = std::size_t(place.chunk - file.chunks.data());
    const std::size_t room = backward ? at : file.chunks.size() - at - 1;
    std::deque<Decoding> ahead;
    for (std::size_t step = 1; step <= std::min(room, ChunksAhead); ++step) {
        const ChunkKey key {
            file.base, file.path, file.chunks[backward ? at - step : at + step].offset};
        std::optional<Decoding> going = takeAhead(key);
        ahead.push_back(going
                ? std::move(*going)
                : Decoding {key,
                    std::async(std::launch::async, decode, file.path, key.offset, file.sources)});
    }
    m_ahead = std::move(ahead); // what is not wanted now waits for its thread, and goes
}

void RecordedRows::onRead(std::function<void()> told)
{
    const std::lock_guard lock(m_lock);
    m_onRead = std::move(told);
}

bool RecordedRows::read(std::uint64_t first, std::size_t count, const Take &take) const
{
    const std::lock_guard lock(m_lock);
    // A find backward reads back the rows before those it read last; each read goes forward.
    m_readingBackward = first < m_lastRead;
    m_lastRead = first;
    const bool whole = readRows(first, count, take);
    if (m_onRead)
        m_onRead();
    return whole;
}

bool RecordedRows::readRows(std::uint64_t first, std::size_t count, const Take &take) const
{
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
