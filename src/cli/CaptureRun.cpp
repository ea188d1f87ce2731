#include "CaptureRun.h"

#include "CaptureOutput.h"
#include "filter/InputFilter.h"
#include "ports/InputSet.h"
#include "ports/MIDIInput.h"
#include "ports/PortError.h"
#include "ports/PortSystem.h"
#include "ports/PortTaps.h"

#include <limits>

CaptureRun::CaptureRun(
    std::shared_ptr<PortSystem> ports, Settings settings, CaptureOutput &output, QObject *parent)
    : QObject(parent)
    , m_ports(std::move(ports))
    , m_settings(std::move(settings))
    , m_output(output)
    , m_kept(m_document.rows().emptied())
    , m_feeds(m_document.store())
{
    m_endTimer.setSingleShot(true);
    connect(&m_endTimer, &QTimer::timeout, this, &CaptureRun::stop);
    // A pipe's reader that went is noticed even when no traffic comes to write.
    m_readerCheck.setInterval(200);
    connect(&m_readerCheck, &QTimer::timeout, this, [this] {
        if (m_output.readerGone())
            stop();
    });
}

CaptureRun::~CaptureRun() = default;

void CaptureRun::start()
{
    m_first = std::make_unique<MIDIInput>(m_ports);
    m_inputs = std::make_unique<InputSet>(*m_first, m_ports, MessageQueue::Bounds {});
    connect(m_inputs.get(), &InputSet::inputClosed, this, [this](MIDIInput &input) {
        m_feeds.takeRest(input, hideSysEx(), {PassBudget, 0, stillWanted()});
    });
    connect(m_inputs.get(), &InputSet::inputLeaving, this,
        [this](MIDIInput &input) { m_feeds.forget(input); });
    connect(m_inputs.get(), &InputSet::MessagesWaiting, this, [this] {
        take({PassBudget, 0, stillWanted()});
    });
    connect(m_inputs.get(), &InputSet::inputStarted, this,
        [this](MIDIInput &input, const QString &name) { m_feeds.portStarted(input, name); });
    applyFilter();
    m_inputs->taps().tap(m_settings.taps);
    if (!m_settings.inputs.names.isEmpty() || m_settings.inputs.all || m_settings.taps.isEmpty())
        watchInputs();
    if (m_settings.end.after)
        endAfter(*m_settings.end.after);
    m_readerCheck.start();
}

void CaptureRun::watchInputs()
{
    const QString first = firstInputName();
    m_first->watch(first);
    m_feeds.portStarted(*m_first, first);
    if (m_settings.inputs.isSeveral())
        m_inputs->watchBeside(m_settings.inputs, first);
}

void CaptureRun::applyFilter()
{
    modFilter::applyTo(
        *m_inputs, m_settings.filter, m_settings.withheldInputs, m_settings.hiddenPatterns);
}

QString CaptureRun::firstInputName() const
{
    if (!m_settings.inputs.names.isEmpty())
        return m_settings.inputs.names.front();
    const QStringList listed = m_ports->names(PortDirection::Input);
    if (listed.isEmpty())
        throw PortError(QStringLiteral("There is no MIDI input to watch."));
    return listed.front();
}

void CaptureRun::endAfter(std::chrono::milliseconds time)
{
    if (!m_ended)
        m_endTimer.start(time);
}

bool CaptureRun::hideSysEx() const
{
    return m_inputs->filtersStatus(SysExStatus);
}

int CaptureRun::stillWanted() const
{
    constexpr auto most = std::uint64_t(std::numeric_limits<int>::max());
    if (!m_settings.end.count)
        return int(most);
    return int(std::min(most, *m_settings.end.count - std::min(*m_settings.end.count, m_taken)));
}

void CaptureRun::take(MessageDrain::Limits limits)
{
    if (m_ended)
        return;
    if (!storeWaiting(limits))
        end();
    else if (stillWanted() == 0 || m_outOfMemory)
        stop();
}

void CaptureRun::stop()
{
    if (m_ended)
        return;
    const bool stored = storeWaiting(
        {std::chrono::hours(1), m_inputs ? m_inputs->messageCount() : 0, stillWanted()});
    if (stored && !m_output.finish(outputRows()))
        noteFailure();
    end();
}

bool CaptureRun::storeWaiting(MessageDrain::Limits limits)
{
    const auto drained = std::uint64_t(m_feeds.drain(hideSysEx(), limits));
    m_taken += m_settings.selection.any() ? keepSelected() : drained;
    if (m_feeds.outOfMemory() && !m_outOfMemory) {
        m_outOfMemory = true;
        m_failure = QStringLiteral("Memory ran out after %1 messages: the capture stopped "
                                   "there, and what it holds was written.")
                        .arg(m_taken);
    }
    if (!m_output.streams())
        return true;
    // Every row in the store is new: what was written before left it, so that a run of
    // hours stays small.
    const bool written = m_output.rowsStored(outputRows(), 0);
    outputRows().clear();
    m_output.storeEmptied();
    if (!written)
        noteFailure();
    return written;
}

// The rows drained move to the kept ones when the selection keeps them: the drained store
// is emptied each pass, so that what is left out takes no memory in a run of hours.
std::uint64_t CaptureRun::keepSelected()
{
    CaptureStore &taken = m_document.store();
    CaptureStore chosen = taken.emptied();
    for (std::size_t row = 0; row < taken.size(); ++row) {
        const CapturedMessage message = taken.at(row);
        if (m_settings.selection.keeps(message, taken.sourceName(message.source)))
            chosen.append(message.origin, message.source, message.stampUs, message.bytes);
    }
    taken.clear();
    m_kept.append(chosen);
    return chosen.size();
}

// A reader that went is how a pipe into `head` ends a run: no failure.
void CaptureRun::noteFailure()
{
    if (!m_output.readerGone())
        m_failure = m_output.reason();
}

void CaptureRun::end()
{
    m_ended = true;
    m_endTimer.stop();
    m_readerCheck.stop();
    emit finished();
}
