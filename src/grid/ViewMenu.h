#pragma once

#include "ViewSettings.h"

#include <QObject>

class QAction;
class QActionGroup;
class QMenu;

// The View menu: pausing the display, the form of the time column, the details column and
// its convention for middle C, the source column, colour by kind, finding rows, and the timing
// readouts. Its choices other than the pause last from run to run.
class ViewMenu : public QObject
{
    Q_OBJECT

public:
    // Fills `menu` (the "&View" menu) with its items.
    explicit ViewMenu(QMenu *menu);
    QMenu *menu() const;

    ViewSettings settings() const;
    void setSettings(const ViewSettings &settings);
    // While several inputs are watched the Source column shows whatever was chosen: the
    // item reads checked and cannot be changed, and the choice stays for later.
    void setSourceForced(bool forced);
    bool isPaused() const;
    void togglePause();

signals:
    void settingsChanged(const ViewSettings &settings);
    void pauseToggled(bool paused);
    // The user's column widths give way to the fitted ones.
    void fitColumnsAsked();
    void findAsked();
    void findNextAsked();
    void findPreviousAsked();
    void timingPanelAsked();
    void intervalStatisticsAsked();

private:
    void addFinding(QMenu *menu);
    QAction *m_pause;
    QActionGroup *m_time;
    QAction *m_details;
    QAction *m_source;
    QAction *m_group; // the UMP group of each row
    bool m_sourceChosen = false;
    QAction *m_middleC3;
    QAction *m_colour;
};
