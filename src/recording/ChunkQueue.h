#pragma once

#include <QByteArray>
#include <QString>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>

// What the thread of a recording hands to its writer: bounded, so that a disk slower than
// the traffic costs rows that are counted rather than memory without end, and never makes
// the thread that stores the rows wait.
class ChunkQueue
{
public:
    struct Item
    {
        enum class Kind : std::uint8_t { Bytes, NewFile, Stop };
        Kind kind = Kind::Bytes;
        QByteArray bytes; // of a NewFile: what the file begins with
        QString path = {}; // of a NewFile
    };

    explicit ChunkQueue(std::size_t capacityBytes)
        : m_capacity(capacityBytes)
    { }

    // False, and nothing queued, when the item's bytes would pass the capacity; an item that
    // `mustKeep` is queued whatever it costs (what the rows after it cannot be read without).
    bool push(Item item, bool mustKeep);
    // The oldest item; waits for one.
    Item pop();

private:
    const std::size_t m_capacity;
    std::mutex m_lock;
    std::condition_variable m_waiting;
    std::deque<Item> m_items;
    std::size_t m_bytes = 0;
};
