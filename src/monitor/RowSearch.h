#pragma once

#include <QString>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class RowStore;

// Finds the rows that hold a text as the grid shows them: without regard to letter case, a
// blank in the text matching a blank or the gap between two cells, so that "90 3C" finds a
// Note On of key 3C whose bytes stand in two cells. Runs over the store's text at memory
// speed; rows a caller adds words to (the details column) are looked at one by one.
class RowSearch
{
public:
    enum class Direction { Forward, Backward };
    // Whether words a caller adds to a row, which the store does not keep, hold the text;
    // may be null.
    using ExtraMatch = std::function<bool(std::size_t row)>;

    explicit RowSearch(const QString &text);
    bool isEmpty() const { return m_needle.empty(); }

    // The nearest matching row from `from` on (or back), `from` included, among the first
    // `count` rows (all of them by default), wrapping round the end (or the start) once;
    // nothing when no row matches.
    std::optional<std::size_t> find(const RowStore &rows, std::size_t from, Direction direction,
        const ExtraMatch &extra = {}, std::optional<std::size_t> count = {}) const;
    bool matches(const QString &text) const;

private:
    // The first match in rows [first, last) forward, or the last one backward.
    std::optional<std::size_t> findIn(const RowStore &rows, std::size_t first, std::size_t last,
        Direction direction, const ExtraMatch &extra) const;
    std::optional<std::size_t> firstInChunk(
        const RowStore &rows, std::size_t chunk, std::size_t first, std::size_t last) const;
    bool matchesAt(std::string_view text, std::size_t at) const;
    const char *nextFirstWord(const char *begin, const char *end) const;
    bool matchesUpper(std::string_view upperText) const;
    static std::size_t rowHolding(
        const RowStore &rows, std::size_t first, std::size_t last, std::size_t at);

    std::string m_needle; // upper-cased, trimmed
    std::string m_firstWord; // up to the first blank: what the fast scan looks for
};
