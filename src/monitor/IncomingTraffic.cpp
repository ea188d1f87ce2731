#include "IncomingTraffic.h"

#include "EventGrid.h"
#include "EventGridModel.h"
#include "ports/InputSet.h"
#include "ports/MIDIInput.h"

#include <QLabel>

IncomingTraffic::IncomingTraffic(InputSet &inputs, EventGrid &grid, EventGridModel &rows,
    QLabel &dropNotice, std::function<bool()> hideSysEx)
    : m_inputs(inputs)
    , m_grid(grid)
    , m_rows(rows)
    , m_dropNotice(dropNotice)
    , m_hideSysEx(std::move(hideSysEx))
{
    m_dropNotice.setStyleSheet(QStringLiteral("color: white; background: darkred"));
    m_dropNotice.hide();
}

int IncomingTraffic::drain(int atLeast)
{
    const int taken = MessageDrain::drain(m_feeds, m_hideSysEx(), m_rows, PassBudget, atLeast);
    m_grid.rowsAppended();
    showDropCount();
    return taken;
}

int IncomingTraffic::drainAll()
{
    return drain(m_inputs.messageCount());
}

void IncomingTraffic::takeRest(MIDIInput &input)
{
    if (MessageDrain::Feed *feed = feedOf(input)) {
        MessageDrain::drain(
            std::span(feed, 1), m_hideSysEx(), m_rows, PassBudget, input.MessageCount());
        m_grid.rowsAppended();
    }
}

void IncomingTraffic::portStarted(MIDIInput &input, const QString &portName)
{
    MessageDrain::Feed *feed = feedOf(input);
    if (!feed)
        feed = &m_feeds.emplace_back(MessageDrain::Feed {&input, 0});
    feed->taken = 0;
    startSource(*feed, portName);
}

void IncomingTraffic::storeReplaced()
{
    for (MessageDrain::Feed &feed : m_feeds)
        startSource(feed, feed.input->chosenDeviceName());
}

void IncomingTraffic::startSource(MessageDrain::Feed &feed, const QString &portName)
{
    CaptureStore &store = m_rows.store();
    feed.source = store.sourceNamed(portName);
    store.startPort(feed.source, store.stampOf(feed.input->StartedAt()));
}

void IncomingTraffic::forget(MIDIInput &input)
{
    std::erase_if(m_feeds, [&](const MessageDrain::Feed &feed) { return feed.input == &input; });
    showDropCount();
}

MessageDrain::Feed *IncomingTraffic::feedOf(MIDIInput &input)
{
    const auto found = std::ranges::find(m_feeds, &input, &MessageDrain::Feed::input);
    return found == m_feeds.end() ? nullptr : &*found;
}

void IncomingTraffic::resetDropCount()
{
    m_inputs.resetDroppedCounts();
    showDropCount();
}

std::uint64_t IncomingTraffic::droppedCount() const
{
    return m_inputs.droppedCount();
}

std::vector<IncomingTraffic::SourceCount> IncomingTraffic::sourceCounts() const
{
    std::vector<SourceCount> counts;
    for (const MessageDrain::Feed &feed : m_feeds)
        counts.push_back({m_rows.store().sourceName(feed.source), feed.taken,
            feed.input->DroppedCount(), feed.input->XrunCount()});
    return counts;
}

void IncomingTraffic::showDropCount()
{
    std::uint64_t dropped = 0;
    std::uint64_t xruns = 0;
    for (const MessageDrain::Feed &feed : m_feeds) {
        dropped += feed.input->DroppedCount();
        // The JACK inputs share one client, and each counts every late cycle of the server.
        xruns = std::max(xruns, feed.input->XrunCount());
    }
    QStringList notices;
    if (dropped)
        notices << QStringLiteral("%1 messages dropped").arg(dropped);
    if (xruns)
        notices << QStringLiteral("%1 JACK xruns: messages may be missing").arg(xruns);
    m_dropNotice.setVisible(!notices.isEmpty());
    if (!notices.isEmpty()) {
        m_dropNotice.setText(notices.join(QStringLiteral("; ")));
        // The count can outgrow the place laid out for it: the notice shows its whole text.
        m_dropNotice.resize(
            std::max(m_dropNotice.width(), m_dropNotice.sizeHint().width()), m_dropNotice.height());
    }
}
