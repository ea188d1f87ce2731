#pragma once

#include "RowMarks.h"
#include "midi/UmpPacket.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <bitset>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

// Where a stored message came from: the traffic that arrived, or what the program sent.
enum class Origin : std::uint8_t { Received, Sent, SendFailed };

// One stored message as a reader sees it. The bytes stay valid until the store is cleared, or
// until the store lets go of the rows it has on disk (see CaptureStore::letGoOfRowsOnDisk).
struct CapturedMessage
{
    Origin origin = Origin::Received;
    std::uint8_t source = 0; // see CaptureStore::sourceName
    std::int64_t stampUs = 0; // since the capture began
    // The message whole as it crossed the wire, status first, or a SysEx from F0 on; empty
    // for a failed send.
    std::span<const std::uint8_t> bytes = {};
    // What a failed send tried to send (none from files of versions that did not keep it).
    // Apart from `bytes`, so that what reads a row as traffic never takes it for some.
    std::span<const std::uint8_t> unsent = {};
    // A Universal MIDI Packet kept whole, its words most significant byte first, as they are
    // written down; empty for a row of MIDI 1.0 bytes. A UMP row holds no `bytes`, so that
    // what reads rows as MIDI 1.0 passes it by.
    std::span<const std::uint8_t> ump = {};

    bool isUmp() const { return !ump.empty(); }
    Ump::Packet umpPacket() const { return Ump::packetOfBytes(ump); }
    bool isSysEx() const { return !bytes.empty() && bytes.front() == 0xF0; }
    // The bytes the row holds, sent or not.
    std::span<const std::uint8_t> held() const
    {
        return origin == Origin::SendFailed ? unsent : bytes;
    }
};

// What the program sent, or tried to: the bytes as they went to the port, or as they were
// handed to it when the send failed.
struct SentMessage
{
    Origin origin = Origin::SendFailed;
    QByteArray bytes;
};

// Every message of a capture as a value, in the order it was stored, compact enough for
// tens of millions: a record of 12 bytes holds the origin, the source, the stamp and up to
// three bytes; a longer message (a SysEx dump) lies beside its chunk's records as a shared
// byte array, so a dump the input assembled is kept without a copy. Records lie in chunks of
// fixed size, so that growing never moves what is stored. Text is made from the records only
// where a person reads it. A chunk whose rows are recorded on disk may be let go of and read
// back when a reader comes to it, so that a recording of days takes little more memory than
// what is being read.
class CaptureStore
{
public:
    using Source = std::uint8_t;
    using LiveClock = std::chrono::steady_clock;
    static constexpr std::size_t MaxSources = 256;
    // The size a record gives a message of more than three bytes.
    static constexpr std::uint8_t LongMessage = 0xF;
    // The size a record gives a UMP message, whose words lie in the arena as a long message's
    // bytes do.
    static constexpr std::uint8_t UmpMessage = 0xE;

    // Stamp 0 is now, on the steady clock and on the wall clock.
    CaptureStore();

    // The longest source name a file may give, in bytes of UTF-8: far more than any port's
    // name, and short enough to lay out.
    static constexpr qsizetype LongestSourceName = 1024;

    // The source of that port name, added when new; nothing when MaxSources are named
    // already, so that no row is ever stored under another source's name.
    std::optional<Source> sourceNamed(const QString &name);
    QString sourceName(Source source) const;

    // False when the memory ran out (see outOfMemory()): the row was not stored.
    bool append(
        Origin origin, Source source, std::int64_t stampUs, std::span<const std::uint8_t> bytes);
    // A message already held in a byte array: a long one is shared, not copied.
    bool append(Origin origin, Source source, std::int64_t stampUs, const QByteArray &bytes);
    // A UMP message whole, as the packet's words.
    bool appendUmp(Origin origin, Source source, std::int64_t stampUs, const Ump::Packet &packet);

    // Set once a row could not be stored for want of memory: the rows held stay, and no more
    // are stored until clear(), so that what was captured is neither lost nor given holes.
    bool outOfMemory() const { return m_outOfMemory; }
    // The most the rows may take, in the bytes that bytesHeld() counts, before the store
    // behaves as if the memory had run out: what tests run out of memory with.
    void setMemoryLimit(std::size_t bytes) { m_memoryLimit = bytes; }

    // Appends the rows of `other` from `firstRow` on, each of the source of its name here,
    // at its own moment: its stamps and port starts move by the distance of the two wall
    // clocks, so that its Timestamp cells and times of day stay what they were. Rows of two
    // captures years apart, beyond what a stamp holds, follow these at once instead. The
    // sources named here already go on from their own port starts after them. Rows of a
    // source there is no room to name are left out; returns how many.
    std::size_t append(const CaptureStore &other, std::size_t firstRow = 0);

    // Puts back `earlier`, the store this one was emptied() from, before the rows stored
    // since: its rows, stamps, sources and port starts as they were, which came before
    // every row here, then these, on this store's clocks and with the sources named since.
    void putBackBefore(CaptureStore &&earlier);

    // From the next row on, the stamps of `source` count from `startUs` in the Timestamp
    // cell: its port was started then.
    void startPort(Source source, std::int64_t startUs);
    // The stamp of a moment of live traffic.
    std::int64_t stampOf(LiveClock::time_point moment) const;
    // The moment stamp 0 stands for, in microseconds since the epoch, within
    // LargestWallClockUs of it. The live clock moves with it, so that traffic stored after a
    // capture read from a file gets the stamps and times of day of its own moment.
    static constexpr std::int64_t LargestWallClockUs = 36'525 * 86'400'000'000LL; // a century
    void setWallClockAtStart(std::int64_t wallUs);
    std::int64_t wallClockAtStart() const { return m_wallUsAtStart; }

    std::size_t sourceCount() const { return m_sourceNames.size(); }
    // The starts of a source's port, oldest first: from `firstRow` on, its Timestamp cells
    // count from `startUs`.
    struct PortStart
    {
        std::size_t firstRow;
        std::int64_t startUs;
    };
    std::span<const PortStart> portStarts(Source source) const;

    std::size_t size() const { return m_size; }
    CapturedMessage at(std::size_t row) const;
    // A row's origin and size (0 to 3, or LongMessage or UmpMessage << 4) and its first byte, as
    // one number below 2^16: what a scan of millions of rows can rule most of them out by.
    std::uint16_t glance(std::size_t row) const
    {
        const Record &stored = record(row);
        return std::uint16_t(stored.sizeAndOrigin | stored.payload[0] << 8);
    }
    static constexpr std::uint16_t glanceOf(Origin origin, std::uint8_t size, std::uint8_t first)
    {
        return std::uint16_t(std::uint8_t(origin) | size << 4 | first << 8);
    }
    // Microseconds since the row's port started; nothing for a row the program sent.
    std::optional<std::int64_t> portUs(std::size_t row) const;
    // The Timestamp cell's number: portUs in milliseconds, as 32 bits (they wrap after 24
    // days, as the cell always did).
    std::optional<std::int32_t> portMs(std::size_t row) const;
    // When a received row arrived, in ms since the epoch; nothing for a row the program sent.
    std::optional<std::int64_t> wallMs(std::size_t row) const;
    // When any row was stored, sent ones too, in ms since the epoch.
    std::int64_t storedWallMs(std::size_t row) const;
    // The sources that rows arrived from, in the order of their first name: more than one
    // makes the exports say each row's source.
    std::vector<Source> receivedSources() const;

    // The rows marked, which go wherever their rows go.
    const RowMarks &marks() const { return m_marks; }
    RowMarks &marks() { return m_marks; }

    // The rows are gone; the ports' running clocks go on from row 0.
    void clear();
    // A store of no rows that goes on as this one would after clear(): the same sources on
    // the same clocks.
    CaptureStore emptied() const;
    // Memory the store holds for its rows, spare capacity included.
    std::size_t bytesHeld() const;

    // Rows go in whole chunks of this many when the oldest are dropped.
    static constexpr std::size_t ChunkRows = std::size_t(1) << 12;
    // Lets go of the oldest rows, in whole chunks: as many as `rows` rounded down to a chunk.
    // Row 0 is the oldest kept then; what only the dropped rows used (their chunks, long
    // messages and marks) is released, and every kept row reads as before, Timestamp cell
    // included. Returns how many rows went.
    std::size_t dropOldest(std::size_t rows);
    // How many of the oldest rows lie in whole chunks stamped before `stampUs`, judged by
    // each chunk's last row: what a limit in time may drop. Rows on disk before the first in
    // memory count with it, unread.
    std::size_t rowsInChunksBefore(std::int64_t stampUs) const;
    // How many of the oldest rows lie on disk, to be read back: they take no memory.
    std::size_t leadingRowsOnDisk() const;

    // Where the rows a store let go of are read back from: the recording of them on disk.
    // Called from whichever thread reads the rows.
    class RowsOnDisk
    {
    public:
        virtual ~RowsOnDisk() = default;
        // Hands on rows [first, first + count) of the recording, numbered as it numbers them,
        // in order and in runs: each run is `count` rows of `rows` from `firstRow`, a store
        // whose sources have the recording's names. False when they cannot be read whole.
        using Take = std::function<void(
            const CaptureStore &rows, std::size_t firstRow, std::size_t count)>;
        virtual bool read(std::uint64_t first, std::size_t count, const Take &take) const = 0;
        // Whether those rows are on disk whole, to be read back.
        virtual bool holds(std::uint64_t first, std::size_t count) const = 0;
    };
    // From now on, chunks said to lie on disk are read back from there.
    void readBackFrom(std::shared_ptr<const RowsOnDisk> disk) { m_disk = std::move(disk); }
    bool readsBackFrom(const RowsOnDisk *disk) const { return m_disk.get() == disk; }
    // Rows [firstRow, firstRow + count) are rows [recorded, ...) of the recording on disk: the
    // whole chunks among them may be let go of.
    void placeOnDisk(std::size_t firstRow, std::size_t count, std::uint64_t recorded);
    // Rows [size(), size() + count) are rows [recorded, ...) of the recording on disk, and are
    // read back from there when read: how a recorded file opens without reading its rows. For
    // a store of such rows alone; they count as received from every source named.
    void appendOnDisk(std::size_t count, std::uint64_t recorded);
    // How many of the oldest rows lie in whole chunks that begin before the recording's row
    // `recorded`: what cannot be read back once the files before it are removed.
    std::size_t rowsRecordedBefore(std::uint64_t recorded) const;
    // Lets go of chunks the disk holds until the chunks in memory take `keepBytes` no more:
    // those read back longest ago first, then the oldest. Only while no other thread reads the
    // rows, and never while a reader holds a message it took: between the events of the loop.
    void letGoOfRowsOnDisk(std::size_t keepBytes);
    // Whether a chunk could not be read back: its rows read as failed sends of no bytes.
    bool failedToReadBack() const { return m_paging->failed; }

private:
    static constexpr std::size_t ChunkShift = 12;
    static constexpr std::size_t ChunkSize = ChunkRows;

    // 48 bits of stamp hold over four years of microseconds either side of the start.
    struct Record
    {
        std::uint32_t stampLow;
        std::int16_t stampHigh;
        std::uint8_t sizeAndOrigin; // inline byte count (or LongMessage) << 4 | origin
        Source source;
        std::uint8_t payload[4]; // the bytes, or the index of a long message in its chunk

        std::int64_t stampUs() const { return std::int64_t(stampHigh) << 32 | stampLow; }
        Origin origin() const { return Origin(sizeAndOrigin & 0xF); }
        std::uint8_t size() const { return sizeAndOrigin >> 4; }
        bool inArena() const { return size() >= UmpMessage; }
        std::uint32_t arenaIndex() const;
    };
    static_assert(sizeof(Record) == 12);

    struct Chunk
    {
        Record records[ChunkSize];
        std::vector<QByteArray> arena; // the long messages and UMP words of its records
        std::size_t bytes() const;
    };
    // A chunk in memory, or on disk only, or both. Another thread may read it back while it
    // is held (see CaptureDocument::hold), so where it lies is atomic.
    struct Slot
    {
        mutable std::atomic<Chunk *> chunk = nullptr; // owned
        std::uint64_t recorded = NotOnDisk; // the recording's number of its first row
        // When it was last read back, on the clock of reads back; 0 when it never was.
        mutable std::atomic<std::uint64_t> readBack = 0;
        Slot() = default;
        Slot(const Slot &) = delete;
        Slot &operator=(const Slot &) = delete;
        ~Slot() { delete chunk.load(); }
    };
    static constexpr std::uint64_t NotOnDisk = std::numeric_limits<std::uint64_t>::max();
    struct Paging
    {
        std::mutex reading;
        std::atomic<std::uint64_t> clock = 0;
        std::atomic<std::size_t> bytesReadBack = 0;
        std::atomic<bool> failed = false;
    };

    // Nothing when there is no memory left for it.
    Record *newRecord(Origin origin, Source source, std::int64_t stampUs);
    // The last chunk, left on disk part full by appendOnDisk, read back to be filled: its
    // rows after those on disk are not, so it stays.
    void ownLastChunk();
    bool hasRoomFor(std::size_t bytes);
    // A row whose bytes lie in the arena, shared: a long message or a UMP message's words.
    bool appendToArena(Origin origin, Source source, std::int64_t stampUs, const QByteArray &bytes,
        std::uint8_t size);
    const Chunk &chunkOf(std::size_t row) const
    {
        const Chunk *chunk = m_slots[row >> ChunkShift].chunk.load(std::memory_order_acquire);
        return chunk ? *chunk : readBack(row >> ChunkShift);
    }
    const Chunk &readBack(std::size_t slot) const;
    // Copies `count` rows of `read` from `firstRow` into `chunk` after its first `filled`.
    void fillFrom(Chunk &chunk, std::size_t filled, const CaptureStore &read, std::size_t firstRow,
        std::size_t count) const;
    void forget(Slot &slot);
    const Record &record(std::size_t row) const
    {
        return chunkOf(row).records[row & (ChunkSize - 1)];
    }
    std::int64_t portStartUs(Source source, std::size_t row) const;
    const QByteArray &longMessage(std::size_t row) const
    {
        const Chunk &chunk = chunkOf(row);
        return chunk.arena[chunk.records[row & (ChunkSize - 1)].arenaIndex()];
    }
    void dropPortStartsOf(std::size_t rows);
    // Appends row `row` of `from` as a row of `source` stamped `stampUs`.
    void appendRowOf(
        const CaptureStore &from, std::size_t row, Source source, std::int64_t stampUs);

    std::deque<Slot> m_slots; // a deque, so that dropping the oldest moves none
    std::size_t m_size = 0;
    std::shared_ptr<const RowsOnDisk> m_disk;
    std::unique_ptr<Paging> m_paging = std::make_unique<Paging>();
    std::vector<QString> m_sourceNames;
    std::bitset<MaxSources> m_receivedFrom;
    std::vector<std::vector<PortStart>> m_portStarts; // by source, oldest first
    LiveClock::time_point m_liveStart;
    std::int64_t m_wallUsAtStart = 0;
    std::size_t m_memoryLimit = std::numeric_limits<std::size_t>::max();
    std::size_t m_bytesTaken = 0; // of chunks and long messages stored and not let go of
    bool m_outOfMemory = false;
    RowMarks m_marks;
};
