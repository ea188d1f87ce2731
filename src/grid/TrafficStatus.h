#pragma once

#include "capture/IncomingTraffic.h"

#include <QObject>
#include <QTimer>
#include <array>
#include <chrono>
#include <cstdint>

class EventGrid;
class QLabel;
class QStatusBar;

// The status bar's readout of the traffic: rows in the grid, messages a second over the last
// second, messages dropped, messages the filter kept out, and the rows waiting while the
// display is paused; the rate's
// tooltip gives each source's rate and drops. It looks four
// times a second while anything changes and stops once all is still, so that an idle window
// costs nothing.
class TrafficStatus : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds Tick {250};

    TrafficStatus(
        QStatusBar &bar, EventGrid &grid, IncomingTraffic &incoming, QObject *parent = nullptr);

    // Messages that just came into the grid, for the rate.
    void arrived(int messages);
    // Something the readout shows may have changed.
    void refresh();

private:
    void keepTicking();
    void tick();
    void show();
    void showSources();

    EventGrid &m_grid;
    IncomingTraffic &m_incoming;
    QLabel *m_rows;
    QLabel *m_rate;
    QLabel *m_dropped;
    QLabel *m_filtered;
    QLabel *m_paused;
    QTimer m_ticks;
    std::array<int, 4> m_perTick {}; // the last second, a quarter at a time
    // What each source had brought a second ago and at each tick since, oldest first.
    std::array<std::vector<IncomingTraffic::SourceCount>, 5> m_sourcesPerTick;
    int m_quietTicks = 0;
};
