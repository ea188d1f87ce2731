#include "EventGridModel.h"

#include "KindColours.h"
#include "frame/NumberText.h"
#include "rows/RowCells.h"
#include "rows/RowDetails.h"
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
}

void EventGridModel::documentRestored(std::size_t count)
{
    m_shownRows += count;
}

void EventGridModel::setViewSettings(const ViewSettings &settings)
{
    setColumnShown(DetailsColumn, settings.details, m_view.details);
    setColumnShown(DetailsColumn + (m_view.details ? 1 : 0), settings.source, m_view.source);
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

// "+12", the ms since the nearest row above with a stamp, of whichever source; empty for a
// row without one.
QString EventGridModel::delta(std::size_t row) const
{
    const std::optional<std::int64_t> now = store().wallMs(row);
    if (!now)
        return {};
    const std::size_t stop = row > LookBack ? row - LookBack : 0;
    for (std::size_t above = row; above > stop; --above)
        if (const std::optional<std::int64_t> before = store().wallMs(above - 1))
            return (*now >= *before ? QStringLiteral("+") : QString())
                + QString::number(*now - *before);
    return QStringLiteral("+0");
}

QString EventGridModel::source(std::size_t row) const
{
    return store().sourceName(store().at(row).source);
}

QString EventGridModel::shownText(std::size_t row, int column) const
{
    if (column == sourceColumn())
        return source(row);
    if (column == DetailsColumn)
        return details(row);
    if (column == 0 && m_view.time == ViewSettings::Time::TimeOfDay) {
        if (QString time = timeOfDay(row); !time.isEmpty())
            return time;
    } else if (column == 0 && m_view.time == ViewSettings::Time::Delta) {
        if (QString rowDelta = delta(row); !rowDelta.isEmpty())
            return rowDelta;
    } else if (column == 0 && m_view.time == ViewSettings::Time::Seconds) {
        // On the capture's one clock, not the port's: rows of several inputs compare.
        if (const CapturedMessage message = store().at(row); message.origin == Origin::Received)
            return latin1(StampText::seconds(message.stampUs));
    }
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
    return parent.isValid() ? 0 : ColumnCount + (m_view.details ? 1 : 0) + (m_view.source ? 1 : 0);
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
    return role == Qt::DisplayRole ? QVariant(shownText(row, column)) : QVariant();
}

QVariant EventGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0
        || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == sourceColumn())
        return QStringLiteral("Source");
    return section == DetailsColumn ? QStringLiteral("Details") : m_headers[std::size_t(section)];
}
