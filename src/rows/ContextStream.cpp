#include "ContextStream.h"

#include "midi/MidiMessage.h"

namespace {

constexpr std::size_t Channels = 16;
constexpr std::size_t Origins = 3;

// Only the channel messages have a memory: the others are never read back.
std::optional<std::size_t> keyOf(const CapturedMessage &message)
{
    if (message.bytes.empty() || !isChannelStatus(message.bytes[0]))
        return std::nullopt;
    return (std::size_t(message.origin) * CaptureStore::MaxSources + message.source) * Channels
        + (message.bytes[0] & 0x0F);
}

} // namespace

ContextStream::ContextStream()
    : m_memories(Origins * CaptureStore::MaxSources * Channels)
{ }

ContextStream::~ContextStream() = default;

const ChannelMemory &ContextStream::memoryOf(const CapturedMessage &message) const
{
    static const ChannelMemory nothingYet;
    const auto key = keyOf(message);
    return key && m_memories[*key] ? *m_memories[*key] : nothingYet;
}

// Only control changes are kept: the rest need no memory of their own.
void ContextStream::takeControlChange(const CapturedMessage &message, std::uint64_t place)
{
    std::unique_ptr<ChannelMemory> &memory = m_memories[*keyOf(message)];
    if (!memory) {
        memory = std::make_unique<ChannelMemory>();
        m_used.push_back(std::size_t(&memory - m_memories.data()));
    }
    memory->take(message.bytes, place);
}

QString ContextStream::describe(
    const CapturedMessage &message, std::uint64_t place, MessageDetails::MiddleC middleC)
{
    QString words = ContextWords::describe(message.bytes, memoryOf(message), place, middleC);
    take(message, place);
    return words;
}

void ContextStream::forget()
{
    for (const std::size_t key : m_used)
        m_memories[key].reset();
    m_used.clear();
}

void ContextStream::catchUp(const CaptureStore &rows, std::size_t row)
{
    if (row < m_nextRow || row - m_nextRow > ChannelMemory::LookBack) {
        forget();
        m_nextRow = row - std::min<std::size_t>(row, ChannelMemory::LookBack);
    }
    for (; m_nextRow < row; ++m_nextRow)
        take(rows.at(m_nextRow), m_nextRow);
}

ContextWords::Reading ContextStream::readRow(const CaptureStore &rows, std::size_t row)
{
    const CapturedMessage message = rows.at(row);
    catchUp(rows, row);
    return ContextWords::read(message.bytes, memoryOf(message), row);
}
