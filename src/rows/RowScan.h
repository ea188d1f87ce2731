#pragma once

#include "ContextStream.h"
#include "RowSearch.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// One search's pass over the stored rows, with what it learned of the messages it met: for
// each status, whether its cells can hold the text at all, and for each distinct short
// message, whether its cells or its details do. The details of a message that earlier ones
// on its channel complete are read with them, going down the rows.
class RowScan
{
public:
    RowScan(const RowSearch &search, const CaptureStore &rows, RowSearch::Details details);

    // The first (last) matching row in [first, last).
    std::optional<std::size_t> first(std::size_t first, std::size_t last);
    std::optional<std::size_t> last(std::size_t first, std::size_t last);

private:
    // What the cells after the time stamp (and the details) of a short message can hold.
    enum Finding : std::uint8_t {
        Known = 1, // the entry has been worked out
        InCells = 2, // the text stands in the cells after the time stamp or in the details
        AfterStamp = 4, // the text's part after its first blank starts those cells
    };

    bool matches(std::size_t row);
    bool mayMatch(std::size_t row) const
    {
        return m_ruledOut.empty() || !m_ruledOut[m_rows.glance(row)];
    }
    void ruleOutByStatus();
    bool longMatches(std::size_t row, const CapturedMessage &message) const;
    std::uint8_t statusFinding(const CapturedMessage &message);
    std::uint8_t messageFinding(const CapturedMessage &message);
    bool detailsMatch(const CapturedMessage &message);
    // Whether the text names the row's kind, or stands in details read with the rows before.
    bool kindOrContextMatches(std::size_t row, const CapturedMessage &message);
    bool stampMatches(std::size_t row) const;

    struct CacheEntry
    {
        std::uint32_t key = 0; // 0: empty
        std::uint8_t finding = 0;
    };
    static constexpr std::size_t CacheBits = 16;

    const RowSearch &m_search;
    const CaptureStore &m_rows;
    const RowSearch::Details m_details;
    // By size and status of a received short message.
    std::array<std::uint8_t, 4 * 256> m_statusFindings {};
    std::unique_ptr<CacheEntry[]> m_messageFindings;
    std::unique_ptr<CacheEntry[]> m_detailsFindings; // channel left out
    // By CaptureStore::glance: rows that cannot match whatever their data bytes; empty when
    // the details or the time stamp alone may hold the text.
    std::vector<bool> m_ruledOut;
    // Of details read with the rows before, when details are looked at: by the message
    // (channel left out) and its reading.
    struct ContextFinding
    {
        std::uint64_t key = 0; // 0: empty
        bool matches = false;
    };
    std::unique_ptr<ContextFinding[]> m_contextFindings;
    // By status: the rows that a kind or the rows before may make match.
    std::array<bool, 256> m_statusReadsMore {};
    std::unique_ptr<ContextStream> m_context; // when details are looked at
};
