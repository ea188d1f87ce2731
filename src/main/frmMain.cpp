#include "frmMain.h"

#include "capture/CaptureFiles.h"
#include "capture/RecentFilesMenu.h"
#include "export/FileExports.h"
#include "filter/FilterMenu.h"
#include "filter/modFilter.h"
#include "frame/ElidingLabel.h"
#include "frame/FormLayout.h"
#include "frame/NamedWidgets.h"
#include "frame/QtDialogService.h"
#include "frame/WindowPlace.h"
#include "frame/WindowTitle.h"
#include "frame/frmAbout.h"
#include "frame/modFormSize.h"
#include "looptest/LoopTestDialog.h"
#include "monitor/ClearAll.h"
#include "monitor/ColumnFit.h"
#include "monitor/EventGrid.h"
#include "monitor/EventGridModel.h"
#include "monitor/FindBar.h"
#include "monitor/IncomingTraffic.h"
#include "monitor/ViewControls.h"
#include "ports/DeviceLists.h"
#include "ports/DeviceSelection.h"
#include "ports/InputSet.h"
#include "ports/MIDIInput.h"
#include "ports/MIDIOutput.h"
#include "sender/MessageParser.h"
#include "sender/RepeatTimer.h"
#include "sender/SendPanel.h"
#include "sender/SysExFileSending.h"
#include "settings/modPreferences.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>

namespace {

const QString StartupFailureText
    = QStringLiteral("MIDI I/O Error... you need to configure a MIDI card to use this program.");

} // namespace

frmMain::frmMain(std::shared_ptr<PortSystem> ports, std::unique_ptr<DialogService> dialogs,
    MessageQueue::Bounds queueBounds, QWidget *parent)
    : QMainWindow(parent)
    , m_ports(std::move(ports))
    , m_dialogs(dialogs ? std::move(dialogs) : std::make_unique<QtDialogService>(this))
    , m_input(new MIDIInput(m_ports, this, queueBounds))
    , m_output(new MIDIOutput(m_ports, this))
    , m_inputs(new InputSet(
          *m_input, m_ports, queueBounds,
          [this](MIDIInput &input) {
              m_incoming->takeRest(input);
              m_incoming->forget(input);
          },
          this))
    , m_gridModel(new EventGridModel(this))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(DialogService::ApplicationTitle);
    m_input->setObjectName(QStringLiteral("MIDIInput1"));
    m_output->setObjectName(QStringLiteral("MIDIOutput1"));
    createControls();
    connectControls();
    createMenus();
    setAcceptDrops(true);
}

// A file being written reads the grid's store, which goes with the window's children.
frmMain::~frmMain()
{
    m_exports->waitForWrite();
    m_captureFiles->endTask();
}

void frmMain::createControls()
{
    auto *client = new QWidget(this);
    setCentralWidget(client);
    setFont(modFormSize::designedFont(
        QStringLiteral("MS Sans Serif"), 8.25, QFontDatabase::GeneralFont));

    namedLabel("Label1", QStringLiteral("MIDI In"), client);
    ComboMidiIn = named(new QComboBox, "ComboMidiIn", client);
    namedLabel("lblMIDIOut", QStringLiteral("MIDI Out"), client);
    ComboMidiOut = named(new QComboBox, "ComboMidiOut", client);
    lblDeviceNotice = named(new ElidingLabel, "lblDeviceNotice", this);
    statusBar()->addWidget(lblDeviceNotice);
    lblFilter = namedLabel("lblFilter", QStringLiteral("Note: Data Filter is ON"), client);
    lblFilter->setStyleSheet(
        QStringLiteral("color: yellow; background: black; font-style: italic"));
    lblFilter->hide();
    lblDropped = namedLabel("lblDropped", QString(), client);
    grdMIDIIn = named(new QTableView, "grdMIDIIn", client);
    namedLabel(
        "lblGridInstructions", QStringLiteral("Click on row to view in MIDI Message Box"), client);
    namedLabel("lblSend", QStringLiteral("MIDI Message"), client);
    txtBoxSend = named(new QPlainTextEdit, "txtBoxSend", client);
    namedLabel("lblSendHistory", QStringLiteral("Send History"), client);
    ComboHistory = named(new QComboBox, "ComboHistory", client);
    btnSend = named(new QPushButton(QStringLiteral("&Send")), "btnSend", client);
    chkRepeat = named(new QCheckBox(QStringLiteral("Repeat")), "chkRepeat", client);
    lblRepeat = namedLabel("lblRepeat", QStringLiteral("Repeat Rate (in ms)"), client);
    txtRepeat = named(new QLineEdit, "txtRepeat", client);
    btnClear = named(new QPushButton(QStringLiteral("&Clear All")), "btnClear", client);
    btnPause = named(new QPushButton, "btnPause", client);
    Timer1 = named(new RepeatTimer, "Timer1", this);

    const QFont fixed
        = modFormSize::designedFont(QStringLiteral("Terminal"), 9, QFontDatabase::FixedFont);
    grdMIDIIn->setFont(fixed);
    // Keyboard users see where they are: the grid draws no current cell of its own.
    grdMIDIIn->setStyleSheet(
        QStringLiteral("QTableView#grdMIDIIn:focus { border: 2px solid palette(highlight); }"));
    txtBoxSend->setFont(fixed);
    m_grid = new EventGrid(*grdMIDIIn, *m_gridModel, this);
    m_layout = std::make_unique<FormLayout>(*this, *grdMIDIIn);
    m_incoming = std::make_unique<IncomingTraffic>(*m_inputs, *m_grid, *m_gridModel, *lblDropped,
        [this] { return m_filterMenu->isChecked(modFilter::FilterItem::SystemExclusive); });
    m_viewControls = new ViewControls({*m_grid, *m_gridModel, *m_incoming, *statusBar(), *btnPause,
                                          *client, [this] { m_layout->apply(); }},
        this);
    m_layout->setGridBar(m_viewControls->findBar());
}

void frmMain::connectControls()
{
    connect(ComboMidiIn, &QComboBox::activated, this,
        [this] { reportingFailure(&frmMain::ComboMidiIn_Click); });
    connect(ComboMidiOut, &QComboBox::activated, this,
        [this] { reportingFailure(&frmMain::ComboMidiOut_Click); });
    connect(m_inputs, &InputSet::MessagesWaiting, this, &frmMain::MIDIInput1_MessagesWaiting);
    connect(m_inputs, &InputSet::inputStarted, this,
        [this](MIDIInput &input, const QString &name) { m_incoming->portStarted(input, name); });
    connect(m_inputs, &InputSet::inputsChanged, this, &frmMain::inputsChanged);
    m_deviceLists = new DeviceLists(
        {ComboMidiIn, ComboMidiOut, lblDeviceNotice}, *m_inputs, *m_output, *m_ports, this);
    connect(m_deviceLists, &DeviceLists::inputMoved, this,
        [this](int index) { m_remembered.input.index = std::int16_t(index); });
    connect(m_deviceLists, &DeviceLists::outputMoved, this,
        [this](int index) { m_remembered.output.index = std::int16_t(index); });
    m_exports = new FileExports({*m_inputs, *m_incoming, *m_grid, *m_gridModel, *m_dialogs}, this);
    m_captureFiles
        = new CaptureFiles({*m_inputs, *m_grid, *m_gridModel, *m_exports, *m_dialogs}, this);
    connect(m_captureFiles, &CaptureFiles::captureShown, this, [this](const QString &path) {
        setWindowTitle(WindowTitle::showing(path));
        m_incoming->storeReplaced();
        m_outputSource = m_gridModel->store().sourceNamed(m_remembered.output.name);
        m_viewControls->pauseDisplay();
        m_viewControls->refresh();
    });
    const auto addSent = [this](const SentMessage &message) { AddGridRow(message); };
    m_sysExSending = new SysExFileSending(*m_output, *m_dialogs, addSent, this);
    m_sendPanel = new SendPanel(
        {txtBoxSend, btnSend, chkRepeat, lblRepeat, txtRepeat, ComboHistory, Timer1}, *m_output,
        *m_dialogs, addSent, this);
    connect(btnClear, &QPushButton::clicked, this, &frmMain::btnClear_Click);
    m_clearAll = new ClearAll({*m_grid, *m_incoming, *txtBoxSend, *statusBar()}, *this);
    connect(m_clearAll, &ClearAll::undone, m_viewControls, &ViewControls::refresh);
    connect(grdMIDIIn, &QTableView::clicked, this, &frmMain::grdMIDIIn_Click);
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

void frmMain::createMenus()
{
    QMenu *file = addNamedMenu(menuBar(), "mnuFile", QStringLiteral("&File"));
    connect(addNamedItem(file, "mnuSaveIn", QStringLiteral("Save MIDI IN as Text")),
        &QAction::triggered, this, &frmMain::mnuSaveIn_Click);
    connect(addNamedItem(file, "mnuSaveInOut", QStringLiteral("Save MIDI IN and OUT as Text")),
        &QAction::triggered, this, &frmMain::mnuSaveInOut_Click);
    m_captureFiles->addMenuItems(file);
    m_exports->addMenuItems(file);
    connect(addNamedItem(file, "mnuSendSysEx", QStringLiteral("Send .syx File...")),
        &QAction::triggered, m_sysExSending, &SysExFileSending::start);
    connect(addNamedItem(file, "mnuSaveFilter", QStringLiteral("Save Filter Settings")),
        &QAction::triggered, this, &frmMain::mnuSaveFilter_Click);
    QAction *rescan = addNamedItem(file, "mnuRescan", QStringLiteral("Rescan MIDI Ports"));
    rescan->setShortcut(QKeySequence(Qt::Key_F5));
    connect(rescan, &QAction::triggered, this, [this] { m_ports->rescan(); });
    QAction *exit = addNamedItem(file, "mnuExit", QStringLiteral("Exit"));
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(exit, &QAction::triggered, this, &frmMain::mnuExit_Click);

    m_filterMenu = new FilterMenu(addNamedMenu(menuBar(), "mnuFilter", QStringLiteral("F&ilter")));
    connect(m_filterMenu, &FilterMenu::changed, this, &frmMain::UpdateFilter);
    m_viewControls->fillMenu(addNamedMenu(menuBar(), "mnuView", QStringLiteral("&View")));

    QMenu *tools = addNamedMenu(menuBar(), "mnuTools", QStringLiteral("&Tools"));
    connect(addNamedItem(tools, "mnuLoopTest", QStringLiteral("Loop Test...")), &QAction::triggered,
        this, &frmMain::mnuLoopTest_Click);

    QMenu *help = addNamedMenu(menuBar(), "mnuHelp", QStringLiteral("&Help"));
    QAction *about = addNamedItem(help, "mnuAbout", QStringLiteral("About"));
    about->setShortcut(QKeySequence(Qt::Key_F1));
    connect(about, &QAction::triggered, this, &frmMain::mnuAbout_Click);
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
    m_deviceLists->showNotice();
    try {
        modPreferences::LoadPreferences(m_remembered);
        m_captureFiles->recentFiles().setFiles(m_remembered.recentFiles);
        m_filterMenu->setChecks(m_remembered.filter);
        listAndSelectDevices();
        UpdateFilter();
    } catch (const std::exception &) {
        // The check marks read before the fault stay set, as the devices do.
        m_filterMenu->setChecks(m_remembered.filter);
        m_dialogs->showMessage(StartupFailureText);
    }
    m_grid->columns().setUserWidths(m_remembered.columnWidths);
    m_dialogs->folders.setAll(m_remembered.folders);
    WindowPlace place = windowPlace();
    modPreferences::LoadWindowPlace(place, place.screen(),
        minimumWidth() * m_layout->TwipsPerPixelX(), minimumHeight() * m_layout->TwipsPerPixelY());
}

WindowPlace frmMain::windowPlace()
{
    return {*this, m_layout->TwipsPerPixelX(), m_layout->TwipsPerPixelY()};
}

void frmMain::openFile(const QString &path)
{
    m_captureFiles->open(path);
}

void frmMain::listAndSelectDevices()
{
    // Selected from code as by the user; a device named on the command line wins.
    DeviceLists::fill(*ComboMidiOut, *m_output,
        m_preferredOutput.isEmpty() ? m_remembered.output.name : m_preferredOutput,
        m_remembered.output.index);
    ComboMidiOut_Click();
    const InputChoice inputs = m_preferredInputs.names.isEmpty() && !m_preferredInputs.all
        ? m_remembered.inputs
        : m_preferredInputs;
    const QString single = inputs.names.isEmpty() ? m_remembered.input.name : inputs.names.front();
    DeviceLists::fill(*ComboMidiIn, *m_input, single, m_remembered.input.index);
    m_deviceLists->addSeveralInputsEntry();
    if (inputs.isSeveral())
        watchInputs(inputs);
    else
        ComboMidiIn_Click();
}

void frmMain::ComboMidiIn_Click()
{
    if (m_deviceLists->isSeveralInputsEntry(ComboMidiIn->currentIndex())) {
        chooseSeveralInputs();
        return;
    }
    m_remembered.input = {std::int16_t(ComboMidiIn->currentIndex()), ComboMidiIn->currentText()};
    m_remembered.inputs = {{m_remembered.input.name}, false};
    m_inputs->closeFurther();
    // The old device's last messages (a SysEx still open, a JACK ring's rest) come with the
    // close and carry its clock: they are shown before the new clock starts.
    DeviceSelection::closeIfOpen(*m_input);
    m_incoming->takeRest(*m_input);
    DeviceSelection::openInputDevice(*m_input, m_remembered.input.index);
    m_incoming->portStarted(*m_input, m_remembered.input.name);
    inputsChanged();
}

void frmMain::chooseSeveralInputs()
{
    const std::optional<InputChoice> choice
        = m_dialogs->askInputs(m_ports->names(PortDirection::Input), m_remembered.inputs);
    if (choice && (choice->isSeveral() || !choice->names.isEmpty()))
        watchInputs(*choice);
    else
        m_deviceLists->showInputChoice();
}

void frmMain::watchInputs(const InputChoice &choice)
{
    if (!choice.isSeveral()) {
        ComboMidiIn->setCurrentIndex(ComboMidiIn->findText(choice.names.value(0)));
        ComboMidiIn_Click();
        return;
    }
    const QStringList listed = m_ports->names(PortDirection::Input);
    const QString first = choice.names.isEmpty() ? listed.value(0) : choice.names.front();
    m_remembered.inputs = choice;
    if (const qsizetype position = listed.indexOf(first); position >= 0)
        m_remembered.input.index = std::int16_t(position);
    m_remembered.input.name = first;
    watchFirstInput(first);
    m_inputs->watchBeside(choice, first);
    m_deviceLists->showInputChoice();
}

// An input already on that device goes on unbroken.
void frmMain::watchFirstInput(const QString &name)
{
    if (m_input->PortState() >= 1 && m_input->chosenDeviceName() == name)
        return;
    DeviceSelection::closeIfOpen(*m_input);
    m_incoming->takeRest(*m_input);
    m_input->watch(name);
    m_incoming->portStarted(*m_input, name);
}

void frmMain::inputsChanged()
{
    QStringList watched {m_input->chosenDeviceName()};
    watched << m_inputs->furtherNames();
    m_filterMenu->setSources(watched);
    m_inputs->setWithheld(m_filterMenu->hiddenSources());
    m_viewControls->setSeveralSources(m_inputs->isWatchingSeveral());
}

void frmMain::ComboMidiOut_Click()
{
    m_remembered.output = {std::int16_t(ComboMidiOut->currentIndex()), ComboMidiOut->currentText()};
    m_outputSource = m_gridModel->store().sourceNamed(m_remembered.output.name);
    DeviceSelection::openOutputDevice(*m_output, m_remembered.output.index);
}

void frmMain::preferDevices(const InputChoice &inputs, const QString &outputName)
{
    m_preferredInputs = inputs;
    m_preferredOutput = outputName;
}

void frmMain::UpdateFilter()
{
    const QStringList hidden = m_filterMenu->hiddenSources();
    m_inputs->setWithheld(hidden);
    modFilter::UpdateFilter(m_filterMenu->checks(),
        {[this](int status, bool withhold) { m_inputs->setStatusFilter(status, withhold); },
            [this, &hidden](
                bool visible) { lblFilter->setVisible(visible || !hidden.isEmpty()); }});
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
    if (m_outputSource)
        m_grid->AddGridRow(message, *m_outputSource);
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
    m_viewControls->refresh();
    txtBoxSend->setFocus();
}

void frmMain::grdMIDIIn_Click()
{
    const auto [text, notice] = m_grid->messageBoxText(m_grid->currentRow(), LongestMessageText);
    txtBoxSend->setPlainText(text);
    if (!notice.isEmpty())
        m_dialogs->showMessage(notice);
    // A click with Ctrl or Shift selects more rows: the grid keeps the keys, for Ctrl+C.
    if (!(QGuiApplication::keyboardModifiers() & (Qt::ControlModifier | Qt::ShiftModifier)))
        txtBoxSend->setFocus();
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
    m_remembered.view = m_viewControls->settings();
    m_remembered.recentFiles = m_captureFiles->recentFiles().files();
    m_remembered.columnWidths = m_grid->columns().userWidths();
    m_remembered.folders = m_dialogs->folders.all();
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

namespace {

// The first file of what is dragged, or an empty text.
QString droppedFile(const QMimeData *dragged)
{
    const QList<QUrl> urls = dragged->urls();
    return urls.isEmpty() ? QString() : urls.front().toLocalFile();
}

} // namespace

void frmMain::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent *event)
{
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    openFile(path);
}

void frmMain::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}
