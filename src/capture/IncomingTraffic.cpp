#include "IncomingTraffic.h"

#include "CaptureDocument.h"
#include "midi/MidiMessage.h"
#include "ports/InputSet.h"
#include "ports/MIDIInput.h"

IncomingTraffic::IncomingTraffic(InputSet &inputs, CaptureDocument &document, QObject *parent)
    : QObject(parent)
    , m_inputs(inputs)
    , m_document(document)
    , m_feeds(document.store())
{
    // A file's rows in the document: each input's traffic goes on as a source of them, its
    // clock from where it started.
    connect(&document, &CaptureDocument::replaced, this, [this] { m_feeds.storeReplaced(); });
}

// A SysEx that waited in the queue when the filter came on is kept out too.
bool IncomingTraffic::hideSysEx() const
{
    return m_inputs.filtersStatus(SysExStatus);
}

int IncomingTraffic::drain(int atLeast)
{
    const int taken = m_feeds.drain(hideSysEx(), passLimits(atLeast));
    stored();
    return taken;
}

int IncomingTraffic::drainAll()
{
    return drain(m_inputs.messageCount());
}

void IncomingTraffic::takeRest(MIDIInput &input)
{
    m_feeds.takeRest(input, hideSysEx(), passLimits());
    stored();
}

void IncomingTraffic::stored()
{
    m_document.rowsStored();
    tellLosses();
}

void IncomingTraffic::tellLosses()
{
    if (const Losses now = losses(); now != m_told)
        emit lossesChanged(m_told = now);
}

void IncomingTraffic::portStarted(MIDIInput &input, const QString &portName)
{
    // The counts Clear All put aside are kept by input, and this may be one of them begun
    // anew: the chance to undo ends here, as it does when a file is shown.
    m_document.forgetCleared();
    m_feeds.portStarted(input, portName);
}

void IncomingTraffic::forget(MIDIInput &input)
{
    m_feeds.forget(input);
    tellLosses();
}

InputSet::Counts IncomingTraffic::resetCounts()
{
    InputSet::Counts counts = m_inputs.resetCounts();
    tellLosses();
    return counts;
}

void IncomingTraffic::restoreCounts(const InputSet::Counts &counts)
{
    m_inputs.restoreCounts(counts);
    tellLosses();
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

IncomingTraffic::Losses IncomingTraffic::losses() const
{
    return {m_feeds.dropped(), m_feeds.xruns(), m_feeds.unnamed(), m_feeds.outOfMemory()};
}
