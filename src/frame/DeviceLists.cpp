#include "DeviceLists.h"

#include "ports/DeviceSelection.h"
#include "ports/InputSet.h"
#include "ports/MIDIInput.h"
#include "ports/MIDIOutput.h"
#include "ports/PortTaps.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>

namespace {

// Lists the system's devices again, keeping the chosen one selected by its name; a chosen
// device that has gone stays listed, after the others, until it returns or another is
// chosen. `last` ends the list. Returns the chosen device's position, or -1 when it is not in
// the system's list.
int refillKeepingChoice(QComboBox &list, MidiPort &port, const QStringList &last = {})
{
    const QString chosen
        = port.chosenDeviceName().isEmpty() ? list.currentText() : port.chosenDeviceName();
    const QStringList names = DeviceSelection::deviceNames(port);
    const int position = int(names.indexOf(chosen));
    if (position >= 0)
        port.setDeviceIndex(std::int16_t(position));
    QStringList entries = names;
    if (position < 0 && !chosen.isEmpty() && !last.contains(chosen))
        entries << chosen;
    entries << last;
    QStringList shown;
    for (int i = 0; i < list.count(); ++i)
        shown << list.itemText(i);
    if (shown != entries) { // an open list is left alone when nothing changed
        const QSignalBlocker quiet(list);
        list.clear();
        list.addItems(entries);
        list.setCurrentIndex(int(entries.indexOf(chosen)));
    }
    return position;
}

QString goneText(const char *kind, const MidiPort &port)
{
    return QStringLiteral("MIDI %1 \"%2\" is gone; waiting for it to return")
        .arg(QLatin1String(kind), port.chosenDeviceName());
}

} // namespace

DeviceLists::DeviceLists(const Controls &controls, InputSet &inputs, MIDIOutput &output,
    PortSystem &ports, QObject *parent)
    : QObject(parent)
    , m_controls(controls)
    , m_inputs(inputs)
    , m_output(output)
    , m_ports(ports)
{
    m_controls.notice->setStyleSheet(QStringLiteral("color: white; background: darkred"));
    m_controls.notice->hide();
    // The ports follow their devices first, then the lists and the notice show the outcome.
    connect(&ports, &PortSystem::devicesChanged, this, &DeviceLists::refill);
    connect(&ports, &PortSystem::devicesChanged, this, &DeviceLists::showNotice);
    connect(&inputs, &InputSet::inputsChanged, this, &DeviceLists::showNotice);
    connect(&output, &MidiPort::deviceStateChanged, this, &DeviceLists::showNotice);
}

void DeviceLists::fill(
    QComboBox &list, MidiPort &port, const QString &rememberedName, std::int16_t rememberedIndex)
{
    const QStringList names = DeviceSelection::deviceNames(port);
    list.addItems(names);
    list.setCurrentIndex(DeviceSelection::entryToSelect(rememberedName, rememberedIndex, names));
}

void DeviceLists::addSeveralInputsEntry()
{
    m_controls.ComboMidiIn->addItems({SeveralInputsEntry, TapEntry});
}

bool DeviceLists::isSeveralInputsEntry(int index) const
{
    return index >= 0 && index == m_controls.ComboMidiIn->findText(SeveralInputsEntry);
}

bool DeviceLists::isTapEntry(int index) const
{
    return index >= 0 && index == m_controls.ComboMidiIn->findText(TapEntry);
}

void DeviceLists::showInputChoice()
{
    QComboBox &list = *m_controls.ComboMidiIn;
    const bool several = m_inputs.isWatchingSeveral();
    QStringList watched {m_inputs.inputs().front()->chosenDeviceName()};
    watched << m_inputs.furtherNames();
    const QSignalBlocker quiet(list);
    list.setCurrentIndex(list.findText(several ? SeveralInputsEntry : watched.front()));
    list.setToolTip(several ? watched.join(QLatin1Char('\n')) : QString());
}

void DeviceLists::refill()
{
    MIDIInput &first = *m_inputs.inputs().front();
    if (const int position
        = refillKeepingChoice(*m_controls.ComboMidiIn, first, {SeveralInputsEntry, TapEntry});
        position >= 0)
        emit inputMoved(position);
    if (m_inputs.isWatchingSeveral())
        showInputChoice();
    if (const int position = refillKeepingChoice(*m_controls.ComboMidiOut, m_output); position >= 0)
        emit outputMoved(position);
}

void DeviceLists::showNotice()
{
    QStringList gone = m_ports.notices();
    for (const MIDIInput *input : m_inputs.inputs())
        if (input->isWaitingForDevice())
            gone << goneText("In", *input);
    for (const QString &port : m_inputs.taps().waitingFor())
        gone << QStringLiteral("Tapped port \"%1\" is gone; waiting for it to return").arg(port);
    if (m_output.isWaitingForDevice())
        gone << goneText("Out", m_output);
    // One line, however many devices went: the whole list is in the tooltip.
    m_controls.notice->setText(gone.join(QStringLiteral("; ")));
    m_controls.notice->setToolTip(gone.join(QLatin1Char('\n')));
    m_controls.notice->setVisible(!gone.isEmpty());
}
