#include "RowDetails.h"

#include "ExchangeRows.h"
#include "decode/ChannelMemory.h"
#include "decode/ContextWords.h"
#include "midi/MidiMessage.h"
#include "ump/UmpDecoder.h"

#include <algorithm>

namespace RowDetails {
namespace {

    // `message` has a channel status; the memory keeps only what `earlier` says as one.
    bool sameChannel(const CapturedMessage &earlier, const CapturedMessage &message)
    {
        return earlier.origin == message.origin && earlier.source == message.source
            && !earlier.bytes.empty() && isChannelStatus(earlier.bytes[0])
            && (earlier.bytes[0] & 0x0F) == (message.bytes[0] & 0x0F);
    }

} // namespace

QString of(const CaptureStore &rows, std::size_t row, MessageDetails::MiddleC middleC)
{
    const CapturedMessage message = rows.at(row);
    // What the port refused, said so; a text that never parsed left no bytes to describe.
    if (message.origin == Origin::SendFailed)
        return message.unsent.empty()
            ? QString()
            : QStringLiteral("Not sent: ") + MessageDetails::describe(message.unsent, middleC);
    if (message.isUmp())
        return Ump::decode(message.umpPacket()).line();
    if (ci::ExchangeTracker::isPropertyData(message.bytes))
        return ExchangeRows::of(rows, row);
    if (!ChannelMemory::readsBack(message.bytes))
        return MessageDetails::describe(message.bytes, middleC);
    // A view asks for a screenful of rows at a time: a few hundred rows above each is cheap.
    ChannelMemory memory;
    for (std::size_t above = row - std::min<std::size_t>(row, ChannelMemory::LookBack); above < row;
         ++above) {
        const CapturedMessage earlier = rows.at(above);
        if (sameChannel(earlier, message))
            memory.take(earlier.bytes, above);
    }
    return ContextWords::describe(message.bytes, memory, row, middleC);
}

} // namespace RowDetails
