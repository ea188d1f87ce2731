#include "EventGridModel.h"

#include <stdexcept>

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

void EventGridModel::commit()
{
    if (m_shownRows == m_rows.size())
        return;
    beginInsertRows({}, int(m_shownRows), int(m_rows.size()) - 1);
    m_shownRows = m_rows.size();
    endInsertRows();
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
    if (column < 0 || column >= ColumnCount)
        return {};
    if (gridRow == 0)
        return m_headers[std::size_t(column)];
    const std::string_view cell = m_rows.cell(std::size_t(gridRow - 1), column);
    return QString::fromLatin1(cell.data(), qsizetype(cell.size()));
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
    return gridCellText(index.row() + 1, index.column());
}

QVariant EventGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0
        || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return m_headers[std::size_t(section)];
}
