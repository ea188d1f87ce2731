#pragma once

#include <QByteArray>
#include <cstdint>
#include <functional>
#include <span>

// Turns what a backend delivers into whole messages: a System Exclusive message that
// arrives in pieces is joined, while real-time bytes that interleave with it pass at once.
// A SysEx cut short by a new status is still passed on, so nothing received is hidden.
// Used on one backend thread at a time.
class SysExAssembler
{
public:
    using Deliver = std::function<void(std::span<const std::uint8_t>)>;

    void feed(std::span<const std::uint8_t> bytes, const Deliver &deliver);
    void reset() { m_pending.clear(); }
    bool isAssembling() const { return !m_pending.isEmpty(); }

private:
    void flushPending(const Deliver &deliver);

    QByteArray m_pending;
};
