#include "ExchangeRows.h"

#include "DetailWords.h"
#include "SysExDetails.h"

#include <algorithm>

namespace ExchangeRows {

QString of(const CaptureStore &rows, std::size_t row)
{
    ci::ExchangeTracker tracker;
    for (std::size_t above = row - std::min(row, LookBack); above < row; ++above) {
        const CapturedMessage earlier = rows.at(above);
        // Only what crossed the wire: a failed send never reached the device.
        if (earlier.origin != Origin::SendFailed
            && ci::ExchangeTracker::isPropertyData(earlier.bytes))
            tracker.take(earlier.bytes);
    }
    return inStream(tracker, rows.at(row).bytes);
}

QString inStream(ci::ExchangeTracker &tracker, std::span<const std::uint8_t> message)
{
    const auto context = tracker.take(message);
    DetailWords words;
    SysExDetails::describe(words, message, message.size(), context ? &*context : nullptr);
    return words.take();
}

} // namespace ExchangeRows
