#pragma once

#include "capture/CaptureStore.h"
#include "frame/DialogService.h"
#include "midi/BytePattern.h"
#include "ports/InputChoice.h"
#include "ports/MessageQueue.h"
#include "settings/RememberedState.h"
#include "settings/WindowMemory.h"

#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <memory>

class BackgroundTask;
class CaptureDocument;
class CaptureFiles;
class DiskRecording;
class ClearAll;
class DeviceChoice;
class EventGrid;
class EventGridModel;
class EventView;
class FileExports;
class FilterMenu;
class HiddenMessages;
class FormLayout;
class frmAbout;
class IncomingTraffic;
class LoopTestDialog;
class InputSet;
class MIDIInput;
class MIDIOutput;
class PortSystem;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class RepeatTimer;
class SendPanel;
class SysExFileSending;
class ViewControls;
class WindowPlace;

// The main window: owns the controls and the two port components, and wires their events
// to the subsystems. Handlers are named after their control and event.
class frmMain : public QMainWindow
{
    Q_OBJECT

public:
    // A null dialog service means the real dialogs; the queue bounds limit what the input
    // holds while the window is busy.
    explicit frmMain(std::shared_ptr<PortSystem> ports,
        std::unique_ptr<DialogService> dialogs = nullptr, MessageQueue::Bounds queueBounds = {},
        QWidget *parent = nullptr);
    ~frmMain() override;

    // Devices (and ports to tap) chosen by their shown names for the start-up, over the
    // remembered ones.
    void preferDevices(
        const InputChoice &inputs, const QString &outputName, const QStringList &taps = {});
    void Form_Load();
    void Form_Unload();
    // Shows the capture in that file in place of the rows shown, asking first if there are any.
    void openFile(const QString &path);
    // Records the rows to that capture file from now on, as File > Record to Disk... does.
    void recordTo(const QString &path, const Rotation &rotation);

    // Index of grid cell (r, c) in the grid's row-major cell array; throws when it does not
    // fit 16 bits.
    std::int16_t Fgi(std::int16_t r, std::int16_t c) const;

    // Appends the row of what the program sent to the chosen output above the grid's empty
    // last row.
    void AddGridRow(const SentMessage &message);
    // The text of grid cell (row, col), which becomes the current cell.
    QString GetMIDIINText(int row, int col);
    // Ends repeated sending, if it is running.
    void StopRepeating();

    // Watches the inputs of `choice`: one, as if picked in the "MIDI In" list, or several
    // at once, each a source of its own. Throws PortError.
    void watchInputs(const InputChoice &choice);
    // Keeps the messages these patterns match out of the capture, as Filter > "Hide Messages
    // Like..." does.
    void hideMessagesLike(std::vector<BytePattern> patterns);

    MIDIInput &MIDIInput1() { return *m_input; }
    // Every input watched, MIDIInput1 first.
    InputSet &inputs() { return *m_inputs; }
    // What the window will remember of this run.
    const RememberedState &remembered() const { return m_remembered; }
    MIDIOutput &MIDIOutput1() { return *m_output; }
    // The capture the window shows.
    CaptureDocument &document() { return *m_document; }

public slots:
    void ComboMidiIn_Click();
    void ComboMidiOut_Click();
    void mnuExit_Click();
    void mnuSaveFilter_Click();
    void mnuSaveIn_Click();
    void mnuAbout_Click();
    void mnuLoopTest_Click();
    void Form_Resize();
    void mnuSaveInOut_Click();
    void MIDIInput1_MessagesWaiting();
    void btnClear_Click();
    void grdMIDIIn_Click();
    // Alt+click on a Source cell: only that row's source is captured until the solo is lifted.
    void soloSourceAt(std::size_t storeRow, int column);
    void UpdateFilter();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void createControls();
    void createParts();
    void connectInputs();
    void connectControls();
    void createMenus();
    void createFileMenu();
    WindowPlace windowPlace();
    WindowMemory memory();
    void inputsChanged();
    void reportingFailure(void (frmMain::*handler)());

    // In the order they are made: each is made from those above it.
    std::shared_ptr<PortSystem> m_ports;
    std::unique_ptr<DialogService> m_dialogs;
    CaptureDocument *m_document;
    MIDIInput *m_input;
    MIDIOutput *m_output;
    InputSet *m_inputs;
    IncomingTraffic *m_incoming;
    EventGridModel *m_gridModel;
    EventGrid *m_grid = nullptr;
    FilterMenu *m_filterMenu = nullptr;
    HiddenMessages *m_hiddenMessages = nullptr;
    std::unique_ptr<FormLayout> m_layout;
    QPointer<frmAbout> m_about;
    QPointer<LoopTestDialog> m_loopTest;
    DeviceChoice *m_deviceChoice = nullptr;
    BackgroundTask *m_task = nullptr;
    FileExports *m_exports = nullptr;
    CaptureFiles *m_captureFiles = nullptr;
    DiskRecording *m_diskRecording = nullptr;
    SysExFileSending *m_sysExSending = nullptr;
    ViewControls *m_viewControls = nullptr;
    RememberedState m_remembered;
    bool m_unloaded = false;

    QComboBox *ComboMidiIn;
    QComboBox *ComboMidiOut;
    QLabel *lblFilter;
    QLabel *lblDropped;
    QLabel *lblDeviceNotice;
    EventView *grdMIDIIn;
    QPlainTextEdit *txtBoxSend;
    QComboBox *ComboHistory;
    QPushButton *btnSend;
    QCheckBox *chkRepeat;
    QLabel *lblRepeat;
    QLineEdit *txtRepeat;
    QPushButton *btnClear;
    QPushButton *btnPause;
    RepeatTimer *Timer1;
    SendPanel *m_sendPanel = nullptr;
    ClearAll *m_clearAll = nullptr;
};
