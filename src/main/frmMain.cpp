#include "frmMain.h"

#include "DialogService.h"
#include "filter/modFilter.h"
#include "frame/DesignedLayout.h"
#include "main/modGlobals.h"
#include "monitor/EventGridModel.h"
#include "ports/MIDIInput.h"
#include "ports/MIDIOutput.h"
#include "ports/PortCommand.h"
#include "settings/DeviceSelection.h"
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
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTimer>

#include <stdexcept>

namespace {

const QString StartupFailureText
    = QStringLiteral("MIDI I/O Error... you need to configure a MIDI card to use this program.");

struct GridColumn
{
    const char *header;
    int widthTwips;
    bool rightAligned;
};

constexpr GridColumn GridColumns[EventGridModel::ColumnCount] = {
    {"Timestamp", 1200, false}, {"Status", 900, true},   {"Data 1", 900, true},
    {"Data 2", 900, true},      {"Channel", 1000, false}, {"Event", 3000, false},
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

frmMain::frmMain(std::shared_ptr<PortSystem> ports, std::unique_ptr<DialogService> dialogs,
                 QWidget *parent)
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
    setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));

    label("Label1", QStringLiteral("MIDI In"), client);
    ComboMidiIn = named(new QComboBox, "ComboMidiIn", client);
    label("lblMIDIOut", QStringLiteral("MIDI Out"), client);
    ComboMidiOut = named(new QComboBox, "ComboMidiOut", client);
    lblFilter = label("lblFilter", QStringLiteral("Note: Data Filter is ON"), client);
    lblFilter->setStyleSheet(QStringLiteral("color: yellow; background: black; font-style: italic"));
    lblFilter->hide();
    grdMIDIIn = named(new QTableView, "grdMIDIIn", client);
    label("lblGridInstructions", QStringLiteral("Click on row to view in MIDI Message Box"), client);
    label("lblSend", QStringLiteral("MIDI Message"), client);
    txtBoxSend = named(new QPlainTextEdit, "txtBoxSend", client);
    label("lblSendHistory", QStringLiteral("Send History"), client);
    ComboHistory = named(new QComboBox, "ComboHistory", client);
    btnSend = named(new QPushButton(QStringLiteral("&Send")), "btnSend", client);
    chkRepeat = named(new QCheckBox(QStringLiteral("Repeat")), "chkRepeat", client);
    label("lblRepeat", QStringLiteral("Repeat Rate (in ms)"), client);
    txtRepeat = named(new QLineEdit, "txtRepeat", client);
    btnClear = named(new QPushButton(QStringLiteral("&Clear All")), "btnClear", client);
    Timer1 = named(new QTimer, "Timer1", this);

    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    grdMIDIIn->setFont(fixed);
    txtBoxSend->setFont(fixed);
    grdMIDIIn->setModel(m_gridModel);

    connect(ComboMidiIn, &QComboBox::activated, this,
            [this] { reportingFailure(&frmMain::ComboMidiIn_Click); });
    connect(ComboMidiOut, &QComboBox::activated, this,
            [this] { reportingFailure(&frmMain::ComboMidiOut_Click); });
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
    addItem(file, "mnuSaveIn", QStringLiteral("Save MIDI IN as Text"));
    addItem(file, "mnuSaveInOut", QStringLiteral("Save MIDI IN and OUT as Text"));
    addItem(file, "mnuSaveFilter", QStringLiteral("Save Filter Settings"));
    QAction *exit = addItem(file, "mnuExit", QStringLiteral("Exit"));
    connect(exit, &QAction::triggered, this, &frmMain::mnuExit_Click);

    addMenu("mnuFilter", QStringLiteral("F&ilter"));

    QMenu *help = addMenu("mnuHelp", QStringLiteral("&Help"));
    addItem(help, "mnuAbout", QStringLiteral("About"));
}

void frmMain::placeControls()
{
    const QScreen *screen = this->screen();
    m_twipsPerPixel = DesignedLayout::twipsPerPixel(screen ? screen->logicalDotsPerInch() : 96);
    for (const ControlPlacement &placement : DesignedLayout::mainWindow()) {
        if (auto *control = centralWidget()->findChild<QWidget *>(placement.objectName))
            control->setGeometry(DesignedLayout::toPixels(placement.twips, m_twipsPerPixel));
    }
    const QSize client(DesignedLayout::toPixels(DesignedLayout::ClientWidthTwips, m_twipsPerPixel),
                       DesignedLayout::toPixels(DesignedLayout::ClientHeightTwips, m_twipsPerPixel));
    centralWidget()->setMinimumSize(client);
    resize(client.width(), client.height() + menuBar()->sizeHint().height());
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
        const GridColumn &spec = GridColumns[column];
        m_gridModel->setHeaderCell(Fgi(0, column), QLatin1String(spec.header));
        header->resizeSection(column, DesignedLayout::toPixels(spec.widthTwips, m_twipsPerPixel));
    }
    grdMIDIIn->verticalHeader()->hide();
}

void frmMain::Form_Load()
{
    placeControls();
    setUpGrid();
    try {
        modPreferences::LoadPreferences();
        listAndSelectDevices();
        modFilter::UpdateFilter(*m_input, *lblFilter);
    } catch (const std::exception &) {
        m_dialogs->showMessage(StartupFailureText);
    }
}

void frmMain::listAndSelectDevices()
{
    ComboMidiOut->addItems(DeviceSelection::deviceNames(*m_output));
    selectEntry(ComboMidiOut, rememberedOrFirst(modGlobals::OutputDeviceIndex, m_output->DeviceCount()));
    ComboMidiOut_Click();

    ComboMidiIn->addItems(DeviceSelection::deviceNames(*m_input));
    selectEntry(ComboMidiIn, rememberedOrFirst(modGlobals::InputDeviceIndex, m_input->DeviceCount()));
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

void frmMain::Form_Unload()
{
    if (std::exchange(m_unloaded, true))
        return;
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
        m_dialogs->showMessage(QString::fromLocal8Bit(error.what()), DialogService::ApplicationTitle,
                               DialogService::Icon::Exclamation);
    }
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
