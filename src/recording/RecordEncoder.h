#pragma once

#include "capture/CaptureStore.h"
#include "capture/ChunkBuffer.h"

#include <QByteArray>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// Turns the rows of a store into the chunks of a recording as they are stored, on the thread
// that stores them (encoding costs about what copying the rows would). A recording has
// sources of its own, named by the store's names, so that it goes on the same across a store
// emptied or replaced by a file's rows. Rows are numbered from the recording's start, those
// the writer could not keep included, so that a reader sees where rows are missing.
class RecordEncoder
{
public:
    // Where a chunk goes once full: false when it could not be kept. A chunk that
    // `mustKeep` (the rows after it would read wrong without it) is always kept.
    using Deliver = std::function<bool(QByteArray chunk, bool mustKeep)>;

    RecordEncoder(const CaptureStore &rows, Deliver deliver);

    // The rows stored so far are no part of the recording (they were before it, or are there
    // again after a clear was undone): it goes on after them.
    void skipStored();
    // What each file of the recording begins with: the header, the clock, the sources and
    // each source's port start, so that each file reads on its own.
    QByteArray fileStart();
    // Encodes the rows stored since the last call, handing on each chunk that fills.
    void take();
    // Hands on the chunk being filled, when it holds anything.
    void flush();
    // The end chunk of a file that was stopped, not cut short: after flush().
    QByteArray fileEnd();

    std::uint64_t rowsSeen() const { return m_rowsSeen; }
    // The store's rows taken since the recording last went on after the rows stored: they are
    // the recording's rows from `recorded` on, one for one.
    struct Run
    {
        std::size_t firstRow;
        std::size_t rows;
        std::uint64_t recorded;
    };
    Run run() const { return {m_runFirstRow, m_nextRow - m_runFirstRow, m_runFirstRecorded}; }
    // The recording's sources, in its numbers.
    const std::vector<QString> &sourceNames() const { return m_names; }
    std::uint64_t rowsDropped() const { return m_rowsDropped; }

private:
    struct Start
    {
        std::size_t firstRow;
        CaptureStore::Source source;
        std::int64_t startUs;
    };

    std::optional<CaptureStore::Source> recordedSource(CaptureStore::Source stored, bool announce);
    void nameNewSources();
    std::vector<Start> startsSinceLastTake();
    void putStart(const Start &start);
    void putRow(std::size_t row);
    void beginChunk();
    // The chunk that lists the port starts of the rows chunk it goes before, in the
    // recording's sources, each after the rows of the chunk before it.
    QByteArray portStartsChunk();

    const CaptureStore &m_rows;
    Deliver m_deliver;
    ChunkBuffer m_chunk;
    RowEvents m_events;
    bool m_chunkOpen = false;
    std::vector<Start> m_chunkStarts; // firstRow counts from the chunk's first row
    std::uint32_t m_chunkRows = 0;
    std::uint64_t m_chunkFirstRow = 0;
    std::size_t m_nextRow = 0; // of the store
    std::size_t m_runFirstRow = 0;
    std::uint64_t m_runFirstRecorded = 0;
    std::vector<std::size_t> m_startsWritten; // by the store's source
    std::vector<QString> m_names; // the recording's sources
    std::vector<std::optional<CaptureStore::Source>> m_sourceOf; // by the store's source
    std::uint64_t m_rowsSeen = 0;
    std::uint64_t m_rowsDropped = 0;
};
