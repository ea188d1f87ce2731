#pragma once

#include "RowColumns.h"
#include "RowSearch.h"
#include "RowStore.h"
#include "StampClock.h"
#include "ViewSettings.h"

#include <QAbstractTableModel>
#include <QByteArrayView>
#include <QString>
#include <array>

// The event grid's rows as the view sees them: message rows, then the empty last row (the
// header row of the grid is the view's horizontal header). Rows appended while a batch is
// open reach the view together, as one block, when the batch is committed. The view shows
// the start of a long byte list and its size; the store, the cell texts and the exports
// keep it whole. What the View menu chooses (the form of the time column, a last column of
// details) changes what the view shows, never a stored cell.
class EventGridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int ColumnCount = RowColumns::Count;
    static constexpr int SysExColumn = RowColumns::SysExData;
    static constexpr int DetailsColumn = 7; // shown only when chosen
    // Bytes of a SysEx the grid shows before it says how many there are in all.
    static constexpr int ShownSysExBytes = 48;

    explicit EventGridModel(QObject *parent = nullptr);

    // A header cell addressed by its index in the grid's row-major cell array.
    void setHeaderCell(int cellIndex, const QString &text);
    void setColumnAlignment(int column, Qt::Alignment alignment);

    // Appends one tab-separated row above the empty last row, upper-cased.
    void appendRow(std::string_view text);
    // Appends the row of a received SysEx, its byte list written straight into the store.
    void appendSysExRow(QByteArrayView bytes, std::int32_t timestamp);
    // Tells the view about every row appended since the last commit; false when none was.
    bool commit();
    // Back to no message rows.
    void clear();

    void setViewSettings(const ViewSettings &settings);
    const ViewSettings &viewSettings() const { return m_view; }
    // Turns stamps into arrival times; told when the input starts.
    StampClock &clock() { return m_clock; }
    // The texts a view (or a CSV) adds to a stored row.
    QString timeOfDay(std::size_t row) const { return m_clock.timeOfDay(m_rows, row); }
    QString details(std::size_t row) const;
    // Whether a row's details hold what `search` looks for; valid while both live.
    RowSearch::ExtraMatch detailsMatch(const RowSearch &search) const;

    // The grid's own numbering: row 0 the header, the last row empty, messages between.
    int gridRowCount() const { return int(m_rows.size()) + 2; }
    QString gridCellText(int gridRow, int column) const;
    // The cell's text without copying it: valid until rows are appended or cleared.
    std::string_view gridCellView(int gridRow, int column) const;
    const RowStore &rows() const { return m_rows; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::array<QString, ColumnCount> m_headers;
    std::array<Qt::Alignment, ColumnCount> m_alignments {};
    QString shownText(std::size_t row, int column) const;

    RowStore m_rows;
    std::size_t m_shownRows = 0; // rows the view has been told about
    ViewSettings m_view;
    StampClock m_clock;
};
