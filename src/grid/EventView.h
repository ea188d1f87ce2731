#pragma once

#include "GridRows.h"
#include "RowScroll.h"
#include "RowSelection.h"

#include <QAbstractScrollArea>
#include <cstddef>
#include <memory>
#include <optional>

class CellText;
class QHeaderView;
class QToolButton;
class SteadyScrollBar;

// The event grid's view. It paints the rows in view and keeps nothing for the others, so a
// frame costs the same over ten rows or a billion, and its memory is a screen's worth: rows
// are one height, the scroll bar counts rows (see RowScroll), and the selection is ranges.
// It follows the newest row until the user scrolls up, selects a row or finds one; new rows
// then leave what is being read in place, and a button counts them and brings them back, as
// End does.
class EventView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit EventView(QWidget *parent = nullptr);
    ~EventView() override;

    // A grid of fewer rows than this is too little to follow traffic by.
    static constexpr int LeastRows = 8;

    void setRows(GridRows &rows);
    GridRows *model() const { return m_rows; }
    QHeaderView *horizontalHeader() const { return m_header; }
    int rowHeight() const;
    int columnWidth(int column) const;
    QSize minimumSizeHint() const override;
    // The rows the view may show now.
    std::size_t rowCount() const;
    // The room a cell's text leaves beside it, in pixels.
    int textMargins() const;

    // The rows shown grew at the end; changed wholly; gained `count` before the rest; lost
    // the first `count`, while what the user reads stays in place.
    void rowsAdded();
    void rowsReset();
    void rowsInsertedBefore(std::size_t count);
    void rowsRemovedBefore(std::size_t count);

    std::size_t topRow() const { return m_top; }
    // Only a row wholly in view.
    bool isRowVisible(std::size_t row) const;
    // In the viewport's coordinates; empty for a cell out of view.
    QRect cellRect(std::size_t row, int column) const;
    enum class Place { InView, AtTop };
    void scrollToRow(std::size_t row, Place place = Place::InView);

    bool isFollowing() const { return m_following; }
    void follow();
    // The rows that came since following stopped and lie below the screen.
    std::size_t unseenRows() const;

    std::optional<std::size_t> currentRow() const { return m_current; }
    int currentColumn() const { return m_currentColumn; }
    // Moves the current cell and leaves the selection as it is.
    void setCurrentCell(std::size_t row, int column);
    // Selects only `row`, makes it current and stops following, as a click does.
    void selectRow(std::size_t row);
    const RowSelection &selection() const { return m_selection; }

signals:
    // A press and release on the same cell.
    void clicked(std::size_t row, int column);
    void currentRowChanged(std::size_t row);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    struct Cell
    {
        std::size_t row;
        int column;
        bool operator==(const Cell &) const = default;
    };

    int wholeRowsInView() const;
    std::optional<Cell> cellAt(QPoint point, bool clampToRows = false) const;
    void paintEmptyArea(QPainter &painter, int rowsBottom, const QRect &area);
    void paintRow(QPainter &painter, std::size_t row, int y, const QRect &area);
    void paintFocus(QPainter &painter, const QRect &cell);
    void paintGridLines(QPainter &painter, int rowsBottom, const QRect &area);
    bool showCutCellTip(QEvent *event);
    // Ctrl adds to what was selected before the gesture; Shift reaches from the anchor.
    void pressOn(Cell cell, Qt::KeyboardModifiers modifiers);
    void extendTo(std::size_t row);
    void moveCurrent(int key, Qt::KeyboardModifiers modifiers);
    int nextColumn(int step) const;
    void setTop(std::size_t top);
    void scrollUpBy(std::size_t rows);
    void stopFollowing();
    void updateGeometries();
    void updateBars();
    void updateNewRowsButton();

    GridRows *m_rows = nullptr;
    std::unique_ptr<CellText> m_text; // for the font the view has
    QHeaderView *m_header;
    QToolButton *m_newRows;
    SteadyScrollBar *m_bar;
    RowScroll m_scroll;
    std::size_t m_top = 0;
    std::size_t m_rowsKnown = 0;
    bool m_following = true;
    std::size_t m_rowsWhenLeft = 0;
    bool m_settingBar = false;
    int m_wheelEighths = 0; // of a degree, left over from the last wheel turn
    RowSelection m_selection;
    RowSelection m_beforeGesture;
    std::size_t m_anchor = 0;
    std::optional<std::size_t> m_current;
    int m_currentColumn = 0;
    std::optional<Cell> m_pressed;
};
