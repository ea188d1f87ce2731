#pragma once

#include <QObject>
#include <QString>

class InputSet;
class MIDIOutput;
class MidiPort;
class PortSystem;
class QComboBox;
class QLabel;

// The two device lists as the system offers them from moment to moment: filled at start-up,
// refilled when ports come or go with the chosen entries kept by name, and a notice while a
// chosen device is gone or a system does not answer. The input list ends in an entry that
// watches several inputs at once, which stays selected while they are watched, and one that
// taps other programs' ports.
class DeviceLists : public QObject
{
    Q_OBJECT

public:
    struct Controls
    {
        QComboBox *ComboMidiIn;
        QComboBox *ComboMidiOut;
        QLabel *notice;
    };

    static inline const QString SeveralInputsEntry = QStringLiteral("Several Inputs...");
    static inline const QString TapEntry = QStringLiteral("Tap a Port...");

    DeviceLists(const Controls &controls, InputSet &inputs, MIDIOutput &output, PortSystem &ports,
        QObject *parent = nullptr);

    // Fills a list in device-index order and selects the remembered device (by name when it
    // is listed, else by index); throws PortError for an empty list. The caller then opens
    // the selected device.
    static void fill(QComboBox &list, MidiPort &port, const QString &rememberedName,
        std::int16_t rememberedIndex);
    // Adds the entries that watch several inputs and tap ports to the filled input list.
    void addSeveralInputsEntry();
    bool isSeveralInputsEntry(int index) const;
    bool isTapEntry(int index) const;
    // Selects the entry that stands for what the inputs watch now.
    void showInputChoice();
    // The notice shows what keeps a chosen device, or a system's ports, away.
    void showNotice();

signals:
    // A list's entries changed under a chosen device: its position is now this.
    void inputMoved(int index);
    void outputMoved(int index);

private:
    void refill();

    Controls m_controls;
    InputSet &m_inputs;
    MIDIOutput &m_output;
    PortSystem &m_ports;
};
