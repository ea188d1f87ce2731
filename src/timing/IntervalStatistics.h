#pragma once

#include "capture/CaptureStore.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

// The intervals between successive received messages of one kind: how regular a clock,
// a controller's stream or a drum machine's notes are. A scan of ten million rows rules most
// of them out by their glance.
namespace IntervalStatistics {

// Rows [first, end) of a store.
struct RowRange
{
    std::size_t first = 0, end = 0;
    bool operator==(const RowRange &) const = default;
};

// Which rows are measured.
struct Selection
{
    // A channel message's kind (0x80 to 0xE0), or a system message's status (0xF0 and up).
    std::uint8_t kind = 0xF8;
    std::optional<std::uint8_t> channel; // 0 to 15, of a channel kind; nothing: every channel
    std::optional<CaptureStore::Source> source; // nothing: every source

    // The kind, channel and source of that received message.
    static Selection of(const CapturedMessage &message);
    bool operator==(const Selection &) const = default;
};

// Where the intervals are looked for, and which gaps are none.
struct Scope
{
    std::optional<RowRange> rows; // nothing: every row
    // A gap longer than this many usual intervals (the 90th percentile of them) is a pause
    // in the stream, not one of its intervals; 0 keeps every gap.
    int pauseIntervals = DefaultPauseIntervals;
    static constexpr int DefaultPauseIntervals = 10;
};

struct Figures
{
    std::size_t count = 0; // intervals
    std::int64_t minUs = 0, medianUs = 0, p99Us = 0, maxUs = 0;
    double meanUs = 0;
    double jitterUs = 0; // standard deviation
    // Intervals from minUs on, binWidthUs wide each; the last bin also holds all above it.
    std::vector<std::size_t> histogram;
    std::int64_t binWidthUs = 1;
    // The gaps that are no interval of the stream, left out of the figures: across a Start,
    // Stop or Continue, across a start of the source's port, and pauses.
    std::size_t acrossTransport = 0, acrossRestart = 0, pauses = 0;
};

// Nothing when no interval is left to measure.
std::optional<Figures> measure(
    const CaptureStore &rows, const Selection &selection, const Scope &scope = {}, int bins = 40);
// The figures of any durations in microseconds (a path's latencies, say); nothing for none.
std::optional<Figures> summarize(std::vector<std::int64_t> values, int bins = 40);

// The figures, each with the words that name it, in the order they are shown.
std::vector<std::pair<QString, QString>> lines(const Figures &figures);
// The figures as lines of text for the clipboard.
QString text(const Figures &figures);

} // namespace IntervalStatistics
