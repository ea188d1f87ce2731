#pragma once

#include <QString>
#include <string_view>

class EventGridModel;
class QTableView;

// The grid operations the window uses, over the view `grdMIDIIn` and its model, in the
// grid's own numbering (row 0 the header, the last row empty).
class EventGrid
{
public:
    EventGrid(QTableView &view, EventGridModel &model);

    // Appends a row above the empty last row and scrolls to the end if that is out of view.
    // Inside a Batch the view learns of the rows, and scrolls, once when the batch ends.
    void AddGridRow(std::string_view text);

    int rowCount() const;
    // Makes (row, col) the current cell and returns its text.
    QString GetMIDIINText(int row, int col);
    int currentRow() const;
    bool isRowVisible(int row) const;
    void clear();

    class Batch
    {
    public:
        explicit Batch(EventGrid &grid);
        ~Batch();
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;

    private:
        EventGrid &m_grid;
    };

private:
    void showNewRows();

    QTableView &m_view;
    EventGridModel &m_model;
    int m_openBatches = 0;
};
