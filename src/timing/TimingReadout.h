#pragma once

#include "TransportWatch.h"

#include <QObject>
#include <QTimer>
#include <vector>

class QDockWidget;
class QLabel;
class QStatusBar;
class QWidget;

// The timing readout on screen: a line in the status bar while MIDI clock or time code
// comes in, and the Timing panel with every figure, docked at the side of the main window. It looks
// four times a second while it shows anything, so that the readout goes away once the clock stops.
class TimingReadout : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds Tick {250};
    // What is read again of rows that are others now: minutes of dense traffic, hours of
    // clocks.
    static constexpr std::size_t NewestRowsTaken = std::size_t(1) << 20;

    TimingReadout(const CaptureStore &rows, QStatusBar &bar, QWidget *window);

    // Rows were stored or cleared.
    void rowsChanged();
    // The rows are others now (cleared rows put back, a file shown): read the newest again.
    void rowsReplaced();
    // The oldest rows were dropped: the rows still to read moved up by `count`.
    void oldestDropped(std::size_t count) { m_watch.oldestDropped(count); }
    void showPanel();

private:
    void show();
    void dockPanel();

    const CaptureStore &m_rows;
    TransportWatch m_watch;
    QLabel *m_status;
    QWidget *m_window; // the panel docks in its main window
    QDockWidget *m_panel;
    bool m_docked = false;
    std::vector<QLabel *> m_panelValues;
    QTimer m_ticks;
};
