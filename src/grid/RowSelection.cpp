#include "RowSelection.h"

#include <algorithm>
#include <cstdint>

std::vector<RowSelection::Range>::iterator RowSelection::firstEndingFrom(std::size_t row)
{
    return std::ranges::lower_bound(m_ranges, row, {}, &Range::last);
}

void RowSelection::select(std::size_t first, std::size_t last)
{
    if (first > last)
        std::swap(first, last);
    // Ranges that overlap the new one or touch it merge into it.
    auto from = firstEndingFrom(first == 0 ? 0 : first - 1);
    auto to = from;
    while (to != m_ranges.end() && (last == SIZE_MAX || to->first <= last + 1)) {
        first = std::min(first, to->first);
        last = std::max(last, to->last);
        ++to;
    }
    m_ranges.insert(m_ranges.erase(from, to), Range {first, last});
}

void RowSelection::deselect(std::size_t first, std::size_t last)
{
    if (first > last)
        std::swap(first, last);
    std::vector<Range> kept;
    for (const Range &range : m_ranges) {
        if (range.last < first || range.first > last) {
            kept.push_back(range);
            continue;
        }
        if (range.first < first)
            kept.push_back({range.first, first - 1});
        if (range.last > last)
            kept.push_back({last + 1, range.last});
    }
    m_ranges = std::move(kept);
}

void RowSelection::toggle(std::size_t row)
{
    contains(row) ? deselect(row, row) : select(row, row);
}

bool RowSelection::contains(std::size_t row) const
{
    const auto range = std::ranges::lower_bound(m_ranges, row, {}, &Range::last);
    return range != m_ranges.end() && range->first <= row;
}

std::size_t RowSelection::count() const
{
    std::size_t rows = 0;
    for (const Range &range : m_ranges)
        rows += range.last - range.first + 1;
    return rows;
}

void RowSelection::insertBefore(std::size_t count)
{
    for (Range &range : m_ranges) {
        range.first += count;
        range.last += count;
    }
}

void RowSelection::removeFirst(std::size_t count)
{
    if (count == 0)
        return;
    deselect(0, count - 1);
    for (Range &range : m_ranges) {
        range.first -= count;
        range.last -= count;
    }
}
