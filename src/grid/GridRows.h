#pragma once

#include <QAbstractTableModel>
#include <cstddef>

// The rows a grid view shows, read by row number: a capture holds more than an int counts,
// and a view that drew from Qt's model rows would keep a place for each. Qt's model interface
// serves the header: the columns, their titles and the alignment of their cells.
class GridRows : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    // The rows the view may show now.
    virtual std::size_t shownRows() const = 0;
    // What `role` gives a cell: Qt::DisplayRole its text, and the alignment, background,
    // foreground and tooltip roles as an item model gives them.
    virtual QVariant cell(std::size_t row, int column, int role) const = 0;
};
