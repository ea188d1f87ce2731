#pragma once

#include "ViewSettings.h"
#include "rows/RowSearch.h"
#include "rows/SearchPass.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class CaptureDocument;
class ColumnFit;
class EventGridModel;
class EventView;

// The grid operations the window uses, over the view `grdMIDIIn` and its model, in the
// grid's own numbering (row 0 the header, the last row empty). Rows are stored at once, but
// the view learns of them, scrolls and repaints at a steady pace of about 35 frames a second:
// on a timer that the first row after a frame sets going for the rest of the frame time, so
// that a flood costs one view update a frame, frames keep their spacing however the rows
// come, and an idle grid costs nothing. A frame paints only the rows in view, so
// its cost does not grow with the capture.
class EventGrid : public QObject
{
    Q_OBJECT

public:
    // Traffic is read, not watched: the screen's pace would double the cost of painting for
    // nothing a reader sees. A few milliseconds under 33, which a busy event loop may add.
    static constexpr std::chrono::milliseconds FrameTime {28};
    // A find looks at so many rows, a few milliseconds' worth, before the window paints and
    // listens again.
    static constexpr std::size_t FindRowsAStretch = 2'000'000;

    // Sets the view up for the model of `document`. Rows the document adds are shown with
    // the next frame.
    EventGrid(EventView &view, EventGridModel &model, const CaptureDocument &document,
        QObject *parent = nullptr);

    // Index of cell (r, c) in the grid's row-major cell array; throws std::overflow_error
    // when it does not fit 16 bits.
    static std::int16_t Fgi(std::int16_t r, std::int16_t c);

    // The header texts and the alignment of the byte columns; the columns fitted.
    void setUpColumns();
    ColumnFit &columns() const { return *m_columns; }

    // Shows the rows still waiting for a frame now, so that what is read or clicked next is
    // in the view; not while the display is paused.
    void showWaitingRows();

    // While paused the view stands still, for reading and clicking, and rows wait in the
    // store; going on shows them all with the scroll rule.
    void setPaused(bool paused);
    bool isPaused() const { return m_paused; }
    std::size_t waitingRows() const;

    // Looks for the next (or previous) row from the current one that the search matches,
    // among the rows shown; the row found is selected and brought into view, and the view
    // stops following the newest rows, so that the next frame leaves it there. A long search
    // goes on in stretches between the window's other work: findFinished tells the outcome,
    // also of a search that ended within this call. A new search, Clear All or
    // cancelFind() ends one still going, without a word.
    void find(const QString &text, RowSearch::Direction direction);
    void cancelFind();
    bool isFinding() const { return m_search != nullptr; }
    // Of the last find that found a row.
    SearchPass::Place foundPlace() const { return m_foundPlace; }

    // Selects only the store's row `row` and brings it into view; the view stops following
    // the newest rows, so that the next frame leaves it there.
    void selectRow(std::size_t row);

    int rowCount() const;
    const ViewSettings &viewSettings() const;
    EventView &view() const { return m_view; }
    const CaptureDocument &document() const { return m_document; }
    // Makes (row, col) the current cell and returns its text.
    QString GetMIDIINText(int row, int col);
    int currentRow() const;
    // The message rows the user selected, as store indexes in order.
    std::vector<std::size_t> selectedRows() const;
    // The selected rows as text, one line a row, the cells as shown joined by tabs (what
    // Ctrl+C and the grid's Copy put on the clipboard).
    QString selectedText() const;
    bool isRowVisible(int row) const;
    // Commits the rows added and shows them from store row `first` at the top: rows read
    // from a file after the rows shown. The view stays there as new rows come.
    void showRowsFrom(std::size_t first);

    // What clicking the row puts into the MIDI Message box: its status and data cells, or
    // the byte list of a SysEx row, cut to the start that a text of at most `longest`
    // characters holds. The last cell read stays the current one.
    struct MessageBoxText
    {
        QString text;
        QString notice; // says so when the text holds only the start of a SysEx
    };
    MessageBoxText messageBoxText(int row, qsizetype longest);

    // Leaves the current cell where reading the rows for a text log, cell by cell, would
    // leave it: on the last cell read of the last row.
    void markLogRead(bool withSentRows);

signals:
    void findFinished(bool found);

private:
    void findOn();
    void rowsAppended();
    void oldestDropped(std::size_t count);
    void setUpCopy();

    EventView &m_view;
    EventGridModel &m_model;
    const CaptureDocument &m_document;
    ColumnFit *m_columns;
    QTimer m_frame;
    QElapsedTimer m_sinceFrame;
    bool m_paused = false;
    std::unique_ptr<RowSearch> m_search; // while a find goes on
    QString m_findText; // of the find going on
    RowSearch::Direction m_findDirection = RowSearch::Direction::Forward;
    std::unique_ptr<SearchPass> m_pass;
    SearchPass::Place m_foundPlace;
    QTimer m_findStep;
};
