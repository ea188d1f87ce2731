#pragma once

#include "GridRows.h"
#include "ViewSettings.h"
#include "capture/CaptureDocument.h"
#include "rows/RowColumns.h"
#include "rows/TimeOfDay.h"

#include <QString>
#include <array>

// The event grid's rows as the view sees them: the document's messages, then the empty last
// row of the grid's numbering (the header row of the grid is the view's horizontal header).
// Rows the document adds reach the view together, when they are committed. Cells
// are made from the stored messages when the view asks; the view shows the start of a long
// byte list and its size, while the store and the exports keep it whole. What the View menu
// chooses (the form of the time column, a last column of details) changes what the view
// shows, never a stored message.
class EventGridModel : public GridRows
{
    Q_OBJECT

public:
    static constexpr int ColumnCount = RowColumns::Count;
    static constexpr int SysExColumn = RowColumns::SysExData;
    static constexpr int DetailsColumn = 7; // shown only when chosen
    // Bytes of a SysEx the grid shows before it says how many there are in all.
    static constexpr int ShownSysExBytes = 48;

    explicit EventGridModel(const CaptureDocument &document, QObject *parent = nullptr);

    // A header cell addressed by its index in the grid's row-major cell array.
    void setHeaderCell(int cellIndex, const QString &text);
    void setColumnAlignment(int column, Qt::Alignment alignment);

    const CaptureStore &store() const { return m_document.rows(); }
    // Tells the view about every row the document added since the last commit; false when
    // it added none.
    bool commit();
    // Messages the view may show.
    std::size_t committedRows() const { return m_shownRows; }
    // Rows added and not yet committed.
    std::size_t waitingRows() const { return store().size() - m_shownRows; }

    void setViewSettings(const ViewSettings &settings);
    const ViewSettings &viewSettings() const { return m_view; }
    // The texts a view (or a CSV) adds to a stored row.
    QString timeOfDay(std::size_t row) const;
    QString details(std::size_t row) const;
    QString source(std::size_t row) const;
    // "1" to "16" for a UMP row of a group; nothing for any other row.
    QString group(std::size_t row) const;
    // "●", and the note after it, of a marked row.
    QString mark(std::size_t row) const;
    // The Source column, after Details when that is shown; -1 while it is not shown.
    int sourceColumn() const
    {
        return m_view.source ? DetailsColumn + (m_view.details ? 1 : 0) : -1;
    }

    // The Group column, after Source when that is shown; -1 while it is not shown.
    int groupColumn() const
    {
        return m_view.group ? DetailsColumn + (m_view.details ? 1 : 0) + (m_view.source ? 1 : 0)
                            : -1;
    }

    // The Mark column, last, shown while the capture has marked rows; -1 while it is not.
    int markColumn() const { return m_markShown ? markColumnPlace() : -1; }

    // The grid's own numbering: row 0 the header, the last row empty, messages between.
    int gridRowCount() const { return int(store().size()) + 2; }
    QString gridCellText(int gridRow, int column) const;

    // The messages committed and the empty last row.
    std::size_t shownRows() const override { return m_shownRows + 1; }
    QVariant cell(std::size_t row, int column, int role) const override;

    // As an item model: the rows shown and the empty last one, as far as an int counts.
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    int markColumnPlace() const
    {
        return DetailsColumn + (m_view.details ? 1 : 0) + (m_view.source ? 1 : 0)
            + (m_view.group ? 1 : 0);
    }
    QString shownText(std::size_t row, int column) const;
    QString timeCell(std::size_t row) const;
    QString delta(std::size_t row) const;
    // Inserts or removes the column as `shown` says, and sets `setting` to it between.
    void setColumnShown(int column, bool shown, bool &setting);
    void documentReplaced();
    // Shows the Mark column exactly while there are marks, or repaints the row's mark.
    void markChanged(std::size_t row);
    void showMarkColumn();
    // Rows put back before the rest; those waiting for a commit go on waiting.
    void documentRestored(std::size_t count);
    // The oldest rows went; those waiting for a commit go on waiting.
    void oldestDropped(std::size_t count);

    std::array<QString, ColumnCount> m_headers;
    std::array<Qt::Alignment, ColumnCount> m_alignments {};
    const CaptureDocument &m_document;
    std::size_t m_shownRows = 0; // rows the view has been told about
    ViewSettings m_view;
    bool m_markShown = false;
    TimeOfDay m_timeOfDay;
};
