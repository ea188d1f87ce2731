#include "ExchangeRows.h"

#include "decode/DetailWords.h"
#include "decode/SysExDetails.h"

#include <algorithm>
#include <array>

namespace ExchangeRows {
namespace {

    // Whether `earlier` passed between the same two MUIDs as `message`, either way: the
    // MUIDs lie at bytes 6 to 13 of every CI message, so other exchanges are passed by unread.
    bool betweenTheSame(
        std::span<const std::uint8_t> earlier, std::span<const std::uint8_t> message)
    {
        const auto muids = [](std::span<const std::uint8_t> bytes) { return bytes.subspan(6, 8); };
        const auto swapped = [](std::span<const std::uint8_t> bytes) {
            std::array<std::uint8_t, 8> pair {};
            std::ranges::copy(bytes.subspan(10, 4), pair.begin());
            std::ranges::copy(bytes.subspan(6, 4), pair.begin() + 4);
            return pair;
        };
        return earlier.size() >= 14 && message.size() >= 14
            && (std::ranges::equal(muids(earlier), muids(message))
                || std::ranges::equal(swapped(earlier), muids(message)));
    }

} // namespace

QString of(const CaptureStore &rows, std::size_t row)
{
    const CapturedMessage message = rows.at(row);
    ci::ExchangeTracker tracker;
    for (std::size_t above = row - std::min(row, LookBack); above < row; ++above) {
        const CapturedMessage earlier = rows.at(above);
        // Only what crossed the wire: a failed send never reached the device.
        if (earlier.origin != Origin::SendFailed
            && ci::ExchangeTracker::isPropertyData(earlier.bytes)
            && betweenTheSame(earlier.bytes, message.bytes))
            tracker.take(earlier.bytes);
    }
    return inStream(tracker, message.bytes);
}

QString inStream(ci::ExchangeTracker &tracker, std::span<const std::uint8_t> message)
{
    const auto context = tracker.take(message);
    DetailWords words;
    SysExDetails::describe(words, message, message.size(), context ? &*context : nullptr);
    return words.take();
}

} // namespace ExchangeRows
