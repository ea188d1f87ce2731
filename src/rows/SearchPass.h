#pragma once

#include "RowScan.h"
#include "RowSearch.h"

#include <cstddef>
#include <memory>
#include <optional>

// One find through the rows, which can be taken a stretch at a time so that a search of
// tens of millions of rows never holds the window: from a row on (or back), round the end
// (or the start) once; and, when asked, a count of every matching row once one is found, so
// that the user reads "3 of 17". The rows it was given must stay as they are while it goes
// on.
class SearchPass
{
public:
    enum class State { Going, Found, NotFound };

    enum class Counting { No, Yes };
    SearchPass(const RowSearch &search, const CaptureStore &rows, std::size_t from,
        RowSearch::Direction direction, RowSearch::Details details, std::size_t count,
        Counting counting = Counting::No);

    // Where the row found stands: its place among the matching rows from the first (1 up),
    // and of how many.
    struct Place
    {
        std::size_t ordinal = 0, total = 0;
        bool operator==(const Place &) const = default;
    };

    // The whole pass at once: the nearest matching row from `from` on (or back), `from`
    // included, among the first `count` rows (all of them by default); nothing when no row
    // matches.
    static std::optional<std::size_t> find(const RowSearch &search, const CaptureStore &rows,
        std::size_t from, RowSearch::Direction direction, RowSearch::Details details = {},
        std::optional<std::size_t> count = {});

    // Looks at up to `rows` more rows.
    State step(std::size_t rows);
    State state() const { return m_state; }
    // The row found, once the state is Found.
    std::size_t found() const { return m_found; }
    // Once the state is Found, of a pass that counts; the totals are 0 otherwise.
    Place place() const { return m_place; }

private:
    void searchStretch(std::size_t &rows);
    void countStretch(std::size_t &rows);

    const RowSearch &m_search;
    const CaptureStore &m_rows;
    const RowSearch::Details m_details;
    RowScan m_scan;
    const std::size_t m_from;
    const std::size_t m_count;
    const bool m_forward;
    std::size_t m_done = 0; // rows looked at
    std::size_t m_found = 0;
    State m_state;
    const bool m_counts;
    std::unique_ptr<RowScan> m_countScan; // from the first row down, once one was found
    std::size_t m_counted = 0; // rows the count looked at
    Place m_place;
};
