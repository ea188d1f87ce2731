#include "EventGridModel.h"

#include <stdexcept>

EventGridModel::EventGridModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void EventGridModel::setHeaderCell(int cellIndex, const QString &text)
{
    if (cellIndex < 0 || cellIndex >= ColumnCount)
        throw std::out_of_range("not a header cell");
    m_headers[std::size_t(cellIndex)] = text;
    emit headerDataChanged(Qt::Horizontal, cellIndex, cellIndex);
}

int EventGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 1; // the empty last row
}

int EventGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant EventGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole)
        return {};
    return QString();
}

QVariant EventGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0
        || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return m_headers[std::size_t(section)];
}
