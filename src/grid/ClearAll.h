#pragma once

#include "ports/InputSet.h"

#include <QObject>

class CaptureDocument;
class IncomingTraffic;
class QPlainTextEdit;
class QStatusBar;

// Clear All, and taking it back: Ctrl+Z brings the rows back before those that arrived
// since, and adds their counts to those since, until the next clear, a file is shown or an
// input starts, so that a slip of the keyboard never costs a capture. The status bar says
// so. In the message box, Ctrl+Z undoes the typing first, and the clearing once there is no
// typing left to undo.
class ClearAll : public QObject
{
    Q_OBJECT

public:
    struct Wiring
    {
        CaptureDocument &document;
        IncomingTraffic &incoming;
        QPlainTextEdit &messageBox; // txtBoxSend
        QStatusBar &statusBar;
    };

    // Adds the Ctrl+Z action to `window`.
    ClearAll(const Wiring &wiring, QWidget &window);

    // Empties the grid and the message box and forgets the counts.
    void clear();
    // Brings back what the last clear() took; false when that cannot be any more.
    bool undo();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Wiring m_wiring;
    InputSet::Counts m_counts;
};
