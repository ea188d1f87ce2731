#pragma once

#include "grid/EventGridModel.h"

// Rows of any number that repeat the rows of a real grid model, whose cells they give: a view
// over a billion rows at the cost of each cell the grid's own, without a billion rows' memory.
class RepeatedRows : public GridRows
{
public:
    RepeatedRows(const EventGridModel &pattern, std::size_t rows)
        : m_pattern(pattern)
        , m_rows(rows)
    { }

    void add(std::size_t rows) { m_rows += rows; }

    std::size_t shownRows() const override { return m_rows; }
    QVariant cell(std::size_t row, int column, int role) const override
    {
        return m_pattern.cell(row % m_pattern.committedRows(), column, role);
    }
    int rowCount(const QModelIndex & = {}) const override { return 0; }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return m_pattern.columnCount(parent);
    }
    QVariant data(const QModelIndex &, int) const override { return {}; }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        return m_pattern.headerData(section, orientation, role);
    }

private:
    const EventGridModel &m_pattern;
    std::size_t m_rows;
};
