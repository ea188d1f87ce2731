#include "RowMarking.h"

#include "capture/CaptureDocument.h"
#include "frame/DialogService.h"
#include "frame/NamedWidgets.h"
#include "grid/EventGrid.h"
#include "grid/EventView.h"
#include "grid/EventGridModel.h"

#include <QItemSelectionModel>
#include <algorithm>
#include <limits>

namespace {

// Where a search for a mark starts when no row is current: before the first row forward,
// after the last backward.
constexpr std::size_t NoRow = std::numeric_limits<std::size_t>::max();

} // namespace

RowMarking::RowMarking(QMenu &viewMenu, EventGrid &grid, const EventGridModel &rows,
    CaptureDocument &document, DialogService &dialogs, QObject *parent)
    : QObject(parent)
    , m_grid(grid)
    , m_rows(rows)
    , m_document(document)
    , m_dialogs(dialogs)
{
    viewMenu.addSeparator();
    const std::tuple<const char *, const char *, QKeySequence, void (RowMarking::*)()> items[] = {
        {"mnuMarkRow", "Mark Row...", QKeySequence(Qt::CTRL | Qt::Key_M),
            &RowMarking::markSelectedRow},
        {"mnuNextMark", "Next Mark", QKeySequence(Qt::Key_F2), &RowMarking::goToNextMark},
        {"mnuPreviousMark", "Previous Mark", QKeySequence(Qt::SHIFT | Qt::Key_F2),
            &RowMarking::goToPreviousMark},
    };
    for (const auto &[name, caption, keys, handler] : items) {
        QAction *item = addNamedItem(&viewMenu, name, QString::fromLatin1(caption));
        item->setShortcut(keys);
        connect(item, &QAction::triggered, this, handler);
    }
}

std::optional<std::size_t> RowMarking::chosenRow() const
{
    const EventView &view = m_grid.view();
    const RowSelection &selection = view.selection();
    const std::size_t stored = m_document.rows().size();
    if (const std::optional<std::size_t> current = view.currentRow();
        current && *current < stored && selection.contains(*current))
        return current;
    if (selection.isEmpty() || selection.ranges().front().first >= stored)
        return std::nullopt; // the empty last row is no message
    return selection.ranges().front().first;
}

void RowMarking::markSelectedRow()
{
    const std::optional<std::size_t> row = chosenRow();
    if (!row) {
        m_dialogs.beep();
        return;
    }
    const std::optional<QString> note = m_document.rows().marks().noteAt(*row);
    if (!note) {
        askNote(*row, {});
        return;
    }
    const QString said = note->isEmpty()
        ? QStringLiteral("Row %1 is marked.").arg(*row + 1)
        : QStringLiteral("Row %1 is marked: \u201C%2\u201D.").arg(*row + 1).arg(*note);
    const std::optional<int> chosen
        = m_dialogs.askChoice(said, {QStringLiteral("Edit Note"), QStringLiteral("Remove Mark")});
    if (chosen == 0)
        askNote(*row, *note);
    else if (chosen == 1 && !m_document.removeMark(*row))
        m_dialogs.beep();
}

void RowMarking::askNote(std::size_t row, const QString &note)
{
    const std::optional<QString> typed = m_dialogs.askText(QStringLiteral("Mark Row"),
        QStringLiteral("A note for row %1 (it may be left empty):").arg(row + 1), note);
    // The rows are held while a file is written from them: the mark would change them.
    if (typed && !m_document.setMark(row, typed->trimmed()))
        m_dialogs.beep();
}

// Rows wait for the next frame, or while the display is paused: a mark among those that
// wait is not gone to.
void RowMarking::goToMark(bool forward)
{
    m_grid.showWaitingRows();
    const std::size_t shown = m_rows.committedRows();
    const std::size_t from = m_grid.view().currentRow().value_or(NoRow);
    const RowMarks &marks = m_document.rows().marks();
    const std::optional<std::size_t> row = forward ? marks.after(from) : marks.before(from);
    if (row && *row < shown)
        m_grid.selectRow(*row);
    else
        m_dialogs.beep();
}
