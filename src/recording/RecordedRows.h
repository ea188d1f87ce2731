#pragma once

#include "capture/CaptureStore.h"
#include "capture/ChunkIndex.h"

#include <QString>
#include <array>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

// The files of a window's recordings, as what its rows are read back from once the store let
// go of them. Rows are numbered over the recordings one after another, each from its `base`,
// so that rows of an earlier recording still read back from its files while a later one goes
// on. Read from whichever thread reads the rows; told of new files on the window's.
class RecordedRows : public CaptureStore::RowsOnDisk
{
public:
    // Where the numbers of a recording's rows, or of a recorded file opened, begin: apart
    // from every other's by more rows than a recording of years holds.
    std::uint64_t newBase();
    // A file of a recording began with the recording's row `firstRow`; the recording
    // numbers its rows from `base`.
    void addFile(const QString &path, std::uint64_t base, std::uint64_t firstRow);
    // A recorded file opened, its rows chunks numbered one after another as the store holds
    // them, from `base` on, and its sources named, in its numbers, by `sources`.
    void addOpenedFile(const QString &path, std::uint64_t base, std::vector<QString> sources,
        std::vector<ChunkIndex::RowsChunk> chunks, qint64 indexedTo);
    // The recording that began at `base` names its sources so; a recording only adds names.
    void nameSources(std::uint64_t base, const std::vector<QString> &names);
    // The oldest file of the recording that began at `base` was removed, to keep the files
    // a rotating recording keeps: returns the number of its first row still on disk.
    std::uint64_t removeOldestFile(std::uint64_t base);

    // Told on the reading thread after every read, whole or not, while no other read goes
    // on: for the owner to let go of rows again, later and from its own thread.
    void onRead(std::function<void()> told);

    bool read(std::uint64_t first, std::size_t count, const Take &take) const override;
    bool holds(std::uint64_t first, std::size_t count) const override;

private:
    struct File
    {
        QString path;
        std::uint64_t base;
        std::uint64_t firstRow;
        std::vector<QString> sources;
        std::vector<ChunkIndex::RowsChunk> chunks; // as far as the file was whole when looked at
        qint64 indexedTo = 0;
        bool growing = true; // a recording's; a file opened was indexed whole
    };
    struct Place
    {
        const File *file;
        const ChunkIndex::RowsChunk *chunk;
    };
    bool readRows(std::uint64_t first, std::size_t count, const Take &take) const;
    // The chunk that holds the row; nothing when no file holds it whole.
    std::optional<Place> placeOf(std::uint64_t row) const;
    void index(File &file) const;
    const CaptureStore *decoded(const Place &place) const;
    // Decodes the chunks after `place`, or before it, on other threads: a reader that goes
    // on finds them ready. Two, since decoding a chunk takes longer than reading its rows.
    void readAhead(const Place &place) const;
    // A chunk of one opening of a file, or of one recording's: a file opened again, or
    // written again by a later recording, is read anew.
    struct ChunkKey
    {
        std::uint64_t base;
        QString path;
        qint64 offset;
        bool operator==(const ChunkKey &) const = default;
    };
    struct Decoding
    {
        ChunkKey key;
        std::future<std::unique_ptr<CaptureStore>> rows;
    };
    std::optional<Decoding> takeAhead(const ChunkKey &key) const;
    static constexpr std::size_t ChunksAhead = 2;

    static constexpr std::uint64_t BaseSpacing = std::uint64_t(1) << 40;

    mutable std::mutex m_lock;
    std::uint64_t m_nextBase = 0;
    mutable std::deque<File> m_files; // oldest first
    struct Decoded
    {
        ChunkKey key;
        std::unique_ptr<CaptureStore> rows;
    };
    // The chunk read last, which the next read wants as a rule (a chunk holds some forty
    // times what the store reads back at once), and the one before it: a read of rows on
    // either side of two chunks' border wants both, in whichever direction the reader goes.
    mutable std::array<Decoded, 2> m_decoded;
    mutable std::deque<Decoding> m_ahead;
    mutable std::uint64_t m_lastRead = 0;
    mutable bool m_readingBackward = false;
    std::function<void()> m_onRead; // guarded by m_lock
};
