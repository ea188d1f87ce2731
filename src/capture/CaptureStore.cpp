#include "CaptureStore.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

namespace {

constexpr std::int64_t LargestStamp = (std::int64_t(1) << 47) - 1;

} // namespace

CaptureStore::CaptureStore()
    : m_liveStart(LiveClock::now())
    , m_wallUsAtStart(std::chrono::duration_cast<std::chrono::microseconds>(
          std::chrono::system_clock::now().time_since_epoch())
                          .count())
{ }

std::int64_t CaptureStore::stampOf(LiveClock::time_point moment) const
{
    return std::chrono::duration_cast<std::chrono::microseconds>(moment - m_liveStart).count();
}

void CaptureStore::setWallClockAtStart(std::int64_t wallUs)
{
    // Beyond a century either side, the move of the live clock overflows its nanoseconds.
    wallUs = std::clamp(wallUs, -LargestWallClockUs, LargestWallClockUs);
    m_liveStart += std::chrono::microseconds(wallUs - m_wallUsAtStart);
    m_wallUsAtStart = wallUs;
}

std::uint32_t CaptureStore::Record::arenaIndex() const
{
    std::uint32_t index;
    std::memcpy(&index, payload, sizeof index);
    return index;
}

std::optional<CaptureStore::Source> CaptureStore::sourceNamed(const QString &name)
{
    const auto known = std::find(m_sourceNames.begin(), m_sourceNames.end(), name);
    if (known != m_sourceNames.end())
        return Source(known - m_sourceNames.begin());
    if (m_sourceNames.size() == MaxSources)
        return std::nullopt;
    m_sourceNames.push_back(name);
    m_portStarts.emplace_back();
    return Source(m_sourceNames.size() - 1);
}

QString CaptureStore::sourceName(Source source) const
{
    return source < m_sourceNames.size() ? m_sourceNames[source] : QString();
}

bool CaptureStore::hasRoomFor(std::size_t bytes)
{
    if (!m_outOfMemory && bytes <= m_memoryLimit - std::min(m_memoryLimit, m_bytesTaken)) {
        m_bytesTaken += bytes;
        return true;
    }
    m_outOfMemory = true;
    return false;
}

CaptureStore::Record *CaptureStore::newRecord(Origin origin, Source source, std::int64_t stampUs)
{
    if (m_outOfMemory)
        return nullptr;
    if (m_size == m_slots.size() * ChunkSize) {
        if (!hasRoomFor(sizeof(Chunk)))
            return nullptr;
        // A capture of hours at a high rate can meet the process's memory limit here: the
        // rows held are worth more than the next one.
        try {
            m_slots.emplace_back().chunk = new Chunk;
        } catch (const std::bad_alloc &) {
            m_outOfMemory = true;
            return nullptr;
        }
    } else if (m_slots.back().recorded != NotOnDisk) {
        ownLastChunk();
    }
    Record &record = m_slots.back().chunk.load()->records[m_size & (ChunkSize - 1)];
    ++m_size;
    stampUs = std::clamp(stampUs, -LargestStamp - 1, LargestStamp);
    record.stampLow = std::uint32_t(stampUs);
    record.stampHigh = std::int16_t(stampUs >> 32);
    record.sizeAndOrigin = std::uint8_t(origin);
    record.source = source;
    if (origin == Origin::Received)
        m_receivedFrom.set(source);
    return &record;
}

bool CaptureStore::append(
    Origin origin, Source source, std::int64_t stampUs, std::span<const std::uint8_t> bytes)
{
    if (bytes.size() > 3) {
        if (m_outOfMemory)
            return false;
        QByteArray copy;
        try {
            copy
                = QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
        } catch (const std::bad_alloc &) {
            m_outOfMemory = true;
            return false;
        }
        return append(origin, source, stampUs, copy);
    }
    Record *record = newRecord(origin, source, stampUs);
    if (!record)
        return false;
    record->sizeAndOrigin |= std::uint8_t(bytes.size() << 4);
    std::copy(bytes.begin(), bytes.end(), record->payload);
    return true;
}

bool CaptureStore::append(
    Origin origin, Source source, std::int64_t stampUs, const QByteArray &bytes)
{
    if (bytes.size() <= 3)
        return append(origin, source, stampUs,
            std::span(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                std::size_t(bytes.size())));
    return appendToArena(origin, source, stampUs, bytes, LongMessage);
}

bool CaptureStore::appendUmp(
    Origin origin, Source source, std::int64_t stampUs, const Ump::Packet &packet)
{
    if (m_outOfMemory)
        return false;
    QByteArray words;
    try {
        words = Ump::bytesOf(packet);
    } catch (const std::bad_alloc &) {
        m_outOfMemory = true;
        return false;
    }
    return appendToArena(origin, source, stampUs, words, UmpMessage);
}

bool CaptureStore::appendToArena(
    Origin origin, Source source, std::int64_t stampUs, const QByteArray &bytes, std::uint8_t size)
{
    if (m_outOfMemory || !hasRoomFor(std::size_t(bytes.size())))
        return false;
    Record *record = newRecord(origin, source, stampUs);
    if (!record)
        return false;
    std::vector<QByteArray> &arena = m_slots.back().chunk.load()->arena;
    try {
        arena.push_back(bytes);
    } catch (const std::bad_alloc &) {
        --m_size;
        m_outOfMemory = true;
        return false;
    }
    record->sizeAndOrigin |= std::uint8_t(size << 4);
    const auto index = std::uint32_t(arena.size() - 1);
    std::memcpy(record->payload, &index, sizeof index);
    return true;
}

std::size_t CaptureStore::append(const CaptureStore &other, std::size_t firstRow)
{
    if (firstRow >= other.size())
        return 0;
    std::int64_t shiftUs = other.m_wallUsAtStart - m_wallUsAtStart;
    if (std::abs(shiftUs) > LargestStamp / 2)
        shiftUs = (m_size > 0 ? at(m_size - 1).stampUs : 0) - other.at(firstRow).stampUs;
    const std::size_t base = m_size;
    const std::size_t known = m_sourceNames.size();
    std::vector<std::int64_t> ownStarts(known);
    for (std::size_t source = 0; source < known; ++source)
        ownStarts[source] = portStartUs(Source(source), base);
    std::vector<std::optional<Source>> sources(other.sourceCount());
    for (std::size_t source = 0; source < sources.size(); ++source) {
        sources[source] = sourceNamed(other.m_sourceNames[source]);
        if (!sources[source])
            continue;
        startPort(*sources[source], other.portStartUs(Source(source), firstRow) + shiftUs);
        for (const PortStart &start : other.m_portStarts[source])
            if (start.firstRow > firstRow)
                m_portStarts[*sources[source]].push_back(
                    {base + start.firstRow - firstRow, start.startUs + shiftUs});
    }
    std::size_t leftOut = 0;
    for (std::size_t row = firstRow; row < other.size(); ++row) {
        const Record &stored = other.record(row);
        const std::optional<Source> source
            = stored.source < sources.size() ? sources[stored.source] : std::nullopt;
        if (!source) {
            ++leftOut;
            continue;
        }
        const std::size_t before = m_size;
        appendRowOf(other, row, *source, stored.stampUs() + shiftUs);
        if (const std::optional<QString> note = other.m_marks.noteAt(row); note && m_size > before)
            m_marks.set(m_size - 1, *note);
    }
    for (std::size_t source = 0; source < known; ++source)
        startPort(Source(source), ownStarts[source]);
    return leftOut;
}

void CaptureStore::appendRowOf(
    const CaptureStore &from, std::size_t row, Source source, std::int64_t stampUs)
{
    const Record &stored = from.record(row);
    if (stored.inArena())
        appendToArena(stored.origin(), source, stampUs, from.longMessage(row), stored.size());
    else
        append(stored.origin(), source, stampUs, std::span(stored.payload, stored.size()));
}

void CaptureStore::putBackBefore(CaptureStore &&earlier)
{
    // The names here begin with those of `earlier`, so its rows keep their sources.
    for (std::size_t source = earlier.sourceCount(); source < sourceCount(); ++source)
        earlier.sourceNamed(m_sourceNames[source]);
    const std::size_t base = earlier.size();
    for (std::size_t source = 0; source < m_portStarts.size(); ++source)
        for (const PortStart &start : m_portStarts[source])
            earlier.m_portStarts[source].push_back({base + start.firstRow, start.startUs});
    // The rows since are the fewer as a rule: they are copied, the earlier ones kept.
    for (std::size_t row = 0; row < m_size; ++row)
        earlier.appendRowOf(*this, row, record(row).source, record(row).stampUs());
    earlier.m_marks.addShifted(m_marks, base);
    earlier.m_liveStart = m_liveStart;
    earlier.m_wallUsAtStart = m_wallUsAtStart;
    *this = std::move(earlier);
}

void CaptureStore::startPort(Source source, std::int64_t startUs)
{
    if (source < m_portStarts.size())
        m_portStarts[source].push_back({m_size, startUs});
}

std::span<const CaptureStore::PortStart> CaptureStore::portStarts(Source source) const
{
    return source < m_portStarts.size() ? std::span(m_portStarts[source])
                                        : std::span<const PortStart>();
}

CapturedMessage CaptureStore::at(std::size_t row) const
{
    const Record &stored = record(row);
    CapturedMessage message {stored.origin(), stored.source, stored.stampUs(), {}, {}};
    std::span<const std::uint8_t> &held = stored.size() == UmpMessage ? message.ump
        : stored.origin() == Origin::SendFailed                       ? message.unsent
                                                                      : message.bytes;
    if (stored.inArena()) {
        const QByteArray &bytes = longMessage(row);
        held = {
            reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size())};
    } else {
        held = {stored.payload, stored.size()};
    }
    return message;
}

std::int64_t CaptureStore::portStartUs(Source source, std::size_t row) const
{
    if (source >= m_portStarts.size())
        return 0;
    const std::vector<PortStart> &starts = m_portStarts[source];
    const auto after = std::upper_bound(starts.begin(), starts.end(), row,
        [](std::size_t r, const PortStart &start) { return r < start.firstRow; });
    return after == starts.begin() ? 0 : std::prev(after)->startUs;
}

std::optional<std::int64_t> CaptureStore::portUs(std::size_t row) const
{
    const Record &stored = record(row);
    if (stored.origin() != Origin::Received)
        return std::nullopt;
    return stored.stampUs() - portStartUs(stored.source, row);
}

std::optional<std::int32_t> CaptureStore::portMs(std::size_t row) const
{
    const std::optional<std::int64_t> sinceStart = portUs(row);
    if (!sinceStart)
        return std::nullopt;
    return std::int32_t(std::uint32_t(*sinceStart / 1000));
}

std::optional<std::int64_t> CaptureStore::wallMs(std::size_t row) const
{
    if (record(row).origin() != Origin::Received)
        return std::nullopt;
    return storedWallMs(row);
}

std::int64_t CaptureStore::storedWallMs(std::size_t row) const
{
    const std::int64_t wallUs = m_wallUsAtStart + record(row).stampUs();
    return wallUs >= 0 ? wallUs / 1000 : (wallUs - 999) / 1000;
}

void CaptureStore::clear()
{
    m_slots = decltype(m_slots)();
    m_size = 0;
    m_bytesTaken = 0;
    m_paging->bytesReadBack = 0;
    m_outOfMemory = false;
    m_receivedFrom.reset();
    m_marks.clear();
    for (std::vector<PortStart> &starts : m_portStarts)
        if (!starts.empty())
            starts = {{0, starts.back().startUs}};
}

CaptureStore CaptureStore::emptied() const
{
    CaptureStore empty;
    empty.m_sourceNames = m_sourceNames;
    empty.m_portStarts = m_portStarts;
    empty.m_liveStart = m_liveStart;
    empty.m_wallUsAtStart = m_wallUsAtStart;
    empty.m_disk = m_disk;
    empty.clear();
    return empty;
}

std::vector<CaptureStore::Source> CaptureStore::receivedSources() const
{
    std::vector<Source> sources;
    for (std::size_t source = 0; source < m_sourceNames.size(); ++source)
        if (m_receivedFrom.test(source))
            sources.push_back(Source(source));
    return sources;
}

std::size_t CaptureStore::Chunk::bytes() const
{
    std::size_t held = sizeof(Chunk) + arena.capacity() * sizeof(QByteArray);
    for (const QByteArray &message : arena)
        held += std::size_t(message.capacity());
    return held;
}

std::size_t CaptureStore::bytesHeld() const
{
    std::size_t bytes = m_slots.size() * sizeof(Slot);
    for (const Slot &slot : m_slots)
        if (const Chunk *chunk = slot.chunk.load(std::memory_order_acquire))
            bytes += chunk->bytes();
    return bytes;
}

std::size_t CaptureStore::dropOldest(std::size_t rows)
{
    const std::size_t chunks = std::min(rows, m_size) >> ChunkShift;
    if (chunks == 0)
        return 0;
    const std::size_t dropped = chunks * ChunkSize;
    dropPortStartsOf(dropped);
    m_marks.dropFirst(dropped);
    for (std::size_t i = 0; i < chunks; ++i) {
        forget(m_slots.front());
        m_slots.pop_front();
    }
    m_size -= dropped;
    return dropped;
}

void CaptureStore::forget(Slot &slot)
{
    Chunk *chunk = slot.chunk.exchange(nullptr);
    if (!chunk)
        return;
    const std::size_t bytes = chunk->bytes();
    std::atomic<std::size_t> &readBack = m_paging->bytesReadBack;
    if (slot.readBack > 0)
        readBack -= std::min(readBack.load(), bytes);
    else
        m_bytesTaken -= std::min(m_bytesTaken, bytes);
    delete chunk;
}

// A source's kept rows count from the last start at or before the first of them, which
// becomes its start at row 0; the starts after it move with their rows.
void CaptureStore::dropPortStartsOf(std::size_t rows)
{
    for (std::vector<PortStart> &starts : m_portStarts) {
        const auto after = std::upper_bound(starts.begin(), starts.end(), rows,
            [](std::size_t r, const PortStart &start) { return r < start.firstRow; });
        if (after != starts.begin())
            starts.erase(starts.begin(), std::prev(after));
        for (PortStart &start : starts)
            start.firstRow -= std::min(start.firstRow, rows);
    }
}

std::size_t CaptureStore::rowsInChunksBefore(std::int64_t stampUs) const
{
    std::size_t rows = leadingRowsOnDisk() & ~(ChunkSize - 1);
    if (rows > 0
        && (rows + ChunkSize > m_size || record(rows + ChunkSize - 1).stampUs() >= stampUs))
        return 0;
    while (rows + ChunkSize <= m_size && record(rows + ChunkSize - 1).stampUs() < stampUs)
        rows += ChunkSize;
    return rows;
}

std::size_t CaptureStore::leadingRowsOnDisk() const
{
    if (!m_disk)
        return 0;
    std::size_t slot = 0;
    while (slot < m_slots.size() && m_slots[slot].recorded != NotOnDisk)
        ++slot;
    return std::min(slot * ChunkSize, m_size);
}

void CaptureStore::placeOnDisk(std::size_t firstRow, std::size_t count, std::uint64_t recorded)
{
    const std::size_t first = (firstRow + ChunkSize - 1) >> ChunkShift;
    // Newest first, up to those placed before: a run is placed again as it grows.
    for (std::size_t end = std::min(firstRow + count, m_size) >> ChunkShift; end > first;) {
        Slot &slot = m_slots[--end];
        if (slot.recorded != NotOnDisk)
            return;
        slot.recorded = recorded + (end * ChunkSize - firstRow);
    }
}

void CaptureStore::appendOnDisk(std::size_t count, std::uint64_t recorded)
{
    while (count > 0) {
        if (m_size == m_slots.size() * ChunkSize)
            m_slots.emplace_back().recorded = recorded;
        const std::size_t taken = std::min(count, m_slots.size() * ChunkSize - m_size);
        m_size += taken;
        recorded += taken;
        count -= taken;
    }
    for (std::size_t source = 0; source < m_sourceNames.size(); ++source)
        m_receivedFrom.set(source);
}

void CaptureStore::ownLastChunk()
{
    Slot &last = m_slots.back();
    const std::size_t bytes = readBack(m_slots.size() - 1).bytes();
    m_paging->bytesReadBack -= std::min(m_paging->bytesReadBack.load(), bytes);
    m_bytesTaken += bytes;
    last.readBack = 0;
    last.recorded = NotOnDisk;
}

std::size_t CaptureStore::rowsRecordedBefore(std::uint64_t recorded) const
{
    std::size_t chunks = 0;
    while (chunks < m_slots.size() && m_slots[chunks].recorded != NotOnDisk
        && m_slots[chunks].recorded < recorded)
        ++chunks;
    return chunks * ChunkSize;
}

void CaptureStore::letGoOfRowsOnDisk(std::size_t keepBytes)
{
    if (!m_disk || m_bytesTaken + m_paging->bytesReadBack <= keepBytes)
        return;
    struct Candidate
    {
        std::uint64_t readBack;
        std::size_t slot;
        auto operator<=>(const Candidate &) const = default;
    };
    std::vector<Candidate> candidates;
    for (std::size_t slot = 0; slot < m_slots.size(); ++slot)
        if (m_slots[slot].chunk.load() && m_slots[slot].recorded != NotOnDisk)
            candidates.push_back({m_slots[slot].readBack.load(), slot});
    std::sort(candidates.begin(), candidates.end());
    bool writing = false;
    for (const Candidate &candidate : candidates) {
        if (m_bytesTaken + m_paging->bytesReadBack <= keepBytes)
            return;
        // The oldest row stored that is not on disk yet is the writer's to catch up on, and
        // so are those stored after it; rows read back were on disk.
        if (writing && candidate.readBack == 0)
            continue;
        Slot &slot = m_slots[candidate.slot];
        if (m_disk->holds(slot.recorded, ChunkSize))
            forget(slot);
        else if (candidate.readBack == 0)
            writing = true;
    }
}

const CaptureStore::Chunk &CaptureStore::readBack(std::size_t index) const
{
    const Slot &slot = m_slots[index];
    const std::lock_guard lock(m_paging->reading);
    if (const Chunk *chunk = slot.chunk.load(std::memory_order_acquire))
        return *chunk; // another thread read it back meanwhile
    auto chunk = std::unique_ptr<Chunk>(new Chunk); // its records are all written below
    const std::size_t count = std::min(ChunkSize, m_size - index * ChunkSize);
    std::size_t filled = 0;
    const bool read = m_disk && slot.recorded != NotOnDisk
        && m_disk->read(slot.recorded, count,
            [&](const CaptureStore &rows, std::size_t firstRow, std::size_t taken) {
                taken = std::min(taken, count - filled);
                fillFrom(*chunk, filled, rows, firstRow, taken);
                filled += taken;
            });
    if (!read || filled != count) {
        // The file went, or was changed: its rows read as what was never sent, not as
        // another's, and the failure is said.
        m_paging->failed = true;
        chunk->arena.clear();
        std::fill(std::begin(chunk->records), std::end(chunk->records),
            Record {0, 0, std::uint8_t(Origin::SendFailed), 0, {}});
    }
    m_paging->bytesReadBack += chunk->bytes();
    slot.readBack = ++m_paging->clock;
    slot.chunk.store(chunk.get(), std::memory_order_release);
    return *chunk.release();
}

void CaptureStore::fillFrom(Chunk &chunk, std::size_t filled, const CaptureStore &read,
    std::size_t firstRow, std::size_t count) const
{
    std::array<Source, MaxSources> sources {};
    bool sameSources = true;
    for (std::size_t source = 0; source < read.sourceCount(); ++source) {
        const auto known
            = std::find(m_sourceNames.begin(), m_sourceNames.end(), read.m_sourceNames[source]);
        sources[source] = known == m_sourceNames.end() ? 0 : Source(known - m_sourceNames.begin());
        sameSources = sameSources && sources[source] == source;
    }
    // Run by run of the chunks they lie in, copied whole, then given this store's sources
    // and long messages where they have others.
    for (std::size_t row = firstRow; row < firstRow + count;) {
        const Chunk &from = read.chunkOf(row);
        const std::size_t at = row & (ChunkSize - 1);
        const std::size_t run = std::min(ChunkSize - at, firstRow + count - row);
        Record *into = std::copy_n(from.records + at, run, chunk.records + filled) - run;
        filled += run;
        row += run;
        if (sameSources && from.arena.empty())
            continue;
        for (Record &record : std::span(into, run)) {
            record.source = sources[record.source];
            if (!record.inArena())
                continue;
            chunk.arena.push_back(from.arena[record.arenaIndex()]);
            const auto index = std::uint32_t(chunk.arena.size() - 1);
            std::memcpy(record.payload, &index, sizeof index);
        }
    }
}
