#include "ClearAll.h"

#include "capture/CaptureDocument.h"
#include "capture/IncomingTraffic.h"
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
    connect(&m_wiring.document, &CaptureDocument::clearedRowsGone, &m_wiring.statusBar,
        &QStatusBar::clearMessage);
}

void ClearAll::clear()
{
    const std::size_t rows = m_wiring.document.rows().size();
    m_wiring.messageBox.clear();
    // The counts go first: what the document's clear tells shows them.
    m_counts = m_wiring.incoming.resetCounts();
    m_wiring.document.clear();
    if (rows > 0)
        m_wiring.statusBar.showMessage(QStringLiteral("Cleared %1 rows: Ctrl+Z brings them back")
                                           .arg(groupedNumber(qint64(rows))));
}

bool ClearAll::undo()
{
    m_wiring.statusBar.clearMessage();
    if (!m_wiring.document.canUndoClear())
        return false;
    m_wiring.incoming.restoreCounts(std::exchange(m_counts, {}));
    m_wiring.document.undoClear();
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
