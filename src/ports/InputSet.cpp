#include "InputSet.h"

#include "DeviceSelection.h"
#include "MIDIInput.h"
#include "PortCommand.h"
#include "PortError.h"
#include "PortSystem.h"
#include "PortTaps.h"

#include <algorithm>

InputSet::InputSet(MIDIInput &first, std::shared_ptr<PortSystem> ports, MessageQueue::Bounds bounds,
    QObject *parent)
    : QObject(parent)
    , m_first(first)
    , m_ports(std::move(ports))
    , m_bounds(bounds)
    , m_inputs {&first}
{
    connect(&first, &MIDIInput::MessagesWaiting, this, &InputSet::MessagesWaiting);
    connect(&first, &MidiPort::deviceStateChanged, this, &InputSet::inputsChanged);
    connect(m_ports.get(), &PortSystem::devicesChanged, this, &InputSet::followAll);
    m_taps = std::make_unique<PortTaps>(
        PortTaps::Feeds {[this](const DeviceEntry &feeder, const QString &sourceName)
                             -> MIDIInput & { return addFeed(feeder, sourceName); },
            [this](MIDIInput &input) { removeFeed(input); }},
        m_ports);
    connect(m_taps.get(), &PortTaps::waitingChanged, this, &InputSet::inputsChanged);
}

// The window that listens may be half torn down already when Qt deletes its children: a
// further input that was waiting for its device says so as it closes, and must say it to no one.
InputSet::~InputSet()
{
    blockSignals(true);
}

QStringList InputSet::furtherNames() const
{
    QStringList names;
    for (const auto &input : m_further)
        names << input->chosenDeviceName();
    return names;
}

void InputSet::watchBeside(const InputChoice &choice, const QString &firstName)
{
    m_all = choice.all;
    m_firstName = firstName;
    QStringList wanted = choice.names;
    if (m_all)
        wanted << m_ports->names(PortDirection::Input);
    wanted.removeAll(firstName);
    wanted.removeDuplicates();
    for (std::size_t i = m_further.size(); i-- > 0;)
        if (!wanted.contains(m_further[i]->chosenDeviceName()))
            remove(m_further, i);
    const QStringList watched = furtherNames();
    for (const QString &name : wanted) {
        if (watched.contains(name))
            continue;
        // Every input is a wish, not a promise: one that cannot open now is tried again
        // when the lists change, as one that comes later is.
        if (m_all)
            tryToAdd(name);
        else
            add(name);
    }
    emit inputsChanged();
}

void InputSet::closeFurther()
{
    m_all = false;
    m_firstName.clear();
    for (std::size_t i = m_further.size(); i-- > 0;)
        remove(m_further, i);
    emit inputsChanged();
}

// With every input chosen, an input that comes is watched at once, and one that goes leaves
// the set (its rows stay); the first input follows its own device, as it always does.
void InputSet::followAll()
{
    if (!m_all)
        return;
    QStringList listed = m_ports->names(PortDirection::Input);
    listed.removeAll(m_firstName);
    bool changed = false;
    for (std::size_t i = m_further.size(); i-- > 0;) {
        if (!listed.contains(m_further[i]->chosenDeviceName())) {
            remove(m_further, i);
            changed = true;
        }
    }
    const QStringList watched = furtherNames();
    for (const QString &name : listed)
        if (!watched.contains(name))
            changed = tryToAdd(name) || changed;
    if (changed)
        emit inputsChanged();
}

// A new input filters and holds back as the others do.
std::unique_ptr<MIDIInput> InputSet::makeInput()
{
    auto input = std::make_unique<MIDIInput>(m_ports, nullptr, m_bounds);
    input->setObjectName(QStringLiteral("MIDIInput%1").arg(m_inputs.size() + 1));
    for (std::size_t status = 0; status < m_statusFilter.size(); ++status)
        input->setStatusFilter(int(status), m_statusFilter[status]);
    input->setHiddenPatterns(m_hiddenPatterns);
    input->setEventsEnabled(m_eventsEnabled);
    connect(input.get(), &MIDIInput::MessagesWaiting, this, &InputSet::MessagesWaiting);
    connect(input.get(), &MidiPort::deviceStateChanged, this, &InputSet::inputsChanged);
    return input;
}

MIDIInput &InputSet::adopt(std::unique_ptr<MIDIInput> input,
    std::vector<std::unique_ptr<MIDIInput>> &owner, const QString &sourceName)
{
    input->setWithheld(m_withheld.contains(sourceName));
    MIDIInput &added = *input;
    owner.push_back(std::move(input));
    m_inputs.push_back(&added);
    emit inputStarted(added, sourceName);
    return added;
}

void InputSet::add(const QString &name)
{
    auto input = makeInput();
    input->watch(name);
    adopt(std::move(input), m_further, name);
}

MIDIInput &InputSet::addFeed(const DeviceEntry &feeder, const QString &sourceName)
{
    auto input = makeInput();
    input->feedFrom(feeder, sourceName);
    MIDIInput &added = adopt(std::move(input), m_feeds, sourceName);
    emit inputsChanged();
    return added;
}

void InputSet::removeFeed(MIDIInput &input)
{
    if (const auto found = std::ranges::find(m_feeds, &input, &std::unique_ptr<MIDIInput>::get);
        found != m_feeds.end()) {
        remove(m_feeds, std::size_t(found - m_feeds.begin()));
        emit inputsChanged();
    }
}

QStringList InputSet::sourceNames() const
{
    QStringList names;
    for (const MIDIInput *input : m_inputs)
        names << input->sourceName();
    return names;
}

bool InputSet::tryToAdd(const QString &name)
{
    try {
        add(name);
        return true;
    } catch (const PortError &) {
        // Listed but not ready: the next change of the lists tries again.
        return false;
    }
}

void InputSet::remove(std::vector<std::unique_ptr<MIDIInput>> &owner, std::size_t index)
{
    MIDIInput &input = *owner[index];
    input.setCommand(CommandClose);
    emit inputClosed(input);
    emit inputLeaving(input);
    std::erase(m_inputs, &input);
    owner.erase(owner.begin() + std::ptrdiff_t(index));
}

void InputSet::restartFirst(const std::function<void()> &open, const QString &deviceName)
{
    DeviceSelection::closeIfOpen(m_first);
    emit inputClosed(m_first);
    open();
    emit inputStarted(m_first, deviceName);
}

void InputSet::setEventsEnabled(bool enabled)
{
    m_eventsEnabled = enabled;
    for (MIDIInput *input : m_inputs)
        input->setEventsEnabled(enabled);
}

void InputSet::setStatusFilter(int status, bool withhold)
{
    if (status < 0 || status >= int(m_statusFilter.size()))
        return;
    m_statusFilter[std::size_t(status)] = withhold;
    for (MIDIInput *input : m_inputs)
        input->setStatusFilter(status, withhold);
}

void InputSet::setHiddenPatterns(const std::vector<BytePattern> &patterns)
{
    m_hiddenPatterns = patterns;
    for (MIDIInput *input : m_inputs)
        input->setHiddenPatterns(patterns);
}

void InputSet::setWithheld(const QStringList &names)
{
    m_withheld = names;
    for (MIDIInput *input : m_inputs)
        input->setWithheld(names.contains(input->sourceName()));
}

int InputSet::messageCount() const
{
    int count = 0;
    for (const MIDIInput *input : m_inputs)
        count += input->MessageCount();
    return count;
}

std::uint64_t InputSet::droppedCount() const
{
    std::uint64_t dropped = 0;
    for (const MIDIInput *input : m_inputs)
        dropped += input->DroppedCount();
    return dropped;
}

std::uint64_t InputSet::filteredCount() const
{
    std::uint64_t filtered = 0;
    for (const MIDIInput *input : m_inputs)
        filtered += input->FilteredCount();
    return filtered;
}

InputSet::Counts InputSet::resetCounts()
{
    Counts counts;
    for (MIDIInput *input : m_inputs)
        counts.emplace_back(input, input->resetCounts());
    return counts;
}

void InputSet::restoreCounts(const Counts &counts)
{
    for (const auto &[input, count] : counts)
        if (const auto here = std::ranges::find(m_inputs, input); here != m_inputs.end())
            (*here)->restoreCounts(count);
}
