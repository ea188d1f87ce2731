#include "MessageQueue.h"

MessageQueue::MessageQueue(Bounds bounds)
    : m_bounds(bounds)
{ }

bool MessageQueue::push(MidiMessage message)
{
    const std::size_t bytes = weight(message);
    if (size() >= m_bounds.messages
        || m_bytes.load(std::memory_order_relaxed) + bytes > m_bounds.bytes) {
        countDropped();
        return false;
    }
    m_bytes.fetch_add(bytes, std::memory_order_relaxed);
    std::lock_guard lock(m_mutex);
    m_incoming.push_back(std::move(message));
    m_size.fetch_add(1, std::memory_order_release);
    return true;
}

const MidiMessage *MessageQueue::front()
{
    if (m_draining.empty()) {
        std::lock_guard lock(m_mutex);
        m_draining.swap(m_incoming);
    }
    return m_draining.empty() ? nullptr : &m_draining.front();
}

void MessageQueue::popFront()
{
    if (!front())
        return;
    m_bytes.fetch_sub(weight(m_draining.front()), std::memory_order_relaxed);
    m_draining.pop_front();
    m_size.fetch_sub(1, std::memory_order_release);
}
