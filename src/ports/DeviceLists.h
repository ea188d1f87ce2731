#pragma once

#include <QObject>
#include <QString>

class MIDIInput;
class MIDIOutput;
class MidiPort;
class PortSystem;
class QComboBox;
class QLabel;

// The two device lists as the system offers them from moment to moment: filled at start-up,
// refilled when ports come or go with the chosen entries kept by name, and a notice while a
// chosen device is gone or a system does not answer.
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

    DeviceLists(const Controls &controls, MIDIInput &input, MIDIOutput &output, PortSystem &ports,
        QObject *parent = nullptr);

    // Fills a list in device-index order and selects the remembered device (by name when it
    // is listed, else by index); throws PortError for an empty list. The caller then opens
    // the selected device.
    static void fill(QComboBox &list, MidiPort &port, const QString &rememberedName,
        std::int16_t rememberedIndex);
    // The notice shows what keeps a chosen device, or a system's ports, away.
    void showNotice();

signals:
    // A list's entries changed under a chosen device: its position is now this.
    void inputMoved(int index);
    void outputMoved(int index);

private:
    void refill();

    Controls m_controls;
    MIDIInput &m_input;
    MIDIOutput &m_output;
    PortSystem &m_ports;
};
