#pragma once

#include "capture/CaptureStore.h"
#include "monitor/MessageDetails.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// The Details words of messages in UTF-8, for an export of millions of rows: the words of
// each distinct short message are made once, as a log repeats few.
class DetailsText
{
public:
    explicit DetailsText(MessageDetails::MiddleC middleC);

    // Valid until the next call.
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
};
