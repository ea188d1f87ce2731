#pragma once

#include "capture/CaptureStore.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// The intervals between successive received messages of one kind: how regular a clock,
// a controller's stream or a drum machine's notes are. A scan of ten million rows rules most
// of them out by their glance.
namespace IntervalStatistics {

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

struct Figures
{
    std::size_t count = 0; // intervals
    std::int64_t minUs = 0, medianUs = 0, p99Us = 0, maxUs = 0;
    double meanUs = 0;
    double jitterUs = 0; // standard deviation
    // Intervals from minUs on, binWidthUs wide each; the last bin also holds all above it.
    std::vector<std::size_t> histogram;
    std::int64_t binWidthUs = 1;
};

// Nothing when fewer than two rows match.
std::optional<Figures> measure(const CaptureStore &rows, const Selection &selection, int bins = 40);
// The figures of any durations in microseconds (a path's latencies, say); nothing for none.
std::optional<Figures> summarize(std::vector<std::int64_t> values, int bins = 40);

// The figures as lines of text for the clipboard.
QString text(const Figures &figures);

} // namespace IntervalStatistics
