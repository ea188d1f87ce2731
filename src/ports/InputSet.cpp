#include "InputSet.h"

#include "DeviceSelection.h"
#include "MIDIInput.h"
#include "PortCommand.h"
#include "PortError.h"
#include "PortSystem.h"

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
            remove(i);
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
        remove(i);
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
            remove(i);
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

void InputSet::add(const QString &name)
{
    auto input = std::make_unique<MIDIInput>(m_ports, nullptr, m_bounds);
    input->setObjectName(QStringLiteral("MIDIInput%1").arg(m_inputs.size() + 1));
    for (std::size_t status = 0; status < m_statusFilter.size(); ++status)
        input->setStatusFilter(int(status), m_statusFilter[status]);
    input->setWithheld(m_withheld.contains(name));
    input->setHiddenPatterns(m_hiddenPatterns);
    input->setEventsEnabled(m_eventsEnabled);
    connect(input.get(), &MIDIInput::MessagesWaiting, this, &InputSet::MessagesWaiting);
    connect(input.get(), &MidiPort::deviceStateChanged, this, &InputSet::inputsChanged);
    input->watch(name);
    MIDIInput &added = *input;
    m_further.push_back(std::move(input));
    m_inputs.push_back(&added);
    emit inputStarted(added, name);
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

void InputSet::remove(std::size_t index)
{
    MIDIInput &input = *m_further[index];
    input.setCommand(CommandClose);
    emit inputClosed(input);
    emit inputLeaving(input);
    m_inputs.erase(m_inputs.begin() + std::ptrdiff_t(index) + 1);
    m_further.erase(m_further.begin() + std::ptrdiff_t(index));
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
        input->setWithheld(names.contains(input->chosenDeviceName()));
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
