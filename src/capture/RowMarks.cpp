#include "RowMarks.h"

std::optional<QString> RowMarks::noteAt(std::size_t row) const
{
    const auto found = m_notes.find(row);
    return found == m_notes.end() ? std::nullopt : std::optional(found->second);
}

std::optional<std::size_t> RowMarks::after(std::size_t row) const
{
    if (m_notes.empty())
        return std::nullopt;
    const auto next = m_notes.upper_bound(row);
    return next == m_notes.end() ? m_notes.begin()->first : next->first;
}

std::optional<std::size_t> RowMarks::before(std::size_t row) const
{
    if (m_notes.empty())
        return std::nullopt;
    const auto next = m_notes.lower_bound(row);
    return next == m_notes.begin() ? m_notes.rbegin()->first : std::prev(next)->first;
}

void RowMarks::addShifted(const RowMarks &other, std::size_t offset)
{
    for (const auto &[row, note] : other.m_notes)
        m_notes[row + offset] = note;
}

void RowMarks::dropFirst(std::size_t count)
{
    Notes kept;
    for (auto mark = m_notes.lower_bound(count); mark != m_notes.end(); ++mark)
        kept.emplace_hint(kept.end(), mark->first - count, std::move(mark->second));
    m_notes = std::move(kept);
}
