#include "EventView.h"

#include "CellText.h"
#include "GridRows.h"
#include "SteadyScrollBar.h"
#include "frame/NumberText.h"

#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionFocusRect>
#include <QStyleOptionViewItem>
#include <QToolButton>
#include <QToolTip>
#include <algorithm>

namespace {

// Between the button and the viewport's corner.
constexpr int ButtonMargin = 8;

} // namespace

EventView::EventView(QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_header(new QHeaderView(Qt::Horizontal, this))
    , m_newRows(new QToolButton(viewport()))
    , m_bar(new SteadyScrollBar(Qt::Vertical, this))
{
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBar(m_bar);
    // Every pixel is painted by the view itself, so Qt need neither fill the background
    // first nor paint what lies under the viewport when it scrolls.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    m_header->setHighlightSections(false);
    m_header->setSectionsClickable(false);
    const auto columnsChanged = [this] {
        updateBars();
        viewport()->update();
    };
    connect(m_header, &QHeaderView::sectionResized, this, columnsChanged);
    connect(m_header, &QHeaderView::sectionCountChanged, this, columnsChanged);
    connect(m_header, &QHeaderView::geometriesChanged, this, &EventView::updateGeometries);
    m_newRows->setObjectName(QStringLiteral("btnNewRows"));
    m_newRows->setToolTip(QStringLiteral("Follow the newest rows (End)"));
    m_newRows->hide();
    connect(m_newRows, &QToolButton::clicked, this, &EventView::follow);
}

// The header and the button are deleted with the widget, after this class's part of it:
// nothing they say may reach it then.
EventView::~EventView()
{
    disconnect(m_header, nullptr, this, nullptr);
    disconnect(m_newRows, nullptr, this, nullptr);
}

void EventView::setRows(GridRows &rows)
{
    m_rows = &rows;
    m_header->setModel(&rows);
    const auto repaint = [this] { viewport()->update(); };
    connect(&rows, &QAbstractItemModel::dataChanged, this, repaint);
    connect(&rows, &QAbstractItemModel::headerDataChanged, this, repaint);
    connect(&rows, &QAbstractItemModel::columnsInserted, this, repaint);
    connect(&rows, &QAbstractItemModel::columnsRemoved, this, repaint);
    rowsReset();
}

int EventView::rowHeight() const
{
    return fontMetrics().height() + 2;
}

// A narrow screen adds the horizontal scroll bar.
QSize EventView::minimumSizeHint() const
{
    return {QAbstractScrollArea::minimumSizeHint().width(),
        LeastRows * rowHeight() + m_header->sizeHint().height()
            + horizontalScrollBar()->sizeHint().height() + 2 * frameWidth()};
}

int EventView::columnWidth(int column) const
{
    return m_header->sectionSize(column);
}

int EventView::textMargins() const
{
    return 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
}

std::size_t EventView::rowCount() const
{
    return m_rows ? m_rows->shownRows() : 0;
}

int EventView::wholeRowsInView() const
{
    return std::max(1, viewport()->height() / rowHeight());
}

void EventView::rowsAdded()
{
    const std::size_t before = m_rowsKnown;
    const std::size_t topBefore = m_top;
    m_rowsKnown = rowCount();
    updateBars();
    if (m_following && m_top > topBefore)
        scrollUpBy(m_top - topBefore);
    else if (m_top + std::size_t(wholeRowsInView()) >= before) // else all below the screen
        viewport()->update();
    updateNewRowsButton();
}

// The rows in view move up and only those that came in are painted; the row that was the
// empty last one is a message now.
void EventView::scrollUpBy(std::size_t rows)
{
    const int whole = wholeRowsInView();
    if (rows >= std::size_t(whole)) {
        viewport()->update();
        return;
    }
    const int height = rowHeight();
    viewport()->scroll(0, -int(rows) * height);
    const int firstChanged = std::max(0, (whole - int(rows) - 1) * height);
    viewport()->update(0, firstChanged, viewport()->width(), viewport()->height() - firstChanged);
}

void EventView::rowsReset()
{
    m_rowsKnown = rowCount();
    m_selection.clear();
    m_beforeGesture.clear();
    m_current.reset();
    m_anchor = 0;
    m_top = 0;
    m_following = true;
    updateBars();
    updateNewRowsButton();
    viewport()->update();
}

void EventView::rowsInsertedBefore(std::size_t count)
{
    m_rowsKnown = rowCount();
    m_selection.insertBefore(count);
    m_beforeGesture.insertBefore(count);
    m_anchor += count;
    if (m_current)
        *m_current += count;
    follow();
}

// A row that went leaves the place it held to the oldest row kept.
void EventView::rowsRemovedBefore(std::size_t count)
{
    const auto shift = [count](std::size_t &row) { row -= std::min(row, count); };
    m_rowsKnown = rowCount();
    m_selection.removeFirst(count);
    m_beforeGesture.removeFirst(count);
    shift(m_anchor);
    shift(m_rowsWhenLeft);
    shift(m_top);
    // A current row that went is another message now, for whatever shows the current one.
    const bool currentWent = m_current && *m_current < count;
    if (m_current)
        shift(*m_current);
    if (m_pressed)
        shift(m_pressed->row);
    updateBars();
    updateNewRowsButton();
    viewport()->update();
    if (currentWent)
        emit currentRowChanged(0);
}

bool EventView::isRowVisible(std::size_t row) const
{
    return row >= m_top && row < m_top + std::size_t(wholeRowsInView()) && row < rowCount();
}

QRect EventView::cellRect(std::size_t row, int column) const
{
    if (row < m_top || row >= rowCount() || column < 0 || column >= m_header->count())
        return {};
    const std::size_t y = (row - m_top) * std::size_t(rowHeight());
    if (y > std::size_t(viewport()->height()))
        return {};
    return {m_header->sectionViewportPosition(column), int(y), m_header->sectionSize(column),
        rowHeight()};
}

std::optional<EventView::Cell> EventView::cellAt(QPoint point, bool clampToRows) const
{
    const std::size_t rows = rowCount();
    if (rows == 0)
        return std::nullopt;
    std::size_t row = m_top + std::size_t(std::max(point.y(), 0) / rowHeight());
    if (row >= rows) {
        if (!clampToRows)
            return std::nullopt;
        row = rows - 1;
    }
    const int column = m_header->logicalIndexAt(point.x());
    return Cell {row, column >= 0 ? column : std::max(m_currentColumn, 0)};
}

void EventView::scrollToRow(std::size_t row, Place place)
{
    const std::size_t whole = std::size_t(wholeRowsInView());
    if (place == Place::AtTop || row < m_top)
        setTop(row);
    else if (row >= m_top + whole)
        setTop(row - whole + 1);
}

void EventView::setTop(std::size_t top)
{
    m_top = std::min(top, m_scroll.lastTop());
    if (m_top < m_scroll.lastTop())
        stopFollowing();
    updateBars();
    updateNewRowsButton();
    viewport()->update();
}

void EventView::follow()
{
    m_following = true;
    updateBars();
    updateNewRowsButton();
    viewport()->update();
}

void EventView::stopFollowing()
{
    if (!m_following)
        return;
    m_following = false;
    m_rowsWhenLeft = rowCount();
}

std::size_t EventView::unseenRows() const
{
    if (m_following)
        return 0;
    const std::size_t rows = rowCount();
    const std::size_t belowScreen = rows - std::min(rows, m_top + std::size_t(wholeRowsInView()));
    return std::min(belowScreen, rows - std::min(rows, m_rowsWhenLeft));
}

void EventView::updateNewRowsButton()
{
    const std::size_t unseen = unseenRows();
    m_newRows->setVisible(unseen > 0);
    if (unseen == 0)
        return;
    m_newRows->setText(unseen == 1
            ? QStringLiteral("1 new row \u2193")
            : QStringLiteral("%1 new rows \u2193").arg(groupedNumber(qint64(unseen))));
    m_newRows->adjustSize();
    const QRect area = viewport()->rect();
    m_newRows->move(area.right() - m_newRows->width() - ButtonMargin,
        area.bottom() - m_newRows->height() - ButtonMargin);
}

// The vertical bar counts rows (in steps, past what an int holds); the horizontal one moves
// the columns, whose header scrolls with them.
void EventView::updateBars()
{
    const std::size_t rows = rowCount();
    const std::size_t whole = std::size_t(wholeRowsInView());
    m_scroll.setLastTop(rows > whole ? rows - whole : 0);
    if (m_following)
        m_top = m_scroll.lastTop();
    m_top = std::min(m_top, m_scroll.lastTop());
    m_settingBar = true;
    m_bar->setSteps(m_scroll.maximum(), m_scroll.stepsOf(whole), m_scroll.valueOf(m_top));
    QScrollBar *horizontal = horizontalScrollBar();
    horizontal->setRange(0, std::max(0, m_header->length() - viewport()->width()));
    horizontal->setPageStep(viewport()->width());
    m_settingBar = false;
    m_header->setOffset(horizontal->value());
}

void EventView::scrollContentsBy(int dx, int)
{
    m_header->setOffset(horizontalScrollBar()->value());
    // The view's own moves of its bar repaint what they moved themselves: a frame that
    // brings rows scrolls the rows in view and paints only those that came.
    if (m_settingBar && dx == 0)
        return;
    if (!m_settingBar) {
        // The user moved the bar: to its end follows, anywhere else reads.
        const std::size_t top = m_scroll.topOf(verticalScrollBar()->value());
        if (top >= m_scroll.lastTop())
            follow();
        else
            setTop(top);
    }
    viewport()->update();
}

void EventView::wheelEvent(QWheelEvent *event)
{
    if (event->angleDelta().y() == 0) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    // A turn of 15 degrees moves the lines the desktop says; finer wheels add up to it.
    m_wheelEighths += event->angleDelta().y();
    const int steps = m_wheelEighths / 120;
    m_wheelEighths %= 120;
    const std::ptrdiff_t rows = -std::ptrdiff_t(steps) * QApplication::wheelScrollLines();
    const std::size_t top
        = rows < 0 ? m_top - std::min(m_top, std::size_t(-rows)) : m_top + std::size_t(rows);
    if (top >= m_scroll.lastTop())
        follow();
    else
        setTop(top);
    event->accept();
}

void EventView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateGeometries();
}

void EventView::updateGeometries()
{
    const int headerHeight = m_header->sizeHint().height();
    setViewportMargins(0, headerHeight, 0, 0);
    const QRect area = viewport()->geometry();
    m_header->setGeometry(area.left(), area.top() - headerHeight, area.width(), headerHeight);
    updateBars();
    updateNewRowsButton();
}

void EventView::paintEvent(QPaintEvent *event)
{
    if (!m_text || m_text->font() != font())
        m_text = std::make_unique<CellText>(font());
    QPainter painter(viewport());
    const QRect area = event->rect();
    const int height = rowHeight();
    const std::size_t end = std::min(rowCount(), m_top + std::size_t(area.bottom() / height) + 1);
    for (std::size_t row = m_top + std::size_t(area.top() / height); row < end; ++row)
        paintRow(painter, row, int(row - m_top) * height, area);
    const int rowsBottom = int(end - std::min(end, m_top)) * height;
    paintEmptyArea(painter, rowsBottom, area);
    paintGridLines(painter, rowsBottom, area);
}

// The viewport does not fill its background first: each row fills its own, so a frame
// fills each pixel once.
void EventView::paintEmptyArea(QPainter &painter, int rowsBottom, const QRect &area)
{
    const QBrush &base = palette().brush(QPalette::Base);
    const int columnsEnd = m_header->length() - m_header->offset();
    const QRect rightOfColumns(
        QPoint(columnsEnd, area.top()), QPoint(area.right(), rowsBottom - 1));
    const QRect belowRows(QPoint(area.left(), rowsBottom), area.bottomRight());
    for (const QRect &empty : {rightOfColumns, belowRows})
        if (const QRect part = empty.intersected(area); !part.isEmpty())
            painter.fillRect(part, base);
}

void EventView::paintRow(QPainter &painter, std::size_t row, int y, const QRect &area)
{
    const bool selected = m_selection.contains(row);
    const QPalette &colours = palette();
    const int margin = textMargins() / 2;
    // A row is tinted as one: its kind is worked out once, not for each cell.
    const QBrush background = selected ? colours.brush(QPalette::Highlight)
                                       : m_rows->cell(row, 0, Qt::BackgroundRole).value<QBrush>();
    // The row's grid lines are painted over it after; a tint lies over the base colour.
    const QRect columns
        = QRect(-m_header->offset(), y, m_header->length(), rowHeight()).intersected(area);
    if (!background.isOpaque())
        painter.fillRect(columns, colours.brush(QPalette::Base));
    if (background.style() != Qt::NoBrush)
        painter.fillRect(columns, background);
    painter.setPen(colours.color(selected ? QPalette::HighlightedText : QPalette::Text));
    for (int column = 0; column < m_header->count(); ++column) {
        // The grid line takes the cell's last pixel each way.
        const QRect cell(m_header->sectionViewportPosition(column), y,
            m_header->sectionSize(column) - 1, rowHeight() - 1);
        if (cell.right() < area.left() || cell.left() > area.right() || cell.width() <= 0)
            continue;
        m_text->draw(painter, cell.adjusted(margin, 0, -margin, 0),
            m_rows->cell(row, column, Qt::TextAlignmentRole).value<Qt::Alignment>(),
            m_rows->cell(row, column, Qt::DisplayRole).toString());
        if (hasFocus() && m_current == row && m_currentColumn == column)
            paintFocus(painter, cell);
    }
}

void EventView::paintFocus(QPainter &painter, const QRect &cell)
{
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = cell;
    // The style may leave its own pen behind, and the row's other cells are still to come.
    painter.save();
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    painter.restore();
}

void EventView::paintGridLines(QPainter &painter, int rowsBottom, const QRect &area)
{
    QStyleOptionViewItem option;
    option.initFrom(this);
    // Lines one pixel wide are filled, not stroked: a fill is a run of stores, a line a
    // trip through the rasteriser.
    const QColor line
        = QColor::fromRgba(QRgb(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this)));
    const int height = rowHeight();
    for (int y = area.top() / height * height + height - 1; y < rowsBottom; y += height)
        painter.fillRect(QRect(area.left(), y, area.width(), 1), line);
    const int linesBottom = std::min(rowsBottom, area.bottom()) + 1;
    for (int column = 0; column < m_header->count(); ++column) {
        const int x = m_header->sectionViewportPosition(column) + m_header->sectionSize(column) - 1;
        if (x >= area.left() && x <= area.right() && linesBottom > area.top())
            painter.fillRect(QRect(x, area.top(), 1, linesBottom - area.top()), line);
    }
}

bool EventView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip)
        return showCutCellTip(event);
    return QAbstractScrollArea::viewportEvent(event);
}

// A cell too narrow for its text, which then ends in an ellipsis, shows it whole.
bool EventView::showCutCellTip(QEvent *event)
{
    const auto *help = static_cast<QHelpEvent *>(event);
    const std::optional<Cell> cell = cellAt(help->pos());
    const QRect rect = cell ? cellRect(cell->row, cell->column) : QRect();
    const QString text
        = cell ? m_rows->cell(cell->row, cell->column, Qt::DisplayRole).toString() : QString();
    if (!rect.isEmpty() && fontMetrics().horizontalAdvance(text) + textMargins() > rect.width())
        QToolTip::showText(help->globalPos(), text, viewport(), rect);
    else
        QToolTip::hideText();
    return true;
}

void EventView::setCurrentCell(std::size_t row, int column)
{
    const bool moved = m_current != row;
    m_current = row;
    m_currentColumn = column;
    viewport()->update();
    if (moved)
        emit currentRowChanged(row);
}

void EventView::selectRow(std::size_t row)
{
    m_selection.clear();
    m_selection.select(row, row);
    m_beforeGesture.clear();
    m_anchor = row;
    stopFollowing();
    setCurrentCell(row, m_currentColumn);
    updateNewRowsButton();
}

void EventView::mousePressEvent(QMouseEvent *event)
{
    const std::optional<Cell> cell = cellAt(event->position().toPoint());
    m_pressed = cell;
    if (!cell)
        return;
    // A right click keeps the selection it lands in, for the context menu to act on.
    if (event->button() == Qt::RightButton && m_selection.contains(cell->row))
        return;
    pressOn(*cell, event->modifiers());
}

void EventView::pressOn(Cell cell, Qt::KeyboardModifiers modifiers)
{
    if (modifiers & Qt::ShiftModifier) {
        extendTo(cell.row);
    } else if (modifiers & Qt::ControlModifier) {
        m_beforeGesture = m_selection;
        m_selection.toggle(cell.row);
        m_anchor = cell.row;
    } else {
        selectRow(cell.row);
    }
    stopFollowing();
    setCurrentCell(cell.row, cell.column);
    updateNewRowsButton();
}

void EventView::extendTo(std::size_t row)
{
    m_selection = m_beforeGesture;
    m_selection.select(m_anchor, row);
    viewport()->update();
}

void EventView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton) || !m_pressed)
        return;
    if (const std::optional<Cell> cell = cellAt(event->position().toPoint(), true)) {
        extendTo(cell->row);
        setCurrentCell(cell->row, cell->column);
        scrollToRow(cell->row);
    }
}

void EventView::mouseReleaseEvent(QMouseEvent *event)
{
    const std::optional<Cell> cell = cellAt(event->position().toPoint());
    if (cell && cell == m_pressed && event->button() == Qt::LeftButton)
        emit clicked(cell->row, cell->column);
    m_pressed.reset();
}

// In the order the columns are shown, which the Source column changes.
int EventView::nextColumn(int step) const
{
    const int shown = std::clamp(
        m_header->visualIndex(m_currentColumn) + step, 0, std::max(m_header->count() - 1, 0));
    return std::max(m_header->logicalIndex(shown), 0);
}

void EventView::keyPressEvent(QKeyEvent *event)
{
    if (rowCount() == 0) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        m_selection.select(0, rowCount() - 1);
        viewport()->update();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Left:
    case Qt::Key_Right:
        moveCurrent(event->key(), event->modifiers());
        return;
    case Qt::Key_Space:
        if (event->modifiers() & Qt::ControlModifier && m_current) {
            m_selection.toggle(*m_current);
            viewport()->update();
            return;
        }
        break;
    default:
        break;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

// Shift reaches from the anchor; Ctrl moves the current row alone; a plain key selects it.
void EventView::moveCurrent(int key, Qt::KeyboardModifiers modifiers)
{
    const std::size_t last = rowCount() - 1;
    const std::size_t from = std::min(m_current.value_or(m_top), last);
    const std::size_t page = std::size_t(std::max(1, wholeRowsInView() - 1));
    std::size_t row = from;
    int column = m_currentColumn;
    switch (key) {
    case Qt::Key_Up:
        row = from - std::min<std::size_t>(from, 1);
        break;
    case Qt::Key_Down:
        row = std::min(from + 1, last);
        break;
    case Qt::Key_PageUp:
        row = from - std::min(from, page);
        break;
    case Qt::Key_PageDown:
        row = std::min(from + page, last);
        break;
    case Qt::Key_Home:
        row = 0;
        break;
    case Qt::Key_End:
        row = last;
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
        column = nextColumn(key == Qt::Key_Left ? -1 : 1);
        break;
    }
    if (modifiers & Qt::ShiftModifier)
        extendTo(row);
    else if (!(modifiers & Qt::ControlModifier))
        selectRow(row);
    setCurrentCell(row, column);
    if (key == Qt::Key_End) {
        follow();
        return;
    }
    if (key != Qt::Key_Left && key != Qt::Key_Right)
        stopFollowing();
    scrollToRow(row);
    updateNewRowsButton();
}
