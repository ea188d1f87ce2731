#include "TimingReadout.h"

#include "TimingText.h"
#include "frame/NamedWidgets.h"

#include <QDockWidget>
#include <QFormLayout>
#include <QMainWindow>
#include <QStatusBar>
#include <utility>

TimingReadout::TimingReadout(const CaptureStore &rows, QStatusBar &bar, QWidget *window)
    : QObject(window)
    , m_rows(rows)
    , m_status(namedLabel("lblTiming", QString(), &bar))
    , m_window(window)
    , m_panel(named(new QDockWidget(QStringLiteral("Timing")), "frmTiming", window))
{
    bar.addPermanentWidget(m_status);
    m_status->hide();
    m_panel->hide();
    m_panel->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    auto *figures = new QWidget;
    m_panel->setWidget(figures);
    auto *form = new QFormLayout(figures);
    for (const auto &[caption, value] : TimingText::panelRows({})) {
        m_panelValues.push_back(new QLabel(value));
        m_panelValues.back()->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(caption, m_panelValues.back());
    }
    m_ticks.setInterval(Tick);
    connect(&m_ticks, &QTimer::timeout, this, &TimingReadout::show);
}

void TimingReadout::rowsChanged()
{
    // Traffic without clocks or time code leaves the readout as it was: no work a burst.
    if (m_watch.catchUp(m_rows) && !m_ticks.isActive())
        show();
}

void TimingReadout::rowsReplaced()
{
    m_watch = TransportWatch();
    // The readout is of the newest traffic: a recording of days is not read to its start on
    // the window's thread for it.
    m_watch.startAt(m_rows.size() - std::min(m_rows.size(), NewestRowsTaken));
    m_watch.catchUp(m_rows);
    show();
}

void TimingReadout::showPanel()
{
    show();
    dockPanel();
    m_panel->show();
    m_panel->raise();
}

// Docked the first time it is shown, once the window it docks in is whole; beside a window
// that is no main window it floats.
void TimingReadout::dockPanel()
{
    if (std::exchange(m_docked, true))
        return;
    if (auto *main = qobject_cast<QMainWindow *>(m_window->window()))
        main->addDockWidget(Qt::RightDockWidgetArea, m_panel);
    else
        m_panel->setFloating(true);
}

void TimingReadout::show()
{
    const TransportWatch::Readout readout
        = m_watch.readout(m_rows.stampOf(CaptureStore::LiveClock::now()));
    const QString line = TimingText::statusLine(readout);
    m_status->setText(line);
    m_status->setVisible(!line.isEmpty());
    const auto rows = TimingText::panelRows(readout);
    for (std::size_t row = 0; row < rows.size(); ++row)
        m_panelValues[row]->setText(rows[row].second);
    if (readout.isEmpty())
        m_ticks.stop();
    else if (!m_ticks.isActive())
        m_ticks.start();
}
