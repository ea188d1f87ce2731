#include "MessageQueue.h"

MessageQueue::MessageQueue(std::size_t capacity)
    : m_capacity(capacity)
{ }

bool MessageQueue::push(MidiMessage message)
{
    if (size() >= m_capacity) {
        m_dropped.fetch_add(1, std::memory_order_relaxed);
        return false;
    }
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
    m_draining.pop_front();
    m_size.fetch_sub(1, std::memory_order_release);
}
