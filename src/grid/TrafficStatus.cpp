#include "TrafficStatus.h"

#include "EventGrid.h"
#include "frame/NamedWidgets.h"
#include "frame/NumberText.h"

#include <QStatusBar>
#include <numeric>

TrafficStatus::TrafficStatus(
    QStatusBar &bar, EventGrid &grid, IncomingTraffic &incoming, QObject *parent)
    : QObject(parent)
    , m_grid(grid)
    , m_incoming(incoming)
{
    m_paused = namedLabel("lblPaused", QString(), &bar);
    m_paused->setStyleSheet(QStringLiteral("color: yellow; background: black"));
    m_rows = namedLabel("lblRows", QString(), &bar);
    m_rate = namedLabel("lblRate", QString(), &bar);
    m_dropped = namedLabel("lblDroppedCount", QString(), &bar);
    m_filtered = namedLabel("lblFilteredCount", QString(), &bar);
    m_filtered->setToolTip(QStringLiteral("Messages the filter kept out of the capture"));
    for (QLabel *label : {m_paused, m_rows, m_rate, m_dropped, m_filtered})
        bar.addPermanentWidget(label);
    m_ticks.setInterval(Tick);
    connect(&m_ticks, &QTimer::timeout, this, &TrafficStatus::tick);
    show();
}

void TrafficStatus::arrived(int messages)
{
    // Counted now, shown with the next tick: traffic must not cost a repaint a burst.
    m_perTick.back() += messages;
    keepTicking();
}

void TrafficStatus::refresh()
{
    keepTicking();
    show();
}

void TrafficStatus::keepTicking()
{
    m_quietTicks = 0;
    if (!m_ticks.isActive())
        m_ticks.start();
}

void TrafficStatus::tick()
{
    show();
    showSources();
    std::rotate(m_perTick.begin(), m_perTick.begin() + 1, m_perTick.end());
    m_perTick.back() = 0;
    // Still once the rate has read zero for a whole second.
    if (std::accumulate(m_perTick.begin(), m_perTick.end(), 0) == 0
        && ++m_quietTicks > int(m_perTick.size())) {
        show();
        m_ticks.stop();
    }
}

void TrafficStatus::show()
{
    const int rate = std::accumulate(m_perTick.begin(), m_perTick.end(), 0);
    m_rows->setText(QStringLiteral("%1 rows").arg(groupedNumber(qint64(m_grid.rowCount() - 2))));
    m_rate->setText(QStringLiteral("%1 msg/s").arg(groupedNumber(rate)));
    m_dropped->setText(
        QStringLiteral("%1 dropped").arg(groupedNumber(qint64(m_incoming.droppedCount()))));
    const std::uint64_t filtered = m_incoming.filteredCount();
    m_filtered->setVisible(filtered > 0);
    m_filtered->setText(QStringLiteral("filtered: %1").arg(groupedNumber(qint64(filtered))));
    m_paused->setVisible(m_grid.isPaused());
    m_paused->setText(
        QStringLiteral("Paused: %1 new rows").arg(groupedNumber(qint64(m_grid.waitingRows()))));
}

void TrafficStatus::showSources()
{
    std::rotate(m_sourcesPerTick.begin(), m_sourcesPerTick.begin() + 1, m_sourcesPerTick.end());
    m_sourcesPerTick.back() = m_incoming.sourceCounts();
    const auto &before = m_sourcesPerTick.front();
    QStringList lines;
    for (const IncomingTraffic::SourceCount &now : m_sourcesPerTick.back()) {
        const auto then = std::ranges::find(before, now.name, &IncomingTraffic::SourceCount::name);
        // A source that came or started afresh within the second counts from nothing.
        const std::uint64_t since
            = then == before.end() || then->received > now.received ? 0 : then->received;
        lines << QStringLiteral("%1: %2 msg/s, %3 dropped")
                     .arg(now.name, groupedNumber(qint64(now.received - since)),
                         groupedNumber(qint64(now.dropped)));
    }
    m_rate->setToolTip(lines.join(QLatin1Char('\n')));
}
