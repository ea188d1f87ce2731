#pragma once

#include "RowScan.h"
#include "RowSearch.h"

#include <cstddef>
#include <optional>

// One find through the rows, which can be taken a stretch at a time so that a search of
// tens of millions of rows never holds the window: from a row on (or back), round the end
// (or the start) once. The rows it was given must stay as they are while it goes on.
class SearchPass
{
public:
    enum class State { Going, Found, NotFound };

    SearchPass(const RowSearch &search, const CaptureStore &rows, std::size_t from,
        RowSearch::Direction direction, RowSearch::Details details, std::size_t count);

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

private:
    RowScan m_scan;
    const std::size_t m_from;
    const std::size_t m_count;
    const bool m_forward;
    std::size_t m_done = 0; // rows looked at
    std::size_t m_found = 0;
    State m_state;
};
