#pragma once

#include "MidiMessage.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>

// The input port's queue of received messages: filled on a backend thread, drained on the
// UI thread. The consumer takes the producer's whole backlog in one swap, so a burst costs
// one lock on each side rather than one per message. Bounded, so that memory cannot grow
// without limit while the UI is busy; what did not fit is counted, never hidden.
class MessageQueue
{
public:
    static constexpr std::size_t DefaultCapacity = 1'000'000;

    explicit MessageQueue(std::size_t capacity = DefaultCapacity);

    // Any thread. False when the queue was full and the message was dropped.
    bool push(MidiMessage message);

    // UI thread only from here on.
    std::size_t size() const { return m_size.load(std::memory_order_acquire); }
    const MidiMessage *front(); // nullptr when empty
    void popFront();

    std::uint64_t droppedCount() const { return m_dropped.load(std::memory_order_relaxed); }
    void resetDroppedCount() { m_dropped.store(0, std::memory_order_relaxed); }

private:
    const std::size_t m_capacity;
    std::mutex m_mutex;
    std::deque<MidiMessage> m_incoming; // guarded by m_mutex
    std::deque<MidiMessage> m_draining; // UI thread only
    std::atomic<std::size_t> m_size {0};
    std::atomic<std::uint64_t> m_dropped {0};
};
