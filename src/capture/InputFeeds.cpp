#include "InputFeeds.h"

#include "ports/MIDIInput.h"

#include <algorithm>

InputFeeds::InputFeeds(CaptureStore &store)
    : m_store(store)
{ }

int InputFeeds::drain(bool hideSysEx, MessageDrain::Limits limits)
{
    return MessageDrain::drain(m_feeds, hideSysEx, m_store, limits);
}

void InputFeeds::takeRest(MIDIInput &input, bool hideSysEx, MessageDrain::Limits limits)
{
    if (MessageDrain::Feed *feed = feedOf(input)) {
        limits.atLeast = input.MessageCount();
        MessageDrain::drain(std::span(feed, 1), hideSysEx, m_store, limits);
    }
}

void InputFeeds::portStarted(MIDIInput &input, const QString &portName)
{
    MessageDrain::Feed *feed = feedOf(input);
    if (!feed)
        feed = &m_feeds.emplace_back(MessageDrain::Feed {&input, 0});
    feed->taken = 0;
    startSource(*feed, portName);
}

void InputFeeds::storeReplaced()
{
    for (MessageDrain::Feed &feed : m_feeds)
        startSource(feed, feed.input->sourceName());
}

void InputFeeds::startSource(MessageDrain::Feed &feed, const QString &portName)
{
    feed.source = m_store.sourceNamed(portName);
    if (feed.source)
        m_store.startPort(*feed.source, m_store.stampOf(feed.input->StartedAt()));
}

void InputFeeds::forget(MIDIInput &input)
{
    std::erase_if(m_feeds, [&](const MessageDrain::Feed &feed) { return feed.input == &input; });
}

MessageDrain::Feed *InputFeeds::feedOf(MIDIInput &input)
{
    const auto found = std::ranges::find(m_feeds, &input, &MessageDrain::Feed::input);
    return found == m_feeds.end() ? nullptr : &*found;
}

std::vector<InputFeeds::SourceCount> InputFeeds::sourceCounts() const
{
    std::vector<SourceCount> counts;
    for (const MessageDrain::Feed &feed : m_feeds)
        counts.push_back({feed.source ? m_store.sourceName(*feed.source) : feed.input->sourceName(),
            feed.taken, feed.input->DroppedCount() + feed.unnamed + feed.unstored,
            feed.input->XrunCount()});
    return counts;
}

std::uint64_t InputFeeds::dropped() const
{
    std::uint64_t dropped = 0;
    for (const MessageDrain::Feed &feed : m_feeds)
        dropped += feed.input->DroppedCount();
    return dropped;
}

std::uint64_t InputFeeds::unnamed() const
{
    std::uint64_t unnamed = 0;
    for (const MessageDrain::Feed &feed : m_feeds)
        unnamed += feed.unnamed;
    return unnamed;
}

std::uint64_t InputFeeds::xruns() const
{
    std::uint64_t xruns = 0;
    for (const MessageDrain::Feed &feed : m_feeds)
        xruns = std::max(xruns, feed.input->XrunCount());
    return xruns;
}
