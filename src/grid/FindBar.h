#pragma once

#include "capture/CaptureDocument.h"
#include "rows/RowSearch.h"

#include <QWidget>
#include <optional>

class EventGrid;
class QLabel;
class QLineEdit;

// The bar under the grid that finds rows: the text to find, Next and Previous, and where
// the row found stands among the matching rows ("3 of 17"), with a word when the search
// went round the end of the rows, or when nothing matches. Enter finds the next row, Shift+Enter
// the one before, Escape closes the bar and goes back to the grid.
class FindBar : public QWidget
{
    Q_OBJECT

public:
    FindBar(EventGrid &grid, QWidget *parent = nullptr);

    // Shows the bar with its text selected, ready for typing.
    void open();
    void close();
    void findNext() { find(RowSearch::Direction::Forward); }
    void findPrevious() { find(RowSearch::Direction::Backward); }
    // The bar's controls that take focus, left to right.
    QList<QWidget *> tabChain() const { return m_tabChain; }

signals:
    // The bar was opened or closed, and takes or gives back room.
    void visibilityChanged();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void find(RowSearch::Direction direction);
    void showOutcome(bool found);

    EventGrid &m_grid;
    QLineEdit *m_text;
    QLabel *m_result;
    RowSearch::Direction m_direction = RowSearch::Direction::Forward; // of the last find
    // The grid's current row when it began, still that row once the oldest rows are dropped.
    std::optional<CaptureDocument::LastingRow> m_fromRow;
    QList<QWidget *> m_tabChain;
};
