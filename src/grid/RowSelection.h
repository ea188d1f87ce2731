#pragma once

#include <cstddef>
#include <vector>

// The rows a user selected, as ranges: selecting a billion rows with Shift+End costs one
// range, not a billion entries. Ranges are kept sorted, apart and not touching.
class RowSelection
{
public:
    struct Range
    {
        std::size_t first;
        std::size_t last; // included

        bool operator==(const Range &) const = default;
    };

    void clear() { m_ranges.clear(); }
    void select(std::size_t first, std::size_t last);
    void deselect(std::size_t first, std::size_t last);
    void toggle(std::size_t row);
    bool contains(std::size_t row) const;
    bool isEmpty() const { return m_ranges.empty(); }
    std::size_t count() const;
    const std::vector<Range> &ranges() const { return m_ranges; }

    // Rows came before every row: each selected row moves down by `count`.
    void insertBefore(std::size_t count);
    // The first `count` rows went: those selected go, the rest move up.
    void removeFirst(std::size_t count);

private:
    // The first range that ends at `row` or after it.
    std::vector<Range>::iterator firstEndingFrom(std::size_t row);

    std::vector<Range> m_ranges;
};
