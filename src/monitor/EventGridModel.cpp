#include "EventGridModel.h"

#include "MessageDetails.h"
#include "RowMessage.h"
#include "frame/NumberText.h"
#include "modFormat.h"

#include <cstring>
#include <memory>
#include <stdexcept>
#include <unordered_map>

namespace {

// Laying out a cell of megabytes would hold the window for seconds: the view gets the first
// bytes and the count.
QString shownCellText(std::string_view cell, int column)
{
    constexpr std::size_t shownChars = EventGridModel::ShownSysExBytes * 3;
    if (column != EventGridModel::SysExColumn || cell.size() <= shownChars + 3)
        return QString::fromLatin1(cell.data(), qsizetype(cell.size()));
    return QString::fromLatin1(cell.data(), qsizetype(shownChars))
        + QStringLiteral("\u2026 (%1 bytes)").arg(groupedNumber(qint64(cell.size() + 1) / 3));
}

} // namespace

EventGridModel::EventGridModel(QObject *parent)
    : QAbstractTableModel(parent)
{ }

void EventGridModel::setHeaderCell(int cellIndex, const QString &text)
{
    if (cellIndex < 0 || cellIndex >= ColumnCount)
        throw std::out_of_range("not a header cell");
    m_headers[std::size_t(cellIndex)] = text;
    emit headerDataChanged(Qt::Horizontal, cellIndex, cellIndex);
}

void EventGridModel::appendRow(std::string_view text)
{
    m_rows.append(text);
}

void EventGridModel::appendSysExRow(QByteArrayView bytes, std::int32_t timestamp)
{
    const std::string start = modFormat::SysExRowStart(timestamp);
    m_rows.append(start.size() + std::size_t(bytes.size()) * 3, [&](char *out) {
        std::memcpy(out, start.data(), start.size());
        modFormat::WriteHexBytes(bytes, out + start.size());
    });
}

bool EventGridModel::commit()
{
    if (m_shownRows == m_rows.size())
        return false;
    beginInsertRows({}, int(m_shownRows), int(m_rows.size()) - 1);
    m_shownRows = m_rows.size();
    endInsertRows();
    return true;
}

void EventGridModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_shownRows = 0;
    m_clock.restartRows();
    endResetModel();
}

void EventGridModel::setViewSettings(const ViewSettings &settings)
{
    if (settings.details != m_view.details) {
        if (settings.details)
            beginInsertColumns({}, DetailsColumn, DetailsColumn);
        else
            beginRemoveColumns({}, DetailsColumn, DetailsColumn);
        m_view.details = settings.details;
        settings.details ? endInsertColumns() : endRemoveColumns();
    }
    m_view = settings;
    if (m_shownRows > 0)
        emit dataChanged(index(0, 0), index(int(m_shownRows) - 1, columnCount() - 1));
}

QString EventGridModel::details(std::size_t row) const
{
    return MessageDetails::describe(readRowMessage(m_rows.row(row), 64), m_view.middleC);
}

// Details depend on the bytes alone, and a long log repeats few distinct short messages:
// each of those is described and matched once per search.
RowSearch::ExtraMatch EventGridModel::detailsMatch(const RowSearch &search) const
{
    auto known = std::make_shared<std::unordered_map<std::uint32_t, bool>>();
    return [this, &search, known](std::size_t row) {
        const RowMessage message = readRowMessage(m_rows.row(row), 64);
        const auto describedMatch
            = [&] { return search.matches(MessageDetails::describe(message, m_view.middleC)); };
        if (message.bytes.size() > 3 || message.isSysEx())
            return describedMatch();
        std::uint32_t key = std::uint32_t(message.bytes.size());
        for (std::size_t i = 0; i < message.bytes.size(); ++i)
            key |= std::uint32_t(message.bytes[i]) << (8 * (i + 1));
        const auto [entry, added] = known->try_emplace(key, false);
        if (added)
            entry->second = describedMatch();
        return entry->second;
    };
}

QString EventGridModel::shownText(std::size_t row, int column) const
{
    if (column == DetailsColumn)
        return details(row);
    if (column == 0 && m_view.time == ViewSettings::Time::TimeOfDay) {
        if (QString time = timeOfDay(row); !time.isEmpty())
            return time;
    } else if (column == 0 && m_view.time == ViewSettings::Time::Delta) {
        if (QString delta = m_clock.delta(m_rows, row); !delta.isEmpty())
            return delta;
    }
    return shownCellText(gridCellView(int(row) + 1, column), column);
}

QString EventGridModel::gridCellText(int gridRow, int column) const
{
    if (gridRow == 0)
        return column >= 0 && column < ColumnCount ? m_headers[std::size_t(column)] : QString();
    const std::string_view cell = gridCellView(gridRow, column);
    return QString::fromLatin1(cell.data(), qsizetype(cell.size()));
}

std::string_view EventGridModel::gridCellView(int gridRow, int column) const
{
    if (gridRow < 1 || column < 0 || column >= ColumnCount)
        return {};
    return m_rows.cell(std::size_t(gridRow - 1), column);
}

int EventGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_shownRows) + 1;
}

int EventGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount + (m_view.details ? 1 : 0);
}

void EventGridModel::setColumnAlignment(int column, Qt::Alignment alignment)
{
    if (column >= 0 && column < ColumnCount)
        m_alignments[std::size_t(column)] = alignment;
}

QVariant EventGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::TextAlignmentRole)
        return index.column() < ColumnCount
            ? QVariant::fromValue(m_alignments[std::size_t(index.column())])
            : QVariant();
    if (role != Qt::DisplayRole)
        return {};
    // The empty last row sits where the next uncommitted row will be shown.
    if (std::size_t(index.row()) >= m_shownRows)
        return QString();
    return shownText(std::size_t(index.row()), index.column());
}

QVariant EventGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0
        || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    return section == DetailsColumn ? QStringLiteral("Details") : m_headers[std::size_t(section)];
}
