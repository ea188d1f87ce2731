#include "ViewControls.h"

#include "ColumnFit.h"
#include "DroppedOldestStatus.h"
#include "EventGrid.h"
#include "EventGridModel.h"
#include "EventView.h"
#include "FindBar.h"
#include "TrafficStatus.h"
#include "ViewMenu.h"
#include "capture/CaptureDocument.h"
#include "timing/IntervalDialog.h"
#include "timing/TimingReadout.h"

#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <algorithm>

namespace {

const QString PauseCaption = QStringLiteral("&Pause");
const QString ResumeCaption = QStringLiteral("&Resume");

} // namespace

ViewControls::ViewControls(const Wiring &wiring, QObject *parent)
    : QObject(parent)
    , m_wiring(wiring)
    , m_findBar(new FindBar(wiring.grid, &wiring.client))
    , m_status(new TrafficStatus(wiring.statusBar, wiring.grid, wiring.incoming, this))
    , m_timing(new TimingReadout(wiring.document.rows(), wiring.statusBar, &wiring.client))
{
    auto *menu = new QMenu(QStringLiteral("&View"), &wiring.client);
    menu->setObjectName(QStringLiteral("mnuView"));
    m_menu = new ViewMenu(menu);
    m_wiring.pauseButton.setText(PauseCaption);
    connect(m_findBar, &FindBar::visibilityChanged, this, [this] { m_wiring.layOut(); });
    const CaptureDocument &document = wiring.document;
    connect(&document, &CaptureDocument::cleared, this, &ViewControls::refresh);
    connect(&document, &CaptureDocument::restored, this, &ViewControls::refresh);
    connect(&document, &CaptureDocument::replaced, this, &ViewControls::refresh);
    connect(&document, &CaptureDocument::oldestDropped, m_timing, &TimingReadout::oldestDropped);
    new DroppedOldestStatus(wiring.statusBar, document, this);
    connectMenu();
}

QMenu *ViewControls::menu() const
{
    return m_menu->menu();
}

void ViewControls::connectMenu()
{
    connect(m_menu, &ViewMenu::settingsChanged, this, &ViewControls::showSettings);
    connect(m_menu, &ViewMenu::pauseToggled, this, &ViewControls::pause);
    connect(&m_wiring.pauseButton, &QPushButton::clicked, m_menu, &ViewMenu::togglePause);
    connect(
        m_menu, &ViewMenu::fitColumnsAsked, &m_wiring.grid.columns(), &ColumnFit::forgetUserWidths);
    connect(m_menu, &ViewMenu::findAsked, m_findBar, &FindBar::open);
    connect(m_menu, &ViewMenu::findNextAsked, m_findBar, &FindBar::findNext);
    connect(m_menu, &ViewMenu::findPreviousAsked, m_findBar, &FindBar::findPrevious);
    connect(m_menu, &ViewMenu::timingPanelAsked, m_timing, &TimingReadout::showPanel);
    connect(m_menu, &ViewMenu::intervalStatisticsAsked, this, &ViewControls::showIntervals);
    showSettings(m_menu->settings());
}

ViewSettings ViewControls::settings() const
{
    return m_menu->settings();
}

void ViewControls::setSettings(const ViewSettings &settings)
{
    m_menu->setSettings(settings);
}

void ViewControls::setSeveralSources(bool several)
{
    if (several == m_severalSources)
        return;
    m_severalSources = several;
    m_menu->setSourceForced(several);
    showSettings(m_menu->settings());
}

void ViewControls::showSettings(ViewSettings settings)
{
    settings.source = settings.source || m_severalSources;
    EventGridModel &rows = m_wiring.rows;
    rows.setViewSettings(settings);
    QHeaderView &header = *m_wiring.grid.view().horizontalHeader();
    // Beside the time, not past a SysEx column that can be wider than the window.
    if (const int source = rows.sourceColumn(); source >= 0)
        header.moveSection(header.visualIndex(source), 1);
    m_wiring.grid.columns().fit();
}

// For the kind, channel and source of the first selected row, or else of the last row.
void ViewControls::showIntervals()
{
    const CaptureStore &rows = m_wiring.document.rows();
    if (!m_intervals)
        m_intervals = new IntervalDialog(rows, &m_wiring.client);
    const std::vector<std::size_t> selected = m_wiring.grid.selectedRows();
    IntervalStatistics::Selection selection;
    if (!selected.empty() || rows.size() > 0)
        selection = IntervalStatistics::Selection::of(
            rows.at(selected.empty() ? rows.size() - 1 : selected.front()));
    std::optional<IntervalStatistics::RowRange> range;
    if (selected.size() > 1) {
        const auto [first, last] = std::ranges::minmax(selected);
        range = IntervalStatistics::RowRange {first, last + 1};
    }
    m_intervals->measureFor(selection, range);
    m_intervals->show();
    m_intervals->raise();
}

void ViewControls::pause(bool paused)
{
    m_wiring.grid.setPaused(paused);
    m_wiring.pauseButton.setText(paused ? ResumeCaption : PauseCaption);
    m_status->refresh();
}

void ViewControls::arrived(int messages)
{
    m_status->arrived(messages);
    m_timing->rowsChanged();
}

void ViewControls::pauseDisplay()
{
    if (!m_menu->isPaused())
        m_menu->togglePause();
    refresh();
}

void ViewControls::refresh()
{
    m_status->refresh();
    m_timing->rowsReplaced();
}
