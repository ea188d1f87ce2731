#include "RowSearch.h"

#include "RowStore.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

RowSearch::RowSearch(const QString &text)
    : m_needle(text.trimmed().toUpper().toStdString())
    , m_firstWord(m_needle.substr(0, m_needle.find(' ')))
{ }

bool RowSearch::matchesAt(std::string_view text, std::size_t at) const
{
    if (text.size() - at < m_needle.size())
        return false;
    for (std::size_t i = 0; i < m_needle.size(); ++i) {
        const char want = m_needle[i];
        const char have = text[at + i];
        if (want == ' ' ? have != ' ' && have != '\t' : want != have)
            return false;
    }
    return true;
}

bool RowSearch::matchesUpper(std::string_view upperText) const
{
    for (std::size_t at = upperText.find(m_firstWord); at != std::string_view::npos;
         at = upperText.find(m_firstWord, at + 1))
        if (matchesAt(upperText, at))
            return true;
    return false;
}

// Where the first word stands next in [begin, end). Sixteen places at a time are tested for
// its first and last characters together, which rules out nearly every place at once; the
// few left are compared whole.
const char *RowSearch::nextFirstWord(const char *begin, const char *end) const
{
    const std::size_t tail = m_firstWord.size() - 1;
    if (std::size_t(end - begin) <= tail)
        return nullptr;
    const char *last = end - tail; // the last place the word can start, plus one
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(m_firstWord.front());
    const __m128i final = _mm_set1_epi8(m_firstWord.back());
    for (; begin + 16 <= last; begin += 16) {
        const __m128i starts = _mm_loadu_si128(reinterpret_cast<const __m128i *>(begin));
        const __m128i ends = _mm_loadu_si128(reinterpret_cast<const __m128i *>(begin + tail));
        unsigned candidates = unsigned(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi8(starts, first), _mm_cmpeq_epi8(ends, final))));
        for (; candidates != 0; candidates &= candidates - 1) {
            const char *place = begin + __builtin_ctz(candidates);
            if (std::memcmp(place, m_firstWord.data(), m_firstWord.size()) == 0)
                return place;
        }
    }
#endif
    for (; begin < last; ++begin)
        if (std::memcmp(begin, m_firstWord.data(), m_firstWord.size()) == 0)
            return begin;
    return nullptr;
}

// The last row in [first, last) that starts at or before `at`.
std::size_t RowSearch::rowHolding(
    const RowStore &rows, std::size_t first, std::size_t last, std::size_t at)
{
    while (last - first > 1) {
        const std::size_t middle = first + (last - first) / 2;
        (rows.rowOffset(middle) <= at ? first : last) = middle;
    }
    return first;
}

bool RowSearch::matches(const QString &text) const
{
    return matchesUpper(text.toUpper().toStdString());
}

// The first word is looked for across the chunk; a hit is a match when the whole text stands
// there within one row.
std::optional<std::size_t> RowSearch::firstInChunk(
    const RowStore &rows, std::size_t chunk, std::size_t first, std::size_t last) const
{
    const RowStore::ChunkText text = rows.chunkText(chunk);
    first = std::max(first, text.firstRow);
    last = std::min(last, text.firstRow + text.rowCount);
    if (first >= last)
        return std::nullopt;
    const std::size_t end
        = last < text.firstRow + text.rowCount ? rows.rowOffset(last) : text.text.size();
    std::size_t at = rows.rowOffset(first);
    std::size_t row = first;
    while (at < end) {
        const char *hit = nextFirstWord(text.text.data() + at, text.text.data() + end);
        if (!hit)
            return std::nullopt;
        at = std::size_t(hit - text.text.data());
        row = rowHolding(rows, row, last, at);
        const std::size_t rowEnd
            = row + 1 < text.firstRow + text.rowCount ? rows.rowOffset(row + 1) : text.text.size();
        if (at + m_needle.size() <= rowEnd && matchesAt(text.text.substr(0, rowEnd), at))
            return row;
        ++at;
    }
    return std::nullopt;
}

std::optional<std::size_t> RowSearch::findIn(const RowStore &rows, std::size_t first,
    std::size_t last, Direction direction, const ExtraMatch &extra) const
{
    if (first >= last)
        return std::nullopt;
    if (direction == Direction::Forward) {
        for (std::size_t chunk = rows.chunkOfRow(first); chunk < rows.chunkCount(); ++chunk) {
            const auto hit = firstInChunk(rows, chunk, first, last);
            const RowStore::ChunkText text = rows.chunkText(chunk);
            const std::size_t chunkEnd = std::min(last, text.firstRow + text.rowCount);
            for (std::size_t row = first; extra && row < hit.value_or(chunkEnd); ++row)
                if (extra(row))
                    return row;
            if (hit || chunkEnd >= last)
                return hit;
            first = chunkEnd;
        }
        return std::nullopt;
    }
    // Backward: the last match of each stretch, nearest stretch first.
    for (std::size_t end = last; end > first;) {
        const std::size_t chunk = rows.chunkOfRow(end - 1);
        const std::size_t start = std::max(first, rows.chunkText(chunk).firstRow);
        std::optional<std::size_t> lastHit;
        for (auto hit = firstInChunk(rows, chunk, start, end); hit;
             hit = firstInChunk(rows, chunk, *hit + 1, end))
            lastHit = hit;
        const std::size_t nearest = lastHit ? *lastHit + 1 : start;
        for (std::size_t row = end; extra && row > nearest; --row)
            if (extra(row - 1))
                return row - 1;
        if (lastHit)
            return lastHit;
        end = start;
    }
    return std::nullopt;
}

std::optional<std::size_t> RowSearch::find(const RowStore &rows, std::size_t from,
    Direction direction, const ExtraMatch &extra, std::optional<std::size_t> rowCount) const
{
    const std::size_t count = std::min(rowCount.value_or(rows.size()), rows.size());
    if (isEmpty() || count == 0)
        return std::nullopt;
    from = std::min(from, count - 1);
    if (direction == Direction::Forward) {
        if (const auto hit = findIn(rows, from, count, direction, extra))
            return hit;
        return findIn(rows, 0, from, direction, extra);
    }
    if (const auto hit = findIn(rows, 0, from + 1, direction, extra))
        return hit;
    return findIn(rows, from + 1, count, direction, extra);
}
