#pragma once

#include "CaptureLimit.h"
#include "CaptureStore.h"

#include <QObject>
#include <QString>
#include <algorithm>
#include <optional>
#include <vector>

// The capture the window shows and saves: it owns the rows, their sources and the capture's
// clock, and says when they change, so that the grid, the timing readout and the file
// controllers observe one document rather than one another. What the drain stores (through
// store()) and what the program sends reach it the same way: appended at the end, announced
// with rowsAdded.
class CaptureDocument : public QObject
{
    Q_OBJECT

public:
    explicit CaptureDocument(QObject *parent = nullptr);

    const CaptureStore &rows() const { return m_store; }
    // Where the drain stores arrivals; it calls rowsStored() after.
    CaptureStore &store() { return m_store; }
    void rowsStored();

    // The output the program sends to: its rows are stored as that port's source.
    void setOutput(const QString &portName);
    // Stores what the program sent, stamped now, as a row of the output.
    void addSent(const SentMessage &message);
    // While held, the rows take no new ones, so that another thread may read them: sent
    // rows wait, and are stored in order when the hold ends.
    void hold(bool held);
    bool isHeld() const { return m_held; }

    // Empties the capture, keeping its rows aside until the next clear, a file is shown or
    // an input starts: until then undoClear() brings them back before the rows stored since,
    // and says whether it did.
    void clear();
    bool undoClear();
    bool canUndoClear() const { return m_cleared && !m_held; }
    void forgetCleared();
    // Rows read from a file in place of the rows stored; those from `keptFrom` on, which
    // came after the user let the rest go, follow them. Both return how many rows were left
    // out for want of room to name their sources.
    std::size_t showCapture(CaptureStore &&rows, std::size_t keptFrom);
    // Rows read from a file after the rows stored.
    std::size_t addCapture(const CaptureStore &rows);

    // Past the limit, the oldest rows are dropped as new ones come (see oldestDropped); a
    // limit lower than the rows held drops them now. None by default.
    void setLimit(const CaptureLimit &limit);
    const CaptureLimit &limit() const { return m_limit; }
    // While rows are recorded to disk, they are let go of from memory rather than dropped
    // for the limit.
    void keepOnDisk(bool kept) { m_keptOnDisk = kept; }
    // Lets go of the rows on disk that no one reads, until the rest take `keepBytes`; drops
    // the oldest rows recorded before the recording's row `recorded`, whose files are gone.
    // Neither while the rows are held.
    void letGoOfRowsOnDisk(std::size_t keepBytes);
    void dropRecordedBefore(std::uint64_t recorded);
    // Rows dropped for the limit since the document was made.
    std::uint64_t oldestDroppedInAll() const { return m_droppedInAll; }
    // A row's number taken now that still names it after the oldest rows are dropped: for
    // what waits on the user or on another thread before it uses the number.
    struct LastingRow
    {
        std::uint64_t sinceFirstEver;
    };
    LastingRow lasting(std::size_t row) const { return {m_droppedInAll + row}; }
    // Its number now; 0 when it was dropped.
    std::size_t rowNow(LastingRow row) const
    {
        return std::size_t(row.sinceFirstEver - std::min(row.sinceFirstEver, m_droppedInAll));
    }

    // Whether the rows hold what no file does: rows that arrived or were sent, or marks set,
    // since the rows of a file were shown or the capture was saved. Rows just read from a
    // file and not changed since need not be saved again.
    bool hasUnsavedChanges() const { return m_unsaved && m_store.size() > 0; }
    // The capture was saved whole as it is now.
    void markSaved() { m_unsaved = false; }

    // Marks a row with a note (which may be empty), or takes its mark away. Not while the
    // rows are held: another thread may be reading the marks; false then.
    bool setMark(std::size_t row, const QString &note);
    bool removeMark(std::size_t row);

signals:
    // A row's mark came, changed or went.
    void markChanged(std::size_t row);
    // Rows were appended at the end.
    void rowsAdded();
    // The rows are gone, kept aside by a clear.
    void cleared();
    // The rows are a file's now, and the live ones come after them.
    void replaced();
    // The rows a clear took are back, `count` of them before the rows stored since.
    void restored(std::size_t count);
    // The rows a clear took can no longer come back.
    void clearedRowsGone();
    // The oldest `count` rows went for the limit: every row number held moves down by that
    // much. Said after rowsAdded, so that whatever takes new rows has them first.
    void oldestDropped(std::size_t count);

private:
    void keepLimit();
    void dropOldest(std::size_t rows);

    struct HeldRow
    {
        SentMessage message;
        std::int64_t stampUs;
    };

    CaptureStore m_store;
    QString m_output;
    // None when the capture has no room left to name the output: its rows are not stored
    // under another source's name.
    std::optional<CaptureStore::Source> m_outputSource = 0;
    bool m_held = false;
    std::vector<HeldRow> m_heldRows;
    std::optional<CaptureStore> m_cleared;
    bool m_unsaved = false;
    // The rows the document knew of at its last change: the drain stores without a word,
    // and says after, maybe of nothing.
    std::size_t m_rowsKnown = 0;
    CaptureLimit m_limit {0, 0};
    bool m_keptOnDisk = false;
    std::uint64_t m_droppedInAll = 0;
};
