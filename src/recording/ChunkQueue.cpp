#include "ChunkQueue.h"

bool ChunkQueue::push(Item item, bool mustKeep)
{
    const auto size = std::size_t(item.bytes.size());
    {
        const std::lock_guard guard(m_lock);
        if (!mustKeep && m_bytes + size > m_capacity)
            return false;
        m_bytes += size;
        m_items.push_back(std::move(item));
    }
    m_waiting.notify_one();
    return true;
}

ChunkQueue::Item ChunkQueue::pop()
{
    std::unique_lock guard(m_lock);
    m_waiting.wait(guard, [this] { return !m_items.empty(); });
    Item item = std::move(m_items.front());
    m_items.pop_front();
    m_bytes -= std::size_t(item.bytes.size());
    return item;
}
