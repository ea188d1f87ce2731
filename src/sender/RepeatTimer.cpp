#include "RepeatTimer.h"

RepeatTimer::RepeatTimer(QObject *parent)
    : QObject(parent)
{
    m_wakeUp.setSingleShot(true);
    m_wakeUp.setTimerType(Qt::PreciseTimer);
    connect(&m_wakeUp, &QTimer::timeout, this, &RepeatTimer::fireDueTicks);
}

void RepeatTimer::start()
{
    m_active = m_interval.count() > 0;
    m_start = Clock::now();
    m_ticks = 0;
    scheduleNextTick();
}

void RepeatTimer::stop()
{
    m_active = false;
    m_wakeUp.stop();
}

void RepeatTimer::fireDueTicks()
{
    const Clock::duration behind = Clock::now() - (m_start + m_ticks * m_interval);
    if (behind > LongestCatchUp + m_interval) {
        m_start = Clock::now() - m_interval;
        m_ticks = 0;
    }
    // Only the ticks due now: a handler that took long (a modal box) must not keep this
    // loop going; the next wake-up sees the stall. A handler may also stop the timer, or
    // stop and start it again.
    const Clock::time_point now = Clock::now();
    const Clock::time_point startedAt = m_start;
    while (m_active && m_start == startedAt && m_start + (m_ticks + 1) * m_interval <= now) {
        ++m_ticks;
        emit timeout();
    }
    if (m_active && m_start == startedAt)
        scheduleNextTick();
}

void RepeatTimer::scheduleNextTick()
{
    if (!m_active)
        return;
    const Clock::duration untilDue = m_start + (m_ticks + 1) * m_interval - Clock::now();
    // Rounded up: waking early would only mean waking again.
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(untilDue);
    m_wakeUp.start(std::max(wait, std::chrono::milliseconds(0)));
}
