#include "DeviceChoice.h"

#include "DeviceLists.h"
#include "DialogService.h"
#include "capture/CaptureDocument.h"
#include "ports/DeviceSelection.h"
#include "ports/InputSet.h"
#include "ports/MIDIInput.h"
#include "ports/MIDIOutput.h"
#include "ports/PortSystem.h"
#include "ports/PortTaps.h"

#include <QComboBox>

DeviceChoice::DeviceChoice(const Parts &parts, ChosenDevices &chosen, QObject *parent)
    : QObject(parent)
    , m_parts(parts)
    , m_chosen(chosen)
    , m_lists(new DeviceLists({&parts.ComboMidiIn, &parts.ComboMidiOut, &parts.notice},
          parts.inputs, parts.output, parts.ports, this))
{
    connect(m_lists, &DeviceLists::inputMoved, this,
        [this](int index) { m_chosen.input.index = std::int16_t(index); });
    connect(m_lists, &DeviceLists::outputMoved, this,
        [this](int index) { m_chosen.output.index = std::int16_t(index); });
}

void DeviceChoice::prefer(
    const InputChoice &inputs, const QString &outputName, const QStringList &taps)
{
    m_preferredInputs = inputs;
    m_preferredOutput = outputName;
    m_preferredTaps = taps;
}

void DeviceChoice::showNotice()
{
    m_lists->showNotice();
}

void DeviceChoice::listAndSelect()
{
    // Selected from code as by the user; a device named on the command line wins. The taps
    // go first: they hold whatever the devices say.
    tap(m_preferredTaps.isEmpty() ? m_chosen.taps : m_preferredTaps);
    DeviceLists::fill(m_parts.ComboMidiOut, m_parts.output,
        m_preferredOutput.isEmpty() ? m_chosen.output.name : m_preferredOutput,
        m_chosen.output.index);
    outputPicked();
    const InputChoice inputs = m_preferredInputs.names.isEmpty() && !m_preferredInputs.all
        ? m_chosen.inputs
        : m_preferredInputs;
    const QString single = inputs.names.isEmpty() ? m_chosen.input.name : inputs.names.front();
    DeviceLists::fill(m_parts.ComboMidiIn, m_parts.input, single, m_chosen.input.index);
    m_lists->addSeveralInputsEntry();
    if (inputs.isSeveral())
        watchInputs(inputs);
    else
        inputPicked();
}

void DeviceChoice::inputPicked()
{
    QComboBox &list = m_parts.ComboMidiIn;
    if (m_lists->isSeveralInputsEntry(list.currentIndex())) {
        chooseSeveralInputs();
        return;
    }
    if (m_lists->isTapEntry(list.currentIndex())) {
        chooseTaps();
        return;
    }
    m_chosen.input = {std::int16_t(list.currentIndex()), list.currentText()};
    m_chosen.inputs = {{m_chosen.input.name}, false};
    m_parts.inputs.closeFurther();
    m_parts.inputs.restartFirst(
        [this] { DeviceSelection::openInputDevice(m_parts.input, m_chosen.input.index); },
        m_chosen.input.name);
}

void DeviceChoice::outputPicked()
{
    QComboBox &list = m_parts.ComboMidiOut;
    m_chosen.output = {std::int16_t(list.currentIndex()), list.currentText()};
    m_parts.document.setOutput(m_chosen.output.name);
    DeviceSelection::openOutputDevice(m_parts.output, m_chosen.output.index);
}

void DeviceChoice::chooseSeveralInputs()
{
    const std::optional<InputChoice> choice
        = m_parts.dialogs.askInputs(m_parts.ports.names(PortDirection::Input), m_chosen.inputs);
    if (choice && (choice->isSeveral() || !choice->names.isEmpty()))
        watchInputs(*choice);
    else
        m_lists->showInputChoice();
}

void DeviceChoice::chooseTaps()
{
    if (const std::optional<QStringList> ports
        = m_parts.dialogs.askTaps(m_parts.ports.tappableNames(), m_chosen.taps))
        tap(*ports);
    m_lists->showInputChoice();
}

void DeviceChoice::tap(const QStringList &ports)
{
    m_chosen.taps = ports;
    m_parts.inputs.taps().tap(ports);
}

void DeviceChoice::watchInputs(const InputChoice &choice)
{
    if (!choice.isSeveral()) {
        m_parts.ComboMidiIn.setCurrentIndex(m_parts.ComboMidiIn.findText(choice.names.value(0)));
        inputPicked();
        return;
    }
    const QStringList listed = m_parts.ports.names(PortDirection::Input);
    const QString first = choice.names.isEmpty() ? listed.value(0) : choice.names.front();
    m_chosen.inputs = choice;
    if (const qsizetype position = listed.indexOf(first); position >= 0)
        m_chosen.input.index = std::int16_t(position);
    m_chosen.input.name = first;
    watchFirstInput(first);
    m_parts.inputs.watchBeside(choice, first);
    m_lists->showInputChoice();
}

// An input already on that device goes on unbroken.
void DeviceChoice::watchFirstInput(const QString &name)
{
    MIDIInput &input = m_parts.input;
    if (input.PortState() >= 1 && input.chosenDeviceName() == name)
        return;
    m_parts.inputs.restartFirst([&input, &name] { input.watch(name); }, name);
}
