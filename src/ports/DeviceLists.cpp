#include "DeviceLists.h"

#include "DeviceSelection.h"
#include "ports/MIDIInput.h"
#include "ports/MIDIOutput.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>

namespace {

// Lists the system's devices again, keeping the chosen one selected by its name; a chosen
// device that has gone stays listed, last, until it returns or another is chosen. Returns
// the chosen device's position, or -1 when it is not in the system's list.
int refillKeepingChoice(QComboBox &list, MidiPort &port)
{
    const QString chosen
        = port.chosenDeviceName().isEmpty() ? list.currentText() : port.chosenDeviceName();
    const QStringList names = DeviceSelection::deviceNames(port);
    const int position = int(names.indexOf(chosen));
    if (position >= 0)
        port.setDeviceIndex(std::int16_t(position));
    QStringList entries = names;
    if (position < 0 && !chosen.isEmpty())
        entries << chosen;
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

DeviceLists::DeviceLists(const Controls &controls, MIDIInput &input, MIDIOutput &output,
    PortSystem &ports, QObject *parent)
    : QObject(parent)
    , m_controls(controls)
    , m_input(input)
    , m_output(output)
    , m_ports(ports)
{
    m_controls.notice->setStyleSheet(QStringLiteral("color: white; background: darkred"));
    m_controls.notice->hide();
    // The ports follow their devices first, then the lists and the notice show the outcome.
    connect(&ports, &PortSystem::devicesChanged, this, &DeviceLists::refill);
    connect(&ports, &PortSystem::devicesChanged, this, &DeviceLists::showNotice);
    connect(&input, &MidiPort::deviceStateChanged, this, &DeviceLists::showNotice);
    connect(&output, &MidiPort::deviceStateChanged, this, &DeviceLists::showNotice);
}

void DeviceLists::fill(
    QComboBox &list, MidiPort &port, const QString &rememberedName, std::int16_t rememberedIndex)
{
    const QStringList names = DeviceSelection::deviceNames(port);
    list.addItems(names);
    list.setCurrentIndex(DeviceSelection::entryToSelect(rememberedName, rememberedIndex, names));
}

void DeviceLists::refill()
{
    if (const int position = refillKeepingChoice(*m_controls.ComboMidiIn, m_input); position >= 0)
        emit inputMoved(position);
    if (const int position = refillKeepingChoice(*m_controls.ComboMidiOut, m_output); position >= 0)
        emit outputMoved(position);
}

void DeviceLists::showNotice()
{
    QStringList gone = m_ports.notices();
    if (m_input.isWaitingForDevice())
        gone << goneText("In", m_input);
    if (m_output.isWaitingForDevice())
        gone << goneText("Out", m_output);
    m_controls.notice->setText(gone.join(QLatin1Char('\n')));
    m_controls.notice->setVisible(!gone.isEmpty());
}
