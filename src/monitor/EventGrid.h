#pragma once

#include <QString>
#include <cstdint>
#include <string_view>

class EventGridModel;
class QTableView;

// The grid operations the window uses, over the view `grdMIDIIn` and its model, in the
// grid's own numbering (row 0 the header, the last row empty).
class EventGrid
{
public:
    // Sets the view up for the model: one row per line, read only, no row numbers.
    EventGrid(QTableView &view, EventGridModel &model);

    // Index of cell (r, c) in the grid's row-major cell array; throws std::overflow_error
    // when it does not fit 16 bits.
    static std::int16_t Fgi(std::int16_t r, std::int16_t c);

    // The header texts, the column widths and the alignment of the byte columns.
    void setUpColumns(int twipsPerPixelX);

    // Appends a row above the empty last row and scrolls to the end if that is out of view.
    // Inside a Batch the view learns of the rows, and scrolls, once when the batch ends.
    void AddGridRow(std::string_view text);

    int rowCount() const;
    // Makes (row, col) the current cell and returns its text.
    QString GetMIDIINText(int row, int col);
    int currentRow() const;
    bool isRowVisible(int row) const;
    void clear();

    // What clicking the row puts into the MIDI Message box: its status and data cells, or
    // the byte list of a SysEx row. The last cell read stays the current one.
    QString messageBoxText(int row);

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
