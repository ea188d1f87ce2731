#include "EventGridModel.h"

#include "KindColours.h"
#include "frame/NumberText.h"
#include "rows/RowCells.h"
#include "rows/RowDetails.h"
#include "rows/UmpRows.h"
#include "timing/StampText.h"

#include <QBrush>
#include <algorithm>
#include <climits>
#include <stdexcept>

namespace {

// How far up a delta looks for a row with a stamp, so that painting stays cheap even among
// many sent rows.
constexpr std::size_t LookBack = 1000;

QString latin1(const std::string &text)
{
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

} // namespace

EventGridModel::EventGridModel(const CaptureDocument &document, QObject *parent)
    : GridRows(parent)
    , m_document(document)
{
    connect(&document, &CaptureDocument::cleared, this, &EventGridModel::documentReplaced);
    connect(&document, &CaptureDocument::replaced, this, &EventGridModel::documentReplaced);
    connect(&document, &CaptureDocument::restored, this, &EventGridModel::documentRestored);
    connect(&document, &CaptureDocument::markChanged, this, &EventGridModel::markChanged);
    connect(&document, &CaptureDocument::rowsAdded, this, &EventGridModel::showMarkColumn);
    connect(&document, &CaptureDocument::oldestDropped, this, &EventGridModel::oldestDropped);
}

void EventGridModel::setHeaderCell(int cellIndex, const QString &text)
{
    if (cellIndex < 0 || cellIndex >= ColumnCount)
        throw std::out_of_range("not a header cell");
    m_headers[std::size_t(cellIndex)] = text;
    emit headerDataChanged(Qt::Horizontal, cellIndex, cellIndex);
}

bool EventGridModel::commit()
{
    if (m_shownRows == store().size())
        return false;
    m_shownRows = store().size();
    return true;
}

void EventGridModel::documentReplaced()
{
    m_shownRows = store().size();
    showMarkColumn();
}

void EventGridModel::markChanged(std::size_t row)
{
    const bool shown = m_markShown;
    showMarkColumn();
    if (shown && m_markShown && row < m_shownRows) {
        const int gridRow = int(std::min<std::size_t>(row, INT_MAX - 1));
        emit dataChanged(index(gridRow, markColumn()), index(gridRow, markColumn()));
    }
}

void EventGridModel::showMarkColumn()
{
    setColumnShown(markColumnPlace(), !store().marks().empty(), m_markShown);
}

void EventGridModel::documentRestored(std::size_t count)
{
    m_shownRows += count;
    showMarkColumn();
}

void EventGridModel::oldestDropped(std::size_t count)
{
    m_shownRows -= std::min(m_shownRows, count);
    showMarkColumn();
}

void EventGridModel::setViewSettings(const ViewSettings &settings)
{
    setColumnShown(DetailsColumn, settings.details, m_view.details);
    setColumnShown(DetailsColumn + (m_view.details ? 1 : 0), settings.source, m_view.source);
    setColumnShown(DetailsColumn + (m_view.details ? 1 : 0) + (m_view.source ? 1 : 0),
        settings.group, m_view.group);
    m_view = settings;
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void EventGridModel::setColumnShown(int column, bool shown, bool &setting)
{
    if (shown == setting)
        return;
    shown ? beginInsertColumns({}, column, column) : beginRemoveColumns({}, column, column);
    setting = shown;
    shown ? endInsertColumns() : endRemoveColumns();
}

QString EventGridModel::timeOfDay(std::size_t row) const
{
    return m_timeOfDay.of(store(), row);
}

QString EventGridModel::details(std::size_t row) const
{
    return RowDetails::of(store(), row, m_view.middleC);
}

// The time views read the capture's one clock, not the port's, so that rows of several
// inputs compare. A sent row keeps its word before its time ("SENT 12.345678"): the time
// from a request to its reply reads off the grid, and the row still reads as sent.
QString EventGridModel::timeCell(std::size_t row) const
{
    const QString stored = latin1(RowCells::cell(store(), row, 0));
    std::string time;
    switch (m_view.time) {
    case ViewSettings::Time::SinceStart:
        return stored;
    case ViewSettings::Time::TimeOfDay:
        m_timeOfDay.appendMs(time, store().storedWallMs(row));
        break;
    case ViewSettings::Time::Delta:
        time = delta(row).toStdString();
        break;
    case ViewSettings::Time::Seconds:
        StampText::appendSeconds(time, store().at(row).stampUs);
        break;
    }
    const QString shown = latin1(time);
    return store().at(row).origin == Origin::Received ? shown : stored + u' ' + shown;
}

// "+12", the ms since the nearest received row above, of whichever source.
QString EventGridModel::delta(std::size_t row) const
{
    const std::int64_t now = store().storedWallMs(row);
    const std::size_t stop = row > LookBack ? row - LookBack : 0;
    for (std::size_t above = row; above > stop; --above)
        if (const std::optional<std::int64_t> before = store().wallMs(above - 1))
            return (now >= *before ? QStringLiteral("+") : QString())
                + QString::number(now - *before);
    return QStringLiteral("+0");
}

QString EventGridModel::source(std::size_t row) const
{
    return store().sourceName(store().at(row).source);
}

QString EventGridModel::group(std::size_t row) const
{
    const CapturedMessage message = store().at(row);
    return message.isUmp() ? UmpRows::groupText(message.umpPacket()) : QString();
}

// "● note": the mark stands out in a column of mostly empty cells.
QString EventGridModel::mark(std::size_t row) const
{
    const std::optional<QString> note = store().marks().noteAt(row);
    if (!note)
        return {};
    return note->isEmpty() ? QStringLiteral("\u25CF") : QStringLiteral("\u25CF ") + *note;
}

QString EventGridModel::shownText(std::size_t row, int column) const
{
    if (column == markColumn())
        return mark(row);
    if (column == sourceColumn())
        return source(row);
    if (column == groupColumn())
        return group(row);
    if (column == DetailsColumn)
        return details(row);
    if (column == 0)
        return timeCell(row);
    if (column != SysExColumn)
        return latin1(RowCells::cell(store(), row, column));
    // Laying out a cell of megabytes would hold the window for seconds: the view gets the
    // first bytes and the count.
    const CapturedMessage message = store().at(row);
    std::string shown;
    if (message.bytes.size() <= std::size_t(ShownSysExBytes) + 1) {
        RowCells::appendSysExData(shown, message);
        return latin1(shown);
    }
    RowCells::appendSysExData(shown, message, ShownSysExBytes);
    return latin1(shown)
        + QStringLiteral("\u2026 (%1 bytes)").arg(groupedNumber(qint64(message.bytes.size())));
}

QString EventGridModel::gridCellText(int gridRow, int column) const
{
    if (gridRow == 0)
        return column >= 0 && column < ColumnCount ? m_headers[std::size_t(column)] : QString();
    if (gridRow < 1 || std::size_t(gridRow - 1) >= store().size() || column < 0
        || column >= ColumnCount)
        return {};
    return latin1(RowCells::cell(store(), std::size_t(gridRow - 1), column));
}

int EventGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(std::min<std::size_t>(m_shownRows, INT_MAX - 1)) + 1;
}

int EventGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : markColumnPlace() + (m_markShown ? 1 : 0);
}

void EventGridModel::setColumnAlignment(int column, Qt::Alignment alignment)
{
    if (column >= 0 && column < ColumnCount)
        m_alignments[std::size_t(column)] = alignment;
}

QVariant EventGridModel::data(const QModelIndex &index, int role) const
{
    return index.isValid() ? cell(std::size_t(index.row()), index.column(), role) : QVariant();
}

QVariant EventGridModel::cell(std::size_t row, int column, int role) const
{
    if (role == Qt::TextAlignmentRole)
        return column >= 0 && column < ColumnCount
            ? QVariant::fromValue(m_alignments[std::size_t(column)])
            : QVariant();
    // The empty last row sits where the next uncommitted row will be shown.
    if (row >= m_shownRows)
        return role == Qt::DisplayRole ? QVariant(QString()) : QVariant();
    if (role == Qt::BackgroundRole && m_view.colourByKind) {
        const QColor tint = KindColours::tintOf(KindColours::kindOf(store().at(row)));
        return tint.isValid() ? QVariant(QBrush(tint)) : QVariant();
    }
    if (role == Qt::ToolTipRole && column == markColumn())
        return store().marks().noteAt(row).value_or(QString());
    return role == Qt::DisplayRole ? QVariant(shownText(row, column)) : QVariant();
}

QVariant EventGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0
        || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == sourceColumn())
        return QStringLiteral("Source");
    if (section == groupColumn())
        return QStringLiteral("Group");
    if (section == markColumn())
        return QStringLiteral("Mark");
    return section == DetailsColumn ? QStringLiteral("Details") : m_headers[std::size_t(section)];
}
