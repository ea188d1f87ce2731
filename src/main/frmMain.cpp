#include "frmMain.h"

#include "DialogService.h"
#include "export/TrafficLog.h"
#include "filter/FilterMenu.h"
#include "filter/modFilter.h"
#include "frame/frmAbout.h"
#include "frame/modFormSize.h"
#include "main/modGlobals.h"
#include "monitor/EventGrid.h"
#include "monitor/EventGridModel.h"
#include "monitor/MessageDrain.h"
#include "ports/MIDIInput.h"
#include "ports/MIDIOutput.h"
#include "ports/PortCommand.h"
#include "sender/RepeatTimer.h"
#include "sender/SendPanel.h"
#include "settings/DeviceSelection.h"
#include "settings/modGetPaths.h"
#include "settings/modPreferences.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QTableView>
#include <stdexcept>

namespace {

const QString StartupFailureText
    = QStringLiteral("MIDI I/O Error... you need to configure a MIDI card to use this program.");

// How long one pass over incoming messages may go on taking new arrivals before the window
// gets to paint and handle the user.
constexpr std::chrono::milliseconds IncomingPassBudget {16};

struct GridColumn
{
    const char *header;
    int widthTwips;
    bool rightAligned;
};

constexpr GridColumn GridColumns[EventGridModel::ColumnCount] = {
    {"Timestamp", 1200, false},
    {"Status", 900, true},
    {"Data 1", 900, true},
    {"Data 2", 900, true},
    {"Channel", 1000, false},
    {"Event", 3000, false},
    {"SysEx Data", 4350, false},
};

template<typename Widget>
Widget *named(Widget *widget, const char *name, QWidget *parent)
{
    widget->setObjectName(QLatin1String(name));
    widget->setParent(parent);
    return widget;
}

QLabel *label(const char *name, const QString &caption, QWidget *parent)
{
    return named(new QLabel(caption), name, parent);
}

// Selecting an entry from code runs the same handling as the user's choice; an empty list
// has no entry 0 to select.
void selectEntry(QComboBox *combo, int index)
{
    if (index >= combo->count())
        throw std::out_of_range("the device list is empty");
    combo->setCurrentIndex(index);
}

std::int16_t rememberedOrFirst(std::int16_t remembered, int deviceCount)
{
    return remembered > deviceCount - 1 || remembered < 0 ? 0 : remembered;
}

} // namespace

frmMain::frmMain(
    std::shared_ptr<PortSystem> ports, std::unique_ptr<DialogService> dialogs, QWidget *parent)
    : QMainWindow(parent)
    , m_ports(std::move(ports))
    , m_dialogs(dialogs ? std::move(dialogs) : std::make_unique<QtDialogService>(this))
    , m_input(new MIDIInput(m_ports, this))
    , m_output(new MIDIOutput(m_ports, this))
    , m_gridModel(new EventGridModel(this))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(DialogService::ApplicationTitle);
    m_input->setObjectName(QStringLiteral("MIDIInput1"));
    m_output->setObjectName(QStringLiteral("MIDIOutput1"));
    createControls();
    createMenus();
}

frmMain::~frmMain() = default;

void frmMain::createControls()
{
    auto *client = new QWidget(this);
    setCentralWidget(client);
    setFont(modFormSize::designedFont(
        QStringLiteral("MS Sans Serif"), 8.25, QFontDatabase::GeneralFont));

    label("Label1", QStringLiteral("MIDI In"), client);
    ComboMidiIn = named(new QComboBox, "ComboMidiIn", client);
    label("lblMIDIOut", QStringLiteral("MIDI Out"), client);
    ComboMidiOut = named(new QComboBox, "ComboMidiOut", client);
    lblFilter = label("lblFilter", QStringLiteral("Note: Data Filter is ON"), client);
    lblFilter->setStyleSheet(
        QStringLiteral("color: yellow; background: black; font-style: italic"));
    lblFilter->hide();
    lblDropped = label("lblDropped", QString(), client);
    lblDropped->setStyleSheet(QStringLiteral("color: white; background: darkred"));
    lblDropped->hide();
    grdMIDIIn = named(new QTableView, "grdMIDIIn", client);
    label(
        "lblGridInstructions", QStringLiteral("Click on row to view in MIDI Message Box"), client);
    label("lblSend", QStringLiteral("MIDI Message"), client);
    txtBoxSend = named(new QPlainTextEdit, "txtBoxSend", client);
    label("lblSendHistory", QStringLiteral("Send History"), client);
    ComboHistory = named(new QComboBox, "ComboHistory", client);
    btnSend = named(new QPushButton(QStringLiteral("&Send")), "btnSend", client);
    chkRepeat = named(new QCheckBox(QStringLiteral("Repeat")), "chkRepeat", client);
    lblRepeat = label("lblRepeat", QStringLiteral("Repeat Rate (in ms)"), client);
    txtRepeat = named(new QLineEdit, "txtRepeat", client);
    btnClear = named(new QPushButton(QStringLiteral("&Clear All")), "btnClear", client);
    Timer1 = named(new RepeatTimer, "Timer1", this);

    const QFont fixed
        = modFormSize::designedFont(QStringLiteral("Terminal"), 9, QFontDatabase::FixedFont);
    grdMIDIIn->setFont(fixed);
    txtBoxSend->setFont(fixed);
    grdMIDIIn->setModel(m_gridModel);
    grdMIDIIn->setSelectionMode(QAbstractItemView::SingleSelection);
    grdMIDIIn->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdMIDIIn->setWordWrap(false);
    QHeaderView *rows = grdMIDIIn->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(QFontMetrics(fixed).height() + 2);
    m_grid = std::make_unique<EventGrid>(*grdMIDIIn, *m_gridModel);

    connect(ComboMidiIn, &QComboBox::activated, this,
        [this] { reportingFailure(&frmMain::ComboMidiIn_Click); });
    connect(ComboMidiOut, &QComboBox::activated, this,
        [this] { reportingFailure(&frmMain::ComboMidiOut_Click); });
    connect(m_input, &MIDIInput::MessagesWaiting, this, &frmMain::MIDIInput1_MessagesWaiting);
    m_sendPanel = new SendPanel(
        {txtBoxSend, btnSend, chkRepeat, lblRepeat, txtRepeat, ComboHistory, Timer1}, *m_output,
        *m_dialogs, [this](std::string_view row) { AddGridRow(row); }, this);
    connect(btnClear, &QPushButton::clicked, this, &frmMain::btnClear_Click);
    connect(grdMIDIIn, &QTableView::clicked, this, &frmMain::grdMIDIIn_Click);
}

void frmMain::createMenus()
{
    auto addMenu = [this](const char *name, const QString &title) {
        QMenu *menu = menuBar()->addMenu(title);
        menu->setObjectName(QLatin1String(name));
        return menu;
    };
    auto addItem = [](QMenu *menu, const char *name, const QString &caption) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        return action;
    };

    QMenu *file = addMenu("mnuFile", QStringLiteral("&File"));
    connect(addItem(file, "mnuSaveIn", QStringLiteral("Save MIDI IN as Text")), &QAction::triggered,
        this, &frmMain::mnuSaveIn_Click);
    connect(addItem(file, "mnuSaveInOut", QStringLiteral("Save MIDI IN and OUT as Text")),
        &QAction::triggered, this, &frmMain::mnuSaveInOut_Click);
    QAction *saveFilter = addItem(file, "mnuSaveFilter", QStringLiteral("Save Filter Settings"));
    connect(saveFilter, &QAction::triggered, this, &frmMain::mnuSaveFilter_Click);
    QAction *exit = addItem(file, "mnuExit", QStringLiteral("Exit"));
    connect(exit, &QAction::triggered, this, &frmMain::mnuExit_Click);

    m_filterMenu = new FilterMenu(addMenu("mnuFilter", QStringLiteral("F&ilter")));
    connect(m_filterMenu, &FilterMenu::changed, this, &frmMain::UpdateFilter);

    QMenu *help = addMenu("mnuHelp", QStringLiteral("&Help"));
    connect(addItem(help, "mnuAbout", QStringLiteral("About")), &QAction::triggered, this,
        &frmMain::mnuAbout_Click);
}

// Twips per pixel from the screen at hand; the designed size is the smallest the window
// may take, the screen the largest.
void frmMain::setUpSize()
{
    const QScreen *screen = this->screen();
    TwipsPerPixelX
        = std::int16_t(modFormSize::twipsPerPixel(screen ? screen->logicalDotsPerInchX() : 96));
    TwipsPerPixelY
        = std::int16_t(modFormSize::twipsPerPixel(screen ? screen->logicalDotsPerInchY() : 96));
    resize(modFormSize::toPixels(modFormSize::ClientWidthTwips, TwipsPerPixelX),
        modFormSize::toPixels(modFormSize::ClientHeightTwips, TwipsPerPixelY)
            + menuBar()->sizeHint().height());
    setMinimumSize(size());
    if (screen)
        setMaximumSize(screen->size().expandedTo(size()));
    Form_Resize();
}

void frmMain::Form_Resize()
{
    if (minimumWidth() == 0)
        return; // not set up yet
    const modFormSize::Layout layout
        = modFormSize::layoutFor(modFormSize::growthTwips(width(), minimumWidth(), TwipsPerPixelX),
            modFormSize::growthTwips(height(), minimumHeight(), TwipsPerPixelY));
    for (const modFormSize::ControlPlacement &placement : layout.controls) {
        auto *control = centralWidget()->findChild<QWidget *>(placement.objectName);
        control->setGeometry(
            modFormSize::toPixels(placement.twips, TwipsPerPixelX, TwipsPerPixelY));
        // A label never cuts its text when the system's font is wider than the designed one.
        if (auto *label = qobject_cast<QLabel *>(control))
            label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
    }
    grdMIDIIn->horizontalHeader()->resizeSection(EventGridModel::ColumnCount - 1,
        modFormSize::toPixels(layout.sysExColumnWidth, TwipsPerPixelX));
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmMain::mnuAbout_Click()
{
    // Modeless and without an owner; a second click brings the open box forward.
    if (!m_about) {
        m_about
            = new frmAbout(QVersionNumber::fromString(QStringLiteral(LUMETRA_VERSION)), *m_dialogs);
        m_about->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

std::int16_t frmMain::Fgi(std::int16_t r, std::int16_t c) const
{
    const std::int32_t index = std::int32_t(r) * m_gridModel->columnCount() + c;
    if (index < INT16_MIN || index > INT16_MAX)
        throw std::overflow_error("grid cell index does not fit 16 bits");
    return std::int16_t(index);
}

void frmMain::setUpGrid()
{
    QHeaderView *header = grdMIDIIn->horizontalHeader();
    for (std::int16_t column = 0; column < EventGridModel::ColumnCount; ++column) {
        const GridColumn &design = GridColumns[column];
        m_gridModel->setHeaderCell(Fgi(0, column), QLatin1String(design.header));
        header->resizeSection(column, modFormSize::toPixels(design.widthTwips, TwipsPerPixelX));
        m_gridModel->setColumnAlignment(column,
            design.rightAligned ? Qt::AlignRight | Qt::AlignVCenter
                                : Qt::AlignLeft | Qt::AlignVCenter);
    }
}

void frmMain::Form_Load()
{
    setUpSize();
    setUpGrid();
    try {
        modPreferences::LoadPreferences([this](modFilter::FilterItem item, bool checked) {
            m_filterMenu->setChecked(item, checked);
        });
        listAndSelectDevices();
        UpdateFilter();
    } catch (const std::exception &) {
        m_dialogs->showMessage(StartupFailureText);
    }
}

void frmMain::listAndSelectDevices()
{
    ComboMidiOut->addItems(DeviceSelection::deviceNames(*m_output));
    selectEntry(
        ComboMidiOut, rememberedOrFirst(modGlobals::OutputDeviceIndex, m_output->DeviceCount()));
    ComboMidiOut_Click();

    ComboMidiIn->addItems(DeviceSelection::deviceNames(*m_input));
    selectEntry(
        ComboMidiIn, rememberedOrFirst(modGlobals::InputDeviceIndex, m_input->DeviceCount()));
    ComboMidiIn_Click();
}

void frmMain::ComboMidiIn_Click()
{
    modGlobals::InputDeviceIndex = std::int16_t(ComboMidiIn->currentIndex());
    DeviceSelection::openInputDevice(*m_input, modGlobals::InputDeviceIndex);
}

void frmMain::ComboMidiOut_Click()
{
    modGlobals::OutputDeviceIndex = std::int16_t(ComboMidiOut->currentIndex());
    DeviceSelection::openOutputDevice(*m_output, modGlobals::OutputDeviceIndex);
}

void frmMain::UpdateFilter()
{
    modFilter::UpdateFilter(m_filterMenu->checks(),
        {[this](int status, bool withhold) { m_input->setStatusFilter(status, withhold); },
            [this](bool visible) { lblFilter->setVisible(visible); }});
}

void frmMain::MIDIInput1_MessagesWaiting()
{
    drainIncoming(0);
}

void frmMain::drainIncoming(int atLeast)
{
    bool messagesLeft = false;
    {
        EventGrid::Batch batch(*m_grid);
        messagesLeft = MessageDrain::drain(
            *m_input, m_filterMenu->isChecked(modFilter::FilterItem::SystemExclusive),
            [this](const std::string &row) { AddGridRow(row); }, IncomingPassBudget, atLeast);
    }
    showDroppedCount();
    if (messagesLeft)
        m_input->requestMessagesWaiting();
}

void frmMain::mnuSaveIn_Click()
{
    saveTraffic(false);
}

void frmMain::mnuSaveInOut_Click()
{
    saveTraffic(true);
}

void frmMain::saveTraffic(bool withSentRows)
{
    m_input->setEventsEnabled(false);
    const QString path = m_dialogs->askSaveFileName(
        modGetPaths::GetSpecialFolderPath(modGetPaths::DocumentsFolder),
        QStringLiteral("Text files (*.txt);;All files (*)"));
    m_input->setEventsEnabled(true);
    // What queued up while the dialog was open belongs in the log.
    drainIncoming(m_input->MessageCount());
    if (path.isEmpty())
        return;

    const QString error = TrafficLog::save(m_gridModel->rows(),
        withSentRows ? TrafficLog::Rows::All : TrafficLog::Rows::IncomingOnly, path);
    if (!error.isEmpty())
        m_dialogs->showMessage(QStringLiteral("Cannot save \"%1\": %2").arg(path, error));
}

void frmMain::AddGridRow(std::string_view text)
{
    m_grid->AddGridRow(text);
}

// Messages the input component had to turn away are never dropped in silence.
void frmMain::showDroppedCount()
{
    const std::uint64_t dropped = m_input->DroppedCount();
    lblDropped->setVisible(dropped > 0);
    if (dropped > 0)
        lblDropped->setText(QStringLiteral("%1 messages dropped").arg(dropped));
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
    txtBoxSend->clear();
    m_grid->clear();
    m_input->resetDroppedCount();
    showDroppedCount();
    txtBoxSend->setFocus();
}

void frmMain::grdMIDIIn_Click()
{
    const int row = m_grid->currentRow();
    const QString status = GetMIDIINText(row, 1);
    txtBoxSend->setPlainText(status);
    if (status != QLatin1String("F0")) {
        // Read in column order: the last cell read stays the current one.
        const QString data1 = GetMIDIINText(row, 2);
        const QString data2 = GetMIDIINText(row, 3);
        txtBoxSend->setPlainText(status + QLatin1Char(' ') + data1 + QLatin1Char(' ') + data2);
    } else {
        txtBoxSend->setPlainText(GetMIDIINText(row, 6));
    }
    txtBoxSend->setFocus();
}

void frmMain::Form_Unload()
{
    if (std::exchange(m_unloaded, true))
        return;
    StopRepeating(); // no tick may send on a closed port
    if (m_output->PortState() >= 1)
        m_output->setCommand(CommandClose);
    if (m_input->PortState() >= 1)
        m_input->setCommand(CommandClose);
    modPreferences::SaveDeviceSettings();
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
