#include "frmMain.h"

#include "capture/CaptureDocument.h"
#include "capture/IncomingTraffic.h"
#include "filemenu/CaptureFiles.h"
#include "filemenu/DiskRecording.h"
#include "filemenu/FileDrops.h"
#include "filemenu/FileExports.h"
#include "filter/FilterMenu.h"
#include "filter/HiddenMessages.h"
#include "filter/InputFilter.h"
#include "frame/BackgroundTask.h"
#include "frame/DeviceChoice.h"
#include "frame/FormLayout.h"
#include "frame/QtDialogService.h"
#include "frame/WindowPlace.h"
#include "frame/WindowTitle.h"
#include "frame/frmAbout.h"
#include "grid/ClearAll.h"
#include "grid/ColumnFit.h"
#include "grid/EventGrid.h"
#include "grid/EventGridModel.h"
#include "grid/EventView.h"
#include "grid/FindBar.h"
#include "grid/LossNotice.h"
#include "grid/ViewControls.h"
#include "looptest/LoopTestDialog.h"
#include "ports/DeviceSelection.h"
#include "ports/InputSet.h"
#include "ports/MIDIInput.h"
#include "ports/MIDIOutput.h"
#include "sender/MessageParser.h"
#include "sender/SendPanel.h"
#include "sender/SysExFileSending.h"
#include "settings/modPreferences.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>

namespace {

const QString StartupFailureText
    = QStringLiteral("MIDI I/O Error... you need to configure a MIDI card to use this program.");

} // namespace

frmMain::frmMain(std::shared_ptr<PortSystem> ports, std::unique_ptr<DialogService> dialogs,
    MessageQueue::Bounds queueBounds, QWidget *parent)
    : QMainWindow(parent)
    , m_ports(std::move(ports))
    , m_dialogs(dialogs ? std::move(dialogs) : std::make_unique<QtDialogService>(this))
    , m_document(new CaptureDocument(this))
    , m_input(new MIDIInput(m_ports, this, queueBounds))
    , m_output(new MIDIOutput(m_ports, this))
    , m_inputs(new InputSet(*m_input, m_ports, queueBounds, this))
    , m_incoming(new IncomingTraffic(*m_inputs, *m_document, this))
    , m_gridModel(new EventGridModel(*m_document, this))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(DialogService::ApplicationTitle);
    m_input->setObjectName(QStringLiteral("MIDIInput1"));
    m_output->setObjectName(QStringLiteral("MIDIOutput1"));
    createControls();
    createParts();
    createMenus();
    connectInputs();
    connectControls();
}

// A file being written reads the document, which goes with the window's children, and so
// does a recording as it takes the last rows. The About box has no parent, so that it is a
// window of its own: it goes with this one.
frmMain::~frmMain()
{
    m_task->waitForEnd();
    delete m_diskRecording;
    delete m_about;
    // The parts go after this class's part of the window: inputs closing on the way, or a
    // solo lifted with them, must not reach it.
    for (QObject *part :
        std::initializer_list<QObject *> {m_inputs, m_filterMenu, m_hiddenMessages})
        disconnect(part, nullptr, this, nullptr);
}

// The parts that work the controls, each made from those made before it.
void frmMain::createParts()
{
    new LossNotice(*lblDropped, *m_incoming);
    m_grid = new EventGrid(*grdMIDIIn, *m_gridModel, *m_document, this);
    m_viewControls
        = new ViewControls({*m_document, *m_grid, *m_gridModel, *m_incoming, *statusBar(),
                               *btnPause, *centralWidget(), [this] { m_layout->apply(); }},
            this);
    m_layout->setGridBar(m_viewControls->findBar());
    m_deviceChoice = new DeviceChoice({*ComboMidiIn, *ComboMidiOut, *lblDeviceNotice, *m_inputs,
                                          *m_input, *m_output, *m_ports, *m_dialogs, *m_document},
        m_remembered, this);
    m_task = new BackgroundTask(*m_dialogs, this);
    m_exports = new FileExports(
        {*m_document, *m_inputs, *m_incoming, *m_grid, *m_dialogs, *m_task, *statusBar()}, this);
    m_diskRecording = new DiskRecording(*m_document, *m_dialogs, *statusBar(), this);
    m_captureFiles = new CaptureFiles({*m_document, *m_inputs, *m_grid, *m_exports, *m_dialogs,
                                          *m_task, m_diskRecording->rowsOnDisk()},
        this);
    new FileDrops(*this, *m_captureFiles);
    const auto addSent = [this](const SentMessage &message) { AddGridRow(message); };
    m_sysExSending = new SysExFileSending(*m_output, *m_dialogs, addSent, this);
    m_sendPanel = new SendPanel(
        {txtBoxSend, btnSend, chkRepeat, lblRepeat, txtRepeat, ComboHistory, Timer1}, *m_output,
        *m_dialogs, addSent, this);
    m_clearAll = new ClearAll({*m_document, *m_incoming, *txtBoxSend, *statusBar()}, *this);
}

// What the inputs bring goes to the document through the drain, each input on its clock.
void frmMain::connectInputs()
{
    connect(m_inputs, &InputSet::MessagesWaiting, this, &frmMain::MIDIInput1_MessagesWaiting);
    connect(m_inputs, &InputSet::inputClosed, m_incoming, &IncomingTraffic::takeRest);
    connect(m_inputs, &InputSet::inputLeaving, m_incoming, &IncomingTraffic::forget);
    connect(m_inputs, &InputSet::inputStarted, m_incoming, &IncomingTraffic::portStarted);
    connect(m_inputs, &InputSet::inputsChanged, this, &frmMain::inputsChanged);
}

void frmMain::connectControls()
{
    connect(ComboMidiIn, &QComboBox::activated, this,
        [this] { reportingFailure(&frmMain::ComboMidiIn_Click); });
    connect(ComboMidiOut, &QComboBox::activated, this,
        [this] { reportingFailure(&frmMain::ComboMidiOut_Click); });
    connect(m_captureFiles, &CaptureFiles::captureShown, this, [this](const QString &path) {
        setWindowTitle(WindowTitle::showing(path));
        m_viewControls->pauseDisplay();
    });
    connect(btnClear, &QPushButton::clicked, this, &frmMain::btnClear_Click);
    connect(grdMIDIIn, &EventView::clicked, this, &frmMain::grdMIDIIn_Click);
    // Tab follows the window as it reads, row by row, left to right, and leaves the grid like
    // any control; the find bar, while shown, comes after the grid it searches.
    const QList<QWidget *> order = QList<QWidget *> {ComboMidiIn, ComboMidiOut, grdMIDIIn}
        + m_viewControls->findBar()->tabChain()
        + QList<QWidget *> {
            txtBoxSend, ComboHistory, btnSend, chkRepeat, txtRepeat, btnPause, btnClear};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    txtBoxSend->setTabChangesFocus(true);
}

void frmMain::Form_Resize()
{
    m_layout->apply();
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmMain::mnuLoopTest_Click()
{
    if (!m_loopTest)
        m_loopTest = new LoopTestDialog(m_ports, *m_dialogs, this);
    m_loopTest->show();
    m_loopTest->raise();
}

void frmMain::mnuAbout_Click()
{
    frmAbout::showOnce(
        m_about, QVersionNumber::fromString(QStringLiteral(LUMETRA_VERSION)), *m_dialogs);
}

std::int16_t frmMain::Fgi(std::int16_t r, std::int16_t c) const
{
    return EventGrid::Fgi(r, c);
}

void frmMain::Form_Load()
{
    m_layout->setUp();
    m_grid->setUpColumns();
    if (const QString problem = modPreferences::fileProblem(); !problem.isEmpty())
        m_dialogs->showMessage(
            problem, DialogService::ApplicationTitle, DialogService::Icon::Exclamation);
    m_viewControls->setSettings(modPreferences::LoadViewSettings());
    m_remembered.filter = m_filterMenu->checks();
    m_deviceChoice->showNotice();
    try {
        modPreferences::LoadPreferences(m_remembered);
        m_filterMenu->setChecks(m_remembered.filter);
        m_deviceChoice->listAndSelect();
        inputsChanged(); // the Sources offered name the inputs opened
        UpdateFilter();
    } catch (const std::exception &) {
        // The check marks read before the fault stay set, as the devices do.
        m_filterMenu->setChecks(m_remembered.filter);
        m_dialogs->showMessage(StartupFailureText);
    }
    memory().restore(m_remembered);
    WindowPlace place = windowPlace();
    modPreferences::LoadWindowPlace(place, place.screen(),
        minimumWidth() * m_layout->TwipsPerPixelX(), minimumHeight() * m_layout->TwipsPerPixelY());
}

WindowMemory frmMain::memory()
{
    return {*m_viewControls, m_captureFiles->recentFiles(), m_grid->columns(), m_dialogs->folders,
        *m_hiddenMessages};
}

WindowPlace frmMain::windowPlace()
{
    return {*this, m_layout->TwipsPerPixelX(), m_layout->TwipsPerPixelY()};
}

void frmMain::openFile(const QString &path)
{
    m_captureFiles->open(path);
}

void frmMain::ComboMidiIn_Click()
{
    m_deviceChoice->inputPicked();
    inputsChanged();
}

void frmMain::watchInputs(const InputChoice &choice)
{
    m_deviceChoice->watchInputs(choice);
}

void frmMain::inputsChanged()
{
    m_filterMenu->setSources(m_inputs->sourceNames());
    m_inputs->setWithheld(m_filterMenu->hiddenSources());
    m_viewControls->setSeveralSources(m_inputs->isWatchingSeveral() || m_inputs->hasFeeds());
}

void frmMain::ComboMidiOut_Click()
{
    m_deviceChoice->outputPicked();
}

void frmMain::recordTo(const QString &path, const Rotation &rotation)
{
    m_diskRecording->record(path, rotation);
}

void frmMain::preferDevices(
    const InputChoice &inputs, const QString &outputName, const QStringList &taps)
{
    m_deviceChoice->prefer(inputs, outputName, taps);
}

void frmMain::UpdateFilter()
{
    lblFilter->setVisible(modFilter::applyTo(*m_inputs, m_filterMenu->checks(),
        m_filterMenu->hiddenSources(), m_hiddenMessages->patterns()));
}

void frmMain::hideMessagesLike(std::vector<BytePattern> patterns)
{
    m_hiddenMessages->setPatterns(std::move(patterns));
}

void frmMain::MIDIInput1_MessagesWaiting()
{
    m_viewControls->arrived(m_incoming->drain());
}

void frmMain::mnuSaveIn_Click()
{
    m_exports->saveTextLog(false);
}

void frmMain::mnuSaveInOut_Click()
{
    m_exports->saveTextLog(true);
}

void frmMain::AddGridRow(const SentMessage &message)
{
    m_document->addSent(message);
}

void frmMain::StopRepeating()
{
    m_sendPanel->StopRepeating();
}

QString frmMain::GetMIDIINText(int row, int col)
{
    return m_grid->GetMIDIINText(row, col);
}

void frmMain::btnClear_Click()
{
    m_clearAll->clear();
    txtBoxSend->setFocus();
}

void frmMain::grdMIDIIn_Click()
{
    if (QGuiApplication::keyboardModifiers() & Qt::AltModifier && grdMIDIIn->currentRow())
        soloSourceAt(*grdMIDIIn->currentRow(), grdMIDIIn->currentColumn());
    const auto [text, notice] = m_grid->messageBoxText(m_grid->currentRow(), LongestMessageText);
    txtBoxSend->setPlainText(text);
    if (!notice.isEmpty())
        m_dialogs->showMessage(notice);
    // A click with Ctrl or Shift selects more rows: the grid keeps the keys, for Ctrl+C.
    if (!(QGuiApplication::keyboardModifiers() & (Qt::ControlModifier | Qt::ShiftModifier)))
        txtBoxSend->setFocus();
}

void frmMain::soloSourceAt(std::size_t storeRow, int column)
{
    if (column == m_gridModel->sourceColumn() && storeRow < m_gridModel->committedRows())
        m_filterMenu->solo(m_gridModel->source(storeRow));
}

void frmMain::Form_Unload()
{
    if (std::exchange(m_unloaded, true))
        return;
    StopRepeating(); // no tick may send on a closed port
    m_sysExSending->stop();
    try {
        DeviceSelection::closeIfOpen(*m_output);
        m_inputs->closeFurther();
        DeviceSelection::closeIfOpen(*m_input);
    } catch (const std::exception &) {
        // The window closes whatever a port says; the settings are still saved.
    }
    memory().collect(m_remembered);
    const QString failure = modPreferences::SaveAtExit(m_remembered, windowPlace());
    if (!failure.isEmpty())
        m_dialogs->showMessage(
            failure, DialogService::ApplicationTitle, DialogService::Icon::Exclamation);
}

// A device the user picks may fail to open; say why rather than let the error escape
// into the event loop.
void frmMain::reportingFailure(void (frmMain::*handler)())
{
    try {
        (this->*handler)();
    } catch (const std::exception &error) {
        m_dialogs->showMessage(QString::fromLocal8Bit(error.what()),
            DialogService::ApplicationTitle, DialogService::Icon::Exclamation);
    }
}

void frmMain::mnuSaveFilter_Click()
{
    modPreferences::SaveFilterSettings(m_filterMenu->checks(), *m_dialogs);
}

void frmMain::mnuExit_Click()
{
    close();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}
