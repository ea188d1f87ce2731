#include "RowScan.h"

#include "ExchangeRows.h"
#include "RowCells.h"
#include "midi/MidiMessage.h"
#include "ump/UmpDecoder.h"

#include <charconv>

namespace {

// A short message as one number, origin and size included; never 0. With `channel` false
// the channel of a channel message is left out.
std::uint32_t keyOf(const CapturedMessage &message, bool channel = true)
{
    std::uint32_t key = 1u << 31 | std::uint32_t(message.origin) << 26
        | std::uint32_t(message.bytes.size()) << 24;
    for (std::size_t i = 0; i < message.bytes.size(); ++i)
        key |= std::uint32_t(message.bytes[i]) << (16 - 8 * i);
    if (!channel && !message.bytes.empty() && isChannelStatus(message.bytes[0]))
        key &= ~(0x0Fu << 16);
    return key;
}

// Data bytes that between them give every event name a status can show.
constexpr std::uint8_t DataSamples[][2] = {{0x00, 0x00}, {0x00, 0x40}, {0x79, 0x00}, {0x79, 0x40}};

// The cells after the time stamp of a received message's row.
std::string_view cellsAfterStamp(const std::string &row)
{
    return std::string_view(row).substr(row.find('\t') + 1);
}

} // namespace

RowScan::RowScan(const RowSearch &search, const CaptureStore &rows, RowSearch::Details details)
    : m_search(search)
    , m_rows(rows)
    , m_details(details)
    , m_messageFindings(std::make_unique<CacheEntry[]>(std::size_t(1) << CacheBits))
    , m_detailsFindings(std::make_unique<CacheEntry[]>(std::size_t(1) << CacheBits))
{
    for (int status = 0; status < 256; ++status)
        m_statusReadsMore[std::size_t(status)]
            = m_search.kinds().mayMatchStatus(std::uint8_t(status))
            || (m_details && (status >> 4 == 0xB || status >> 4 == 0xC));
    if (details) {
        m_contextFindings = std::make_unique<ContextFinding[]>(std::size_t(1) << CacheBits);
        m_context = std::make_unique<ContextStream>();
    }
    const bool stampAlone = m_search.mayTouchStamp() && !m_search.hasBlank();
    if (!m_details && !stampAlone)
        ruleOutByStatus();
}

// Worked out for every status at once, so that the scan itself only looks a row up.
void RowScan::ruleOutByStatus()
{
    m_ruledOut.assign(std::size_t(1) << 16, false);
    for (std::uint8_t size = 1; size <= 3; ++size) {
        for (int status = 0; status < 256; ++status) {
            const std::uint8_t bytes[] = {std::uint8_t(status), 0, 0};
            const std::uint8_t finding
                = statusFinding({Origin::Received, 0, 0, std::span(bytes, size)});
            const bool possible = finding & InCells
                || (finding & AfterStamp && m_search.mayTouchStamp())
                || m_search.kinds().mayMatchStatus(std::uint8_t(status));
            m_ruledOut[CaptureStore::glanceOf(Origin::Received, size, std::uint8_t(status))]
                = !possible;
        }
    }
}

std::optional<std::size_t> RowScan::first(std::size_t first, std::size_t last)
{
    for (std::size_t row = first; row < last; ++row)
        if (mayMatch(row) && matches(row))
            return row;
    return std::nullopt;
}

std::optional<std::size_t> RowScan::last(std::size_t first, std::size_t last)
{
    for (std::size_t row = last; row > first; --row)
        if (mayMatch(row - 1) && matches(row - 1))
            return row - 1;
    return std::nullopt;
}

bool RowScan::matches(std::size_t row)
{
    const CapturedMessage message = m_rows.at(row);
    if (!message.bytes.empty() && m_statusReadsMore[message.bytes[0]]
        && kindOrContextMatches(row, message))
        return true;
    if (message.bytes.size() > 3 || message.bytes.empty())
        return longMatches(row, message);
    // The whole row of a sent message depends on its bytes: "SENT" stands for the stamp.
    if (message.origin != Origin::Received)
        return messageFinding(message) & InCells;
    const std::uint8_t possible = statusFinding(message);
    if ((m_details || possible & InCells) && messageFinding(message) & InCells)
        return true;
    if (!m_search.mayTouchStamp())
        return false;
    if (!m_search.hasBlank())
        return stampMatches(row);
    return possible & AfterStamp && messageFinding(message) & AfterStamp && stampMatches(row);
}

bool RowScan::longMatches(std::size_t row, const CapturedMessage &message) const
{
    if (m_search.matchesUpper(RowCells::row(m_rows, row)))
        return true;
    if (!m_details)
        return false;
    // A chunk's words, as the grid shows them, depend on the exchange before it.
    const QString words = message.isUmp() ? Ump::decode(message.umpPacket()).line()
        : ci::ExchangeTracker::isPropertyData(message.bytes)
        ? ExchangeRows::of(m_rows, row)
        : MessageDetails::describe(message.bytes, *m_details);
    return m_search.matchesUpper(words.toUpper().toStdString());
}

// Whether a received message of this status and size can hold the text in its cells, with
// any data bytes: the data cells become wildcards, and the samples give every event name.
std::uint8_t RowScan::statusFinding(const CapturedMessage &message)
{
    std::uint8_t &finding = m_statusFindings[message.bytes.size() * 256 + message.bytes[0]];
    if (finding & Known)
        return finding;
    finding = Known;
    for (const auto &sample : DataSamples) {
        const std::uint8_t bytes[] = {message.bytes[0], sample[0], sample[1]};
        std::string row;
        RowCells::appendLeading(
            row, {Origin::Received, 0, 0, std::span(bytes, message.bytes.size())}, 0);
        std::string cells(cellsAfterStamp(row));
        const std::size_t data1 = cells.find('\t') + 1;
        const std::size_t dataEnd = cells.find('\t', cells.find('\t', data1) + 1);
        for (std::size_t at = data1; at < dataEnd; ++at)
            if (cells[at] != '\t')
                cells[at] = '\0';
        if (m_search.matchesUpper(cells, true))
            finding |= InCells;
        if (m_search.restStartsAt(cells, true))
            finding |= AfterStamp;
    }
    return finding;
}

std::uint8_t RowScan::messageFinding(const CapturedMessage &message)
{
    const std::uint32_t key = keyOf(message);
    CacheEntry &entry = m_messageFindings[(key * 0x9E3779B1u) >> (32 - CacheBits)];
    if (entry.key == key)
        return entry.finding;
    std::string row;
    RowCells::appendLeading(row, message, 0);
    const std::string_view cells
        = message.origin == Origin::Received ? cellsAfterStamp(row) : std::string_view(row);
    std::uint8_t finding = Known;
    if (m_search.matchesUpper(cells) || detailsMatch(message))
        finding |= InCells;
    if (message.origin == Origin::Received && m_search.restStartsAt(cells))
        finding |= AfterStamp;
    entry = {key, finding};
    return finding;
}

// The details of a channel message never name its channel: they are looked at once for all
// sixteen.
bool RowScan::detailsMatch(const CapturedMessage &message)
{
    // Words that depend on the rows before are no message's alone: see kindOrContextMatches.
    if (!m_details || ChannelMemory::readsBack(message.bytes))
        return false;
    const std::uint32_t key = keyOf(message, false);
    CacheEntry &entry = m_detailsFindings[(key * 0x9E3779B1u) >> (32 - CacheBits)];
    if (entry.key != key)
        entry = {key,
            std::uint8_t(m_search.matchesUpper(
                MessageDetails::describe(message.bytes, *m_details).toUpper().toStdString()))};
    return entry.finding != 0;
}

bool RowScan::kindOrContextMatches(std::size_t row, const CapturedMessage &message)
{
    if (m_search.kinds().matches(message.bytes))
        return true;
    if (!m_details || !ChannelMemory::readsBack(message.bytes))
        return false;
    const ContextWords::Reading reading = m_context->readRow(m_rows, row);
    const std::uint64_t key = reading.key() << 24 | (keyOf(message, false) & 0xFFFFFF);
    ContextFinding &entry = m_contextFindings[(key * 0x9E3779B97F4A7C15u) >> (64 - CacheBits)];
    if (entry.key != key)
        entry = {key,
            m_search.matchesUpper(ContextWords::describe(message.bytes, reading, *m_details)
                                      .toUpper()
                                      .toStdString())};
    return entry.matches;
}

bool RowScan::stampMatches(std::size_t row) const
{
    char digits[16];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, *m_rows.portMs(row));
    return m_search.stampMatches(std::string_view(digits, std::size_t(end - digits)));
}
