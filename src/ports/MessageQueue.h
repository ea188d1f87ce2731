#pragma once

#include "midi/MidiMessage.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>

// The input port's queue of received messages: filled on a backend thread, drained on the
// UI thread. The consumer takes the producer's whole backlog in one swap, so a burst costs
// one lock on each side rather than one per message. Bounded in messages and in bytes, so
// that memory cannot grow without limit while the UI is busy (a few large SysEx dumps weigh
// more than a million notes); what did not fit is counted, never hidden.
struct QueueBounds
{
    std::size_t messages = 1'000'000;
    std::size_t bytes = std::size_t(256) << 20;
};

class MessageQueue
{
public:
    using Bounds = QueueBounds;

    explicit MessageQueue(Bounds bounds = {});

    // Any thread. False when the queue was full and the message was dropped.
    bool push(MidiMessage message);
    // Any thread: messages lost before they could be queued.
    void countDropped(std::uint64_t messages = 1)
    {
        m_dropped.fetch_add(messages, std::memory_order_relaxed);
    }

    // UI thread only from here on.
    std::size_t size() const { return m_size.load(std::memory_order_acquire); }
    const MidiMessage *front(); // nullptr when empty
    void popFront();

    std::uint64_t droppedCount() const { return m_dropped.load(std::memory_order_relaxed); }
    void resetDroppedCount() { m_dropped.store(0, std::memory_order_relaxed); }

private:
    static std::size_t weight(const MidiMessage &message)
    {
        return sizeof(MidiMessage) + std::size_t(message.sysEx.size());
    }

    const Bounds m_bounds;
    std::mutex m_mutex;
    std::deque<MidiMessage> m_incoming; // guarded by m_mutex
    std::deque<MidiMessage> m_draining; // UI thread only
    std::atomic<std::size_t> m_size {0};
    std::atomic<std::size_t> m_bytes {0};
    std::atomic<std::uint64_t> m_dropped {0};
};
