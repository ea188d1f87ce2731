#include "EventGrid.h"

#include "ColumnFit.h"
#include "EventGridModel.h"
#include "EventView.h"
#include "capture/CaptureDocument.h"
#include "frame/NumberText.h"
#include "rows/RowCells.h"
#include "rows/RowColumns.h"
#include "rows/RowSearch.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <algorithm>
#include <climits>
#include <stdexcept>

namespace {

using namespace RowColumns;

// The byte columns read as numbers, right-aligned; in the order of RowColumns.
constexpr bool RightAligned[Count] = {false, true, true, true, false, false, false};

} // namespace

EventGrid::EventGrid(
    EventView &view, EventGridModel &model, const CaptureDocument &document, QObject *parent)
    : QObject(parent)
    , m_view(view)
    , m_model(model)
    , m_document(document)
{
    // The model hears of a change first (it was made first), so the view reads it anew.
    connect(&document, &CaptureDocument::rowsAdded, this, &EventGrid::rowsAppended);
    for (auto reset : {&CaptureDocument::cleared, &CaptureDocument::replaced})
        connect(&document, reset, this, [this] {
            cancelFind();
            m_view.rowsReset();
        });
    // The rows a search goes through move down; the rows put back are the user's again.
    connect(&document, &CaptureDocument::restored, this, [this](std::size_t count) {
        cancelFind();
        m_view.rowsInsertedBefore(count);
    });
    connect(&document, &CaptureDocument::oldestDropped, this, &EventGrid::oldestDropped);
    m_frame.setSingleShot(true);
    m_frame.setTimerType(Qt::PreciseTimer);
    m_sinceFrame.start();
    connect(&m_frame, &QTimer::timeout, this, &EventGrid::showWaitingRows);
    m_findStep.setSingleShot(true);
    connect(&m_findStep, &QTimer::timeout, this, &EventGrid::findOn);
    m_view.setRows(m_model);
    m_columns = new ColumnFit(m_view, m_model);
    setUpCopy();
}

void EventGrid::setUpCopy()
{
    auto *copy = new QAction(QStringLiteral("Copy"), &m_view);
    copy->setObjectName(QStringLiteral("actCopyRows"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this,
        [this] { QGuiApplication::clipboard()->setText(selectedText()); });
    m_view.addAction(copy);
    m_view.setContextMenuPolicy(Qt::ActionsContextMenu);
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
    if (m_frame.isActive() || m_paused)
        return;
    const auto sinceFrame = std::chrono::milliseconds(m_sinceFrame.elapsed());
    m_frame.start(std::max(std::chrono::milliseconds(0), FrameTime - sinceFrame));
}

void EventGrid::setPaused(bool paused)
{
    m_paused = paused;
    if (paused)
        return;
    // Going on is going back to the traffic as it comes.
    showWaitingRows();
    m_view.follow();
}

std::size_t EventGrid::waitingRows() const
{
    return m_model.waitingRows();
}

void EventGrid::find(const QString &text, RowSearch::Direction direction)
{
    cancelFind();
    const std::size_t shown = m_model.committedRows();
    // From the row after the current one (or before it), round the ends.
    const bool forward = direction == RowSearch::Direction::Forward;
    std::size_t from = forward || shown == 0 ? 0 : shown - 1;
    if (const std::optional<std::size_t> current = m_view.currentRow(); current && *current < shown)
        from = (*current + (forward ? 1 : shown - 1)) % shown;
    const ViewSettings &view = m_model.viewSettings();
    m_findText = text;
    m_findDirection = direction;
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

void EventGrid::findOn()
{
    if (m_pass->step(FindRowsAStretch) == SearchPass::State::Going) {
        m_findStep.start();
        return;
    }
    const bool found = m_pass->state() == SearchPass::State::Found;
    const std::size_t row = m_pass->found();
    m_foundPlace = m_pass->place();
    cancelFind();
    // Only the row found, whatever keys are held (Shift+Enter finds backward).
    if (found)
        selectRow(row);
    emit findFinished(found);
}

// A find going on reads rows by number: it begins again from the current row, which moved
// with its row.
void EventGrid::oldestDropped(std::size_t count)
{
    m_view.rowsRemovedBefore(count);
    if (isFinding())
        find(m_findText, m_findDirection);
}

void EventGrid::showWaitingRows()
{
    m_frame.stop();
    m_sinceFrame.restart();
    if (m_paused || !m_model.commit())
        return;
    m_columns->fitNewSources();
    m_view.rowsAdded();
}

void EventGrid::selectRow(std::size_t row)
{
    m_view.selectRow(row);
    m_view.scrollToRow(row);
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
    if (row >= 1 && std::size_t(row - 1) < m_model.shownRows())
        m_view.setCurrentCell(std::size_t(row - 1), col);
    return m_model.gridCellText(row, col);
}

int EventGrid::currentRow() const
{
    const std::optional<std::size_t> current = m_view.currentRow();
    return current ? int(std::min<std::size_t>(*current, INT_MAX - 2)) + 1 : 0;
}

QString EventGrid::selectedText() const
{
    QStringList lines;
    for (std::size_t row : selectedRows()) {
        // The cells as shown, but whole: a long dump is copied in full.
        QStringList cells {m_model.cell(row, 0, Qt::DisplayRole).toString()};
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
    const std::size_t stored = m_model.store().size();
    for (const RowSelection::Range &range : m_view.selection().ranges())
        for (std::size_t row = range.first; row <= range.last && row < stored; ++row)
            rows.push_back(row);
    return rows;
}

// A row counts as visible only when the whole of it is in view.
bool EventGrid::isRowVisible(int row) const
{
    return row >= 1 && m_view.isRowVisible(std::size_t(row - 1));
}

void EventGrid::showRowsFrom(std::size_t first)
{
    m_model.commit();
    m_view.rowsAdded();
    m_view.scrollToRow(first, EventView::Place::AtTop);
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
    m_view.setCurrentCell(std::size_t(last - 1), column);
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
    m_view.setCurrentCell(std::size_t(row - 1), EventGridModel::SysExColumn);
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
