#include "DetailsText.h"

#include "rows/ExchangeRows.h"
#include "ump/UmpDecoder.h"

DetailsText::DetailsText(MessageDetails::MiddleC middleC)
    : m_middleC(middleC)
    , m_known(std::make_unique<Entry[]>(Slots))
{ }

std::string_view DetailsText::of(const CapturedMessage &message)
{
    const std::uint64_t place = m_place++;
    if (message.isUmp()) {
        m_long = Ump::decode(message.umpPacket()).line().toStdString();
        return m_long;
    }
    if (ChannelMemory::readsBack(message.bytes)) {
        m_long = m_context.describe(message, place, m_middleC).toStdString();
        return m_long;
    }
    m_context.take(message, place);
    if (ci::ExchangeTracker::isPropertyData(message.bytes)) {
        m_long = ExchangeRows::inStream(m_exchanges, message.bytes).toStdString();
        return m_long;
    }
    if (message.bytes.size() > 3) {
        m_long = MessageDetails::describe(message.bytes, m_middleC).toStdString();
        return m_long;
    }
    std::uint32_t key = 1u << 31 | std::uint32_t(message.bytes.size()) << 24;
    for (std::size_t i = 0; i < message.bytes.size(); ++i)
        key |= std::uint32_t(message.bytes[i]) << (16 - 8 * i);
    Entry &entry = m_known[(key * 0x9E3779B1u) >> 20];
    if (entry.key != key)
        entry = {key, MessageDetails::describe(message.bytes, m_middleC).toStdString()};
    return entry.words;
}
