#include "EventGrid.h"

#include "ColumnFit.h"
#include "EventGridModel.h"
#include "capture/CaptureDocument.h"
#include "frame/NumberText.h"
#include "rows/RowCells.h"
#include "rows/RowColumns.h"
#include "rows/RowSearch.h"

#include <QAction>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHeaderView>
#include <QTableView>
#include <algorithm>
#include <stdexcept>

namespace {

using namespace RowColumns;

// The byte columns read as numbers, right-aligned; in the order of RowColumns.
constexpr bool RightAligned[Count] = {false, true, true, true, false, false, false};

} // namespace

EventGrid::EventGrid(
    QTableView &view, EventGridModel &model, const CaptureDocument &document, QObject *parent)
    : QObject(parent)
    , m_view(view)
    , m_model(model)
{
    connect(&document, &CaptureDocument::rowsAdded, this, &EventGrid::rowsAppended);
    connect(&document, &CaptureDocument::cleared, this, &EventGrid::cancelFind);
    connect(&document, &CaptureDocument::replaced, this, &EventGrid::cancelFind);
    // The rows a search goes through move down; the rows put back are the user's again.
    connect(&document, &CaptureDocument::restored, this, [this] {
        cancelFind();
        m_view.scrollToBottom();
    });
    m_frame.setSingleShot(true);
    m_frame.setInterval(FrameTime);
    connect(&m_frame, &QTimer::timeout, this, &EventGrid::showWaitingRows);
    m_findStep.setSingleShot(true);
    connect(&m_findStep, &QTimer::timeout, this, &EventGrid::findOn);
    m_view.setModel(&m_model);
    m_columns = new ColumnFit(m_view, m_model);
    m_view.setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view.setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view.setWordWrap(false);
    m_view.setTabKeyNavigation(false); // Tab moves on to the next control
    auto *copy = new QAction(QStringLiteral("Copy"), &m_view);
    copy->setObjectName(QStringLiteral("actCopyRows"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this,
        [this] { QGuiApplication::clipboard()->setText(selectedText()); });
    m_view.addAction(copy);
    m_view.setContextMenuPolicy(Qt::ActionsContextMenu);
    QHeaderView *rows = m_view.verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(m_view.fontMetrics().height() + 2);
}

std::int16_t EventGrid::Fgi(std::int16_t r, std::int16_t c)
{
    const std::int32_t index = std::int32_t(r) * EventGridModel::ColumnCount + c;
    if (index < INT16_MIN || index > INT16_MAX)
        throw std::overflow_error("grid cell index does not fit 16 bits");
    return std::int16_t(index);
}

void EventGrid::setUpColumns()
{
    for (std::int16_t column = 0; column < EventGridModel::ColumnCount; ++column) {
        m_model.setHeaderCell(Fgi(0, column), QLatin1String(Titles[column]));
        m_model.setColumnAlignment(column,
            RightAligned[column] ? Qt::AlignRight | Qt::AlignVCenter
                                 : Qt::AlignLeft | Qt::AlignVCenter);
    }
    m_columns->fit();
}

void EventGrid::rowsAppended()
{
    if (!m_frame.isActive() && !m_paused)
        m_frame.start();
}

void EventGrid::setPaused(bool paused)
{
    m_paused = paused;
    if (!paused)
        showWaitingRows();
}

std::size_t EventGrid::waitingRows() const
{
    return m_model.waitingRows();
}

void EventGrid::find(const QString &text, RowSearch::Direction direction)
{
    cancelFind();
    const std::size_t shown = std::size_t(m_model.rowCount() - 1);
    // From the row after the current one (or before it), round the ends.
    const bool forward = direction == RowSearch::Direction::Forward;
    std::size_t from = forward || shown == 0 ? 0 : shown - 1;
    const QModelIndex current = m_view.currentIndex();
    if (current.isValid() && std::size_t(current.row()) < shown)
        from = (std::size_t(current.row()) + (forward ? 1 : shown - 1)) % shown;
    const ViewSettings &view = m_model.viewSettings();
    m_search = std::make_unique<RowSearch>(text);
    m_pass = std::make_unique<SearchPass>(*m_search, m_model.store(), from, direction,
        view.details ? RowSearch::Details(view.middleC) : std::nullopt, shown,
        SearchPass::Counting::Yes);
    findOn();
}

void EventGrid::cancelFind()
{
    m_findStep.stop();
    m_pass.reset();
    m_search.reset();
}

// A stretch takes a few milliseconds; the window paints and listens between stretches.
void EventGrid::findOn()
{
    constexpr std::size_t RowsAStretch = 2'000'000;
    if (m_pass->step(RowsAStretch) == SearchPass::State::Going) {
        m_findStep.start();
        return;
    }
    const bool found = m_pass->state() == SearchPass::State::Found;
    const std::size_t row = m_pass->found();
    m_foundPlace = m_pass->place();
    cancelFind();
    if (found) {
        const QModelIndex index = m_model.index(int(row), 0);
        // Only the row found, whatever keys are held (Shift+Enter finds backward).
        m_view.selectionModel()->select(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_view.selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        m_view.scrollTo(index, QAbstractItemView::EnsureVisible);
    }
    emit findFinished(found);
}

void EventGrid::showWaitingRows()
{
    m_frame.stop();
    QElapsedTimer took;
    took.start();
    if (m_paused || !m_model.commit())
        return;
    m_columns->fitNewSources();
    const int lastRow = rowCount() - 1;
    if (!isRowVisible(lastRow))
        m_view.scrollToBottom();
    // The view works out the place of every row once rows were added: with millions of rows
    // that takes milliseconds. The frames then come further apart, so that showing new rows
    // never takes more than a share of the UI thread, however many the grid holds.
    const auto cost = std::chrono::nanoseconds(took.nsecsElapsed()) * FramesPerCost;
    m_frame.setInterval(std::clamp(
        std::chrono::duration_cast<std::chrono::milliseconds>(cost), FrameTime, LongestFrame));
}

const ViewSettings &EventGrid::viewSettings() const
{
    return m_model.viewSettings();
}

int EventGrid::rowCount() const
{
    return m_model.gridRowCount();
}

QString EventGrid::GetMIDIINText(int row, int col)
{
    showWaitingRows();
    // The current cell moves; the rows the user selected stay selected.
    if (row >= 1 && m_view.selectionModel())
        m_view.selectionModel()->setCurrentIndex(
            m_model.index(row - 1, col), QItemSelectionModel::NoUpdate);
    return m_model.gridCellText(row, col);
}

int EventGrid::currentRow() const
{
    const QModelIndex current = m_view.currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

QString EventGrid::selectedText() const
{
    QStringList lines;
    for (std::size_t row : selectedRows()) {
        // The cells as shown, but whole: a long dump is copied in full.
        QStringList cells {m_model.data(m_model.index(int(row), 0), Qt::DisplayRole).toString()};
        for (int column = 1; column < EventGridModel::ColumnCount; ++column)
            cells << m_model.gridCellText(int(row) + 1, column);
        if (m_model.viewSettings().details)
            cells << m_model.details(row);
        if (m_model.viewSettings().source)
            cells << m_model.source(row);
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.isEmpty() ? QString() : lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

std::vector<std::size_t> EventGrid::selectedRows() const
{
    std::vector<std::size_t> rows;
    if (!m_view.selectionModel())
        return rows;
    for (const QModelIndex &index : m_view.selectionModel()->selectedRows())
        if (std::size_t(index.row()) < m_model.store().size())
            rows.push_back(std::size_t(index.row())); // the empty last row is no message
    std::ranges::sort(rows);
    return rows;
}

// A row counts as visible only when the whole of it is in view.
bool EventGrid::isRowVisible(int row) const
{
    const QRect rect = m_view.visualRect(m_model.index(row - 1, 0));
    return rect.isValid() && rect.top() >= 0 && rect.bottom() <= m_view.viewport()->height() - 1;
}

void EventGrid::showRowsFrom(std::size_t first)
{
    m_model.commit();
    m_view.scrollTo(m_model.index(int(first), 0), QAbstractItemView::PositionAtTop);
}

void EventGrid::markLogRead(bool withSentRows)
{
    showWaitingRows();
    const int last = rowCount() - 2;
    if (last < 1)
        return;
    const CapturedMessage message = m_model.store().at(std::size_t(last - 1));
    int column = Data2;
    if (!withSentRows && message.origin == Origin::Sent)
        column = 0; // a skipped row: only its time stamp was read
    else if (message.isSysEx())
        column = EventGridModel::SysExColumn;
    m_view.selectionModel()->setCurrentIndex(
        m_model.index(last - 1, column), QItemSelectionModel::NoUpdate);
}

EventGrid::MessageBoxText EventGrid::messageBoxText(int row, qsizetype longest)
{
    const QString status = GetMIDIINText(row, Status);
    const CapturedMessage message = m_model.store().at(std::size_t(row - 1));
    if (!message.isSysEx()) {
        // Read in column order: the last cell read stays the current one.
        const QString data1 = GetMIDIINText(row, Data1);
        const QString data2 = GetMIDIINText(row, Data2);
        return {status + QLatin1Char(' ') + data1 + QLatin1Char(' ') + data2, {}};
    }
    // A dump of megabytes is never copied whole: the box takes what it can send.
    m_view.selectionModel()->setCurrentIndex(
        m_model.index(row - 1, EventGridModel::SysExColumn), QItemSelectionModel::NoUpdate);
    const std::size_t fitting = std::size_t(longest + 1) / 3; // whole "XX " groups
    std::string text;
    RowCells::appendSysExData(text, message, fitting);
    const QString boxText = QString::fromLatin1(text.data(), qsizetype(text.size()));
    if (message.bytes.size() <= fitting)
        return {boxText, {}};
    return {boxText,
        QStringLiteral("This SysEx message has %1 bytes; the MIDI Message box holds its first %2.")
            .arg(groupedNumber(qint64(message.bytes.size())), groupedNumber(qint64(fitting)))};
}
