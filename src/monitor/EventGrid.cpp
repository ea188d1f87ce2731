#include "EventGrid.h"

#include "EventGridModel.h"

#include <QTableView>

EventGrid::EventGrid(QTableView &view, EventGridModel &model)
    : m_view(view)
    , m_model(model)
{ }

void EventGrid::AddGridRow(std::string_view text)
{
    m_model.appendRow(text);
    if (m_openBatches == 0)
        showNewRows();
}

void EventGrid::showNewRows()
{
    m_model.commit();
    const int lastRow = rowCount() - 1;
    if (!isRowVisible(lastRow))
        m_view.scrollToBottom();
}

int EventGrid::rowCount() const
{
    return m_model.gridRowCount();
}

QString EventGrid::GetMIDIINText(int row, int col)
{
    if (row >= 1)
        m_view.setCurrentIndex(m_model.index(row - 1, col));
    return m_model.gridCellText(row, col);
}

int EventGrid::currentRow() const
{
    const QModelIndex current = m_view.currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

// A row counts as visible only when the whole of it is in view.
bool EventGrid::isRowVisible(int row) const
{
    const QRect rect = m_view.visualRect(m_model.index(row - 1, 0));
    return rect.isValid() && rect.top() >= 0 && rect.bottom() <= m_view.viewport()->height() - 1;
}

void EventGrid::clear()
{
    m_model.clear();
}

EventGrid::Batch::Batch(EventGrid &grid)
    : m_grid(grid)
{
    ++m_grid.m_openBatches;
}

EventGrid::Batch::~Batch()
{
    if (--m_grid.m_openBatches == 0)
        m_grid.showNewRows();
}
