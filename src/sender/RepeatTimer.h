#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <cstdint>

// The repeat timer: one timeout per interval, counted from the start rather than from the
// previous tick, so that lateness never adds up and a tick held back by a busy window comes
// late instead of not at all. After a long stall (a modal box) it starts counting afresh
// rather than firing a burst.
class RepeatTimer : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds LongestCatchUp {100};

    explicit RepeatTimer(QObject *parent = nullptr);

    void setInterval(int milliseconds) { m_interval = std::chrono::milliseconds(milliseconds); }
    int interval() const { return int(m_interval.count()); }
    void start();
    void stop();
    bool isActive() const { return m_active; }

signals:
    void timeout();

private:
    using Clock = std::chrono::steady_clock;

    void fireDueTicks();
    void scheduleNextTick();

    QTimer m_wakeUp;
    Clock::time_point m_start;
    std::int64_t m_ticks = 0;
    std::chrono::milliseconds m_interval {0};
    bool m_active = false;
};
