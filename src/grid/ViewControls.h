#pragma once

#include "ViewSettings.h"

#include <QObject>
#include <functional>

class CaptureDocument;
class EventGrid;
class EventGridModel;
class FindBar;
class IncomingTraffic;
class IntervalDialog;
class QMenu;
class QPushButton;
class QStatusBar;
class TimingReadout;
class TrafficStatus;
class ViewMenu;

// What the window offers for looking at the traffic beyond the grid itself: the View menu,
// the Pause button, the find bar under the grid, the status bar's readouts of the traffic
// and its timing, and the timing windows, kept in step.
class ViewControls : public QObject
{
    Q_OBJECT

public:
    struct Wiring
    {
        const CaptureDocument &document;
        EventGrid &grid;
        EventGridModel &rows;
        IncomingTraffic &incoming;
        QStatusBar &statusBar;
        QPushButton &pauseButton; // btnPause
        QWidget &client; // where the find bar goes
        std::function<void()> layOut; // the find bar came or went
    };

    ViewControls(const Wiring &wiring, QObject *parent = nullptr);

    // The "&View" menu, for the window's menu bar.
    QMenu *menu() const;
    ViewSettings settings() const;
    void setSettings(const ViewSettings &settings);
    FindBar *findBar() const { return m_findBar; }

    // With more than one input watched, the Source column shows whatever the menu says.
    void setSeveralSources(bool several);

    // Messages that came into the grid, for the rate.
    void arrived(int messages);
    // As Pause Display: the rows of a file opened stay in view while live rows wait.
    void pauseDisplay();

private:
    void connectMenu();
    // The rows were replaced (Clear All and its undo, a file shown): the readouts read
    // them all again.
    void refresh();
    void showSettings(ViewSettings settings);
    void pause(bool paused);
    void showIntervals();

    Wiring m_wiring;
    ViewMenu *m_menu;
    FindBar *m_findBar;
    TrafficStatus *m_status;
    TimingReadout *m_timing;
    IntervalDialog *m_intervals = nullptr; // made when first asked for
    bool m_severalSources = false;
};
