#include "SearchPass.h"

#include <algorithm>

SearchPass::SearchPass(const RowSearch &search, const CaptureStore &rows, std::size_t from,
    RowSearch::Direction direction, RowSearch::Details details, std::size_t count)
    : m_scan(search, rows, details)
    , m_from(std::min(from, count == 0 ? 0 : count - 1))
    , m_count(count)
    , m_forward(direction == RowSearch::Direction::Forward)
    , m_state(search.isEmpty() || count == 0 ? State::NotFound : State::Going)
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

// The rows are looked at in stretches that never cross the end (or the start), where the
// pass wraps round.
SearchPass::State SearchPass::step(std::size_t rows)
{
    while (m_state == State::Going && rows > 0) {
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
        if (hit) {
            m_found = *hit;
            m_state = State::Found;
        } else if (m_done == m_count) {
            m_state = State::NotFound;
        }
    }
    return m_state;
}
