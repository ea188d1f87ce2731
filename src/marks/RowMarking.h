#pragma once

#include <QObject>
#include <cstddef>
#include <optional>

class CaptureDocument;
class DialogService;
class EventGrid;
class EventGridModel;
class QMenu;

// Marks on the rows of a long capture: Ctrl+M marks the selected row with a note (asked for
// through the dialogs, so that tests answer it), or edits or takes away the mark it has;
// F2 and Shift+F2 select the next and the previous marked row, round the ends.
class RowMarking : public QObject
{
    Q_OBJECT

public:
    // Adds its items to `viewMenu`.
    RowMarking(QMenu &viewMenu, EventGrid &grid, const EventGridModel &rows,
        CaptureDocument &document, DialogService &dialogs, QObject *parent = nullptr);

    void markSelectedRow();
    void goToNextMark() { goToMark(true); }
    void goToPreviousMark() { goToMark(false); }

private:
    // The store row the user works on: the current row when it is selected, else the first
    // selected; nothing when no message row is selected.
    std::optional<std::size_t> chosenRow() const;
    void askNote(std::size_t row, const QString &note);
    void goToMark(bool forward);

    EventGrid &m_grid;
    const EventGridModel &m_rows;
    CaptureDocument &m_document;
    DialogService &m_dialogs;
};
