#pragma once

#include "ports/ChosenDevices.h"

#include <QObject>
#include <QString>

class CaptureDocument;
class DeviceLists;
class DialogService;
class InputSet;
class MIDIInput;
class MIDIOutput;
class PortSystem;
class QComboBox;
class QLabel;

// What the two device lists choose, and the inputs and output that follow the choice: one
// input picked from the list, or several at once through the list's last entry; the output
// whose sent rows the capture keeps. The choice is kept in `chosen`, which outlives it.
class DeviceChoice : public QObject
{
    Q_OBJECT

public:
    struct Parts
    {
        QComboBox &ComboMidiIn;
        QComboBox &ComboMidiOut;
        QLabel &notice; // lblDeviceNotice
        InputSet &inputs;
        MIDIInput &input; // the first of the inputs
        MIDIOutput &output;
        PortSystem &ports;
        DialogService &dialogs;
        CaptureDocument &document;
    };

    DeviceChoice(const Parts &parts, ChosenDevices &chosen, QObject *parent = nullptr);

    // Devices chosen by their shown names for the start-up, over the remembered ones.
    void prefer(const InputChoice &inputs, const QString &outputName, const QStringList &taps = {});
    // Fills both lists and opens what they select, the preferred devices first. Throws
    // PortError.
    void listAndSelect();
    // The list's entry was picked: its device, or the choice of several. Throw PortError.
    void inputPicked();
    void outputPicked();
    // Watches the inputs of `choice`: one, as if picked in the list, or several at once.
    // Throws PortError.
    void watchInputs(const InputChoice &choice);
    void showNotice();

private:
    void chooseSeveralInputs();
    void chooseTaps();
    void tap(const QStringList &ports);
    void watchFirstInput(const QString &name);

    Parts m_parts;
    ChosenDevices &m_chosen;
    DeviceLists *m_lists;
    InputChoice m_preferredInputs;
    QString m_preferredOutput;
    QStringList m_preferredTaps;
};
