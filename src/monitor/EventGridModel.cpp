#include "EventGridModel.h"

#include "frame/NumberText.h"
#include "modFormat.h"

#include <cstring>
#include <stdexcept>

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
    endResetModel();
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
    return parent.isValid() ? 0 : ColumnCount;
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
        return QVariant::fromValue(m_alignments[std::size_t(index.column())]);
    if (role != Qt::DisplayRole)
        return {};
    // The empty last row sits where the next uncommitted row will be shown.
    if (std::size_t(index.row()) >= m_shownRows)
        return QString();
    return shownCellText(gridCellView(index.row() + 1, index.column()), index.column());
}

QVariant EventGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0
        || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return m_headers[std::size_t(section)];
}
