#include "SearchPass.h"

#include <algorithm>

SearchPass::SearchPass(const RowSearch &search, const CaptureStore &rows, std::size_t from,
    RowSearch::Direction direction, RowSearch::Details details, std::size_t count,
    Counting counting)
    : m_search(search)
    , m_rows(rows)
    , m_details(details)
    , m_scan(search, rows, details)
    , m_from(std::min(from, count == 0 ? 0 : count - 1))
    , m_count(count)
    , m_forward(direction == RowSearch::Direction::Forward)
    , m_state(search.isEmpty() || count == 0 ? State::NotFound : State::Going)
    , m_counts(counting == Counting::Yes)
{ }

std::optional<std::size_t> SearchPass::find(const RowSearch &search, const CaptureStore &rows,
    std::size_t from, RowSearch::Direction direction, RowSearch::Details details,
    std::optional<std::size_t> rowCount)
{
    const std::size_t count = std::min(rowCount.value_or(rows.size()), rows.size());
    SearchPass pass(search, rows, from, direction, details, count);
    pass.step(count);
    return pass.state() == State::Found ? std::optional(pass.found()) : std::nullopt;
}

SearchPass::State SearchPass::step(std::size_t rows)
{
    while (m_state == State::Going && rows > 0) {
        if (m_countScan)
            countStretch(rows);
        else
            searchStretch(rows);
    }
    return m_state;
}

// The rows are looked at in stretches that never cross the end (or the start), where the
// pass wraps round.
void SearchPass::searchStretch(std::size_t &rows)
{
    std::optional<std::size_t> hit;
    std::size_t length = 0;
    if (m_forward) {
        const std::size_t start = (m_from + m_done) % m_count;
        length = std::min({rows, m_count - start, m_count - m_done});
        hit = m_scan.first(start, start + length);
    } else {
        const std::size_t last = (m_from + m_count - m_done % m_count) % m_count;
        length = std::min({rows, last + 1, m_count - m_done});
        hit = m_scan.last(last + 1 - length, last + 1);
    }
    m_done += length;
    rows -= length;
    if (!hit) {
        if (m_done == m_count)
            m_state = State::NotFound;
        return;
    }
    m_found = *hit;
    if (m_counts)
        m_countScan = std::make_unique<RowScan>(m_search, m_rows, m_details);
    else
        m_state = State::Found;
}

// Every matching row from the first down: a scan of its own, as the search's went round
// from elsewhere.
void SearchPass::countStretch(std::size_t &rows)
{
    const std::size_t end = std::min(m_count, m_counted + rows);
    const std::optional<std::size_t> hit = m_countScan->first(m_counted, end);
    const std::size_t next = hit ? *hit + 1 : end;
    rows -= next - m_counted;
    m_counted = next;
    if (hit) {
        ++m_place.total;
        if (*hit <= m_found)
            ++m_place.ordinal;
    }
    if (m_counted == m_count) {
        m_countScan.reset();
        m_state = State::Found;
    }
}
