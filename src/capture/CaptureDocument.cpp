#include "CaptureDocument.h"

#include <algorithm>

CaptureDocument::CaptureDocument(QObject *parent)
    : QObject(parent)
{ }

void CaptureDocument::setOutput(const QString &portName)
{
    m_output = portName;
    m_outputSource = m_store.sourceNamed(portName);
}

void CaptureDocument::rowsStored()
{
    m_unsaved = m_unsaved || m_store.size() != m_rowsKnown;
    m_rowsKnown = m_store.size();
    emit rowsAdded();
    keepLimit();
}

void CaptureDocument::setLimit(const CaptureLimit &limit)
{
    m_limit = limit;
    keepLimit();
}

// Not while held: another thread reads the rows then, and the next rows stored catch up.
void CaptureDocument::keepLimit()
{
    if (m_held || m_keptOnDisk || m_store.size() == 0)
        return;
    // Rows on disk take no memory: the limit is of the rows after them, and goes to the end
    // of those rows once they pass it.
    std::size_t excess = 0;
    if (m_limit.rows > 0 && m_store.size() - m_store.leadingRowsOnDisk() > m_limit.rows)
        excess = m_store.size() - std::size_t(m_limit.rows);
    if (m_limit.minutes > 0) {
        const std::int64_t newestUs = m_store.at(m_store.size() - 1).stampUs;
        excess = std::max(excess,
            m_store.rowsInChunksBefore(newestUs - std::int64_t(m_limit.minutes) * 60'000'000));
    }
    dropOldest(excess);
}

void CaptureDocument::letGoOfRowsOnDisk(std::size_t keepBytes)
{
    if (!m_held)
        m_store.letGoOfRowsOnDisk(keepBytes);
}

void CaptureDocument::dropRecordedBefore(std::uint64_t recorded)
{
    if (!m_held)
        dropOldest(m_store.rowsRecordedBefore(recorded));
}

void CaptureDocument::dropOldest(std::size_t rows)
{
    const std::size_t dropped = m_store.dropOldest(rows);
    if (dropped == 0)
        return;
    m_rowsKnown -= std::min(m_rowsKnown, dropped);
    m_droppedInAll += dropped;
    emit oldestDropped(dropped);
}

void CaptureDocument::addSent(const SentMessage &message)
{
    if (!m_outputSource)
        return;
    const std::int64_t stamp = m_store.stampOf(CaptureStore::LiveClock::now());
    if (m_held) {
        m_heldRows.push_back({message, stamp});
        return;
    }
    m_store.append(message.origin, *m_outputSource, stamp, message.bytes);
    rowsStored();
}

void CaptureDocument::hold(bool held)
{
    m_held = held;
    if (held || m_heldRows.empty())
        return;
    for (const HeldRow &row : std::exchange(m_heldRows, {}))
        if (m_outputSource)
            m_store.append(row.message.origin, *m_outputSource, row.stampUs, row.message.bytes);
    rowsStored();
}

void CaptureDocument::clear()
{
    m_cleared = std::exchange(m_store, m_store.emptied());
    m_rowsKnown = 0;
    emit cleared();
}

bool CaptureDocument::undoClear()
{
    // Rows another thread reads stay as they are; the cleared ones can come back after.
    if (!canUndoClear())
        return false;
    const std::size_t count = m_cleared->size();
    // The cleared rows were all stored before any row since, so they go back first.
    m_store.putBackBefore(*std::exchange(m_cleared, std::nullopt));
    // They may have been a file's; what is known is that they are back among new ones.
    m_unsaved = true;
    m_rowsKnown = m_store.size();
    emit restored(count);
    keepLimit();
    return true;
}

void CaptureDocument::forgetCleared()
{
    if (!m_cleared)
        return;
    m_cleared.reset();
    emit clearedRowsGone();
}

std::size_t CaptureDocument::showCapture(CaptureStore &&rows, std::size_t keptFrom)
{
    forgetCleared();
    const CaptureStore live = std::exchange(m_store, std::move(rows));
    m_outputSource = m_store.sourceNamed(m_output);
    emit replaced();
    const std::size_t fileRows = m_store.size();
    const std::size_t leftOut = m_store.append(live, keptFrom);
    // The file's rows are saved; the live ones kept after them are not.
    m_unsaved = m_store.size() > fileRows;
    m_rowsKnown = m_store.size();
    emit rowsAdded();
    return leftOut;
}

std::size_t CaptureDocument::addCapture(const CaptureStore &rows)
{
    forgetCleared();
    const std::size_t leftOut = m_store.append(rows);
    m_rowsKnown = m_store.size();
    emit rowsAdded();
    return leftOut;
}

bool CaptureDocument::setMark(std::size_t row, const QString &note)
{
    if (m_held || row >= m_store.size())
        return false;
    m_store.marks().set(row, note.left(RowMarks::LongestNote));
    m_unsaved = true;
    emit markChanged(row);
    return true;
}

bool CaptureDocument::removeMark(std::size_t row)
{
    if (m_held || !m_store.marks().noteAt(row))
        return false;
    m_store.marks().remove(row);
    m_unsaved = true;
    emit markChanged(row);
    return true;
}
