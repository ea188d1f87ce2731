#include "ClearAll.h"

#include "EventGrid.h"
#include "IncomingTraffic.h"
#include "frame/NumberText.h"

#include <QAction>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QStatusBar>

ClearAll::ClearAll(const Wiring &wiring, QWidget &window)
    : QObject(&window)
    , m_wiring(wiring)
{
    auto *undo = new QAction(QStringLiteral("Undo Clear All"), &window);
    undo->setObjectName(QStringLiteral("actUndoClear"));
    undo->setShortcut(QKeySequence::Undo);
    connect(undo, &QAction::triggered, this, &ClearAll::undo);
    window.addAction(undo);
    m_wiring.messageBox.installEventFilter(this);
    connect(&m_wiring.grid, &EventGrid::clearedRowsGone, &m_wiring.statusBar,
        &QStatusBar::clearMessage);
}

void ClearAll::clear()
{
    const int rows = m_wiring.grid.rowCount() - 2;
    m_wiring.messageBox.clear();
    m_wiring.grid.clear();
    m_counts = m_wiring.incoming.resetCounts();
    if (rows > 0)
        m_wiring.statusBar.showMessage(
            QStringLiteral("Cleared %1 rows: Ctrl+Z brings them back").arg(groupedNumber(rows)));
}

bool ClearAll::undo()
{
    m_wiring.statusBar.clearMessage();
    if (!m_wiring.grid.undoClear())
        return false;
    m_wiring.incoming.restoreCounts(std::exchange(m_counts, {}));
    emit undone();
    return true;
}

// The message box takes Ctrl+Z for its own typing; with none left, the window's undo runs.
bool ClearAll::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride
        && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Undo)
        && !m_wiring.messageBox.document()->isUndoAvailable()) {
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
