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
    , m_dropNotice(dropNotice)
    , m_hideSysEx(std::move(hideSysEx))
    , m_feeds(rows.store())
{
    m_dropNotice.setStyleSheet(QStringLiteral("color: white; background: darkred"));
    m_dropNotice.hide();
}

int IncomingTraffic::drain(int atLeast)
{
    const int taken = m_feeds.drain(m_hideSysEx(), passLimits(atLeast));
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
    m_feeds.takeRest(input, m_hideSysEx(), passLimits());
    m_grid.rowsAppended();
}

void IncomingTraffic::portStarted(MIDIInput &input, const QString &portName)
{
    // The counts Clear All put aside are kept by input, and this may be one of them begun
    // anew: the chance to undo ends here, as it does when a file is shown.
    m_grid.forgetCleared();
    m_feeds.portStarted(input, portName);
}

void IncomingTraffic::storeReplaced()
{
    m_feeds.storeReplaced();
}

void IncomingTraffic::forget(MIDIInput &input)
{
    m_feeds.forget(input);
    showDropCount();
}

InputSet::Counts IncomingTraffic::resetCounts()
{
    InputSet::Counts counts = m_inputs.resetCounts();
    showDropCount();
    return counts;
}

void IncomingTraffic::restoreCounts(const InputSet::Counts &counts)
{
    m_inputs.restoreCounts(counts);
    showDropCount();
}

std::uint64_t IncomingTraffic::droppedCount() const
{
    return m_inputs.droppedCount();
}

std::uint64_t IncomingTraffic::filteredCount() const
{
    return m_inputs.filteredCount();
}

std::vector<IncomingTraffic::SourceCount> IncomingTraffic::sourceCounts() const
{
    return m_feeds.sourceCounts();
}

void IncomingTraffic::showDropCount()
{
    const std::uint64_t dropped = m_feeds.dropped();
    const std::uint64_t xruns = m_feeds.xruns();
    QStringList notices;
    if (dropped)
        notices << QStringLiteral("%1 messages dropped").arg(dropped);
    if (xruns)
        notices << QStringLiteral("%1 JACK xruns: messages may be missing").arg(xruns);
    if (m_feeds.outOfMemory())
        notices << QStringLiteral("Memory ran out: capturing stopped, the rows shown are kept");
    if (const std::uint64_t unnamed = m_feeds.unnamed())
        notices << QStringLiteral("%1 messages not kept: their inputs came after the %2 that "
                                  "one capture names")
                       .arg(unnamed)
                       .arg(CaptureStore::MaxSources);
    m_dropNotice.setVisible(!notices.isEmpty());
    if (!notices.isEmpty()) {
        m_dropNotice.setText(notices.join(QStringLiteral("; ")));
        // The count can outgrow the place laid out for it: the notice shows its whole text.
        m_dropNotice.resize(
            std::max(m_dropNotice.width(), m_dropNotice.sizeHint().width()), m_dropNotice.height());
    }
}
