#pragma once

#include "capture/CaptureStore.h"
#include "ci/ExchangeTracker.h"
#include "decode/MessageDetails.h"
#include "rows/ContextStream.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// The Details words of messages in UTF-8, for an export of millions of rows: the words of
// each distinct short message are made once, as a log repeats few. The messages are taken
// as a stream, each once and in order, so that a data entry or a 14-bit LSB is read with
// the controllers before it, as the grid reads it.
class DetailsText
{
public:
    explicit DetailsText(MessageDetails::MiddleC middleC);

    // The words of the next message of the stream; valid until the next call.
    std::string_view of(const CapturedMessage &message);

private:
    static constexpr std::size_t Slots = std::size_t(1) << 12;
    struct Entry
    {
        std::uint32_t key = 0;
        std::string words;
    };
    MessageDetails::MiddleC m_middleC;
    std::unique_ptr<Entry[]> m_known;
    std::string m_long;
    ContextStream m_context;
    ci::ExchangeTracker m_exchanges;
    std::uint64_t m_place = 0; // of the next message
};
