#include "filemenu/CaptureFiles.h"
#include "filemenu/DiskRecording.h"
#include "filemenu/FileExports.h"
#include "filter/FilterMenu.h"
#include "filter/HiddenMessages.h"
#include "frame/ElidingLabel.h"
#include "frame/FormLayout.h"
#include "frame/NamedWidgets.h"
#include "frame/modFormSize.h"
#include "frmMain.h"
#include "grid/EventView.h"
#include "grid/ViewControls.h"
#include "marks/RowMarking.h"
#include "pane/MessagePane.h"
#include "ports/PortSystem.h"
#include "sender/RepeatTimer.h"
#include "sender/SysExFileSending.h"
#include "settings/CaptureMemory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>

// The window's controls and menus as they are designed: their names, texts and fonts. What
// they do is wired in frmMain.cpp.

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
    grdMIDIIn = named(new EventView, "grdMIDIIn", client);
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
        QStringLiteral("#grdMIDIIn:focus { border: 2px solid palette(highlight); }"));
    txtBoxSend->setFont(fixed);
    m_layout = std::make_unique<FormLayout>(*this, *grdMIDIIn);
}

void frmMain::createMenus()
{
    createFileMenu();
    QMenu *filter = addNamedMenu(menuBar(), "mnuFilter", QStringLiteral("F&ilter"));
    m_filterMenu = new FilterMenu(filter);
    connect(m_filterMenu, &FilterMenu::changed, this, &frmMain::UpdateFilter);
    m_hiddenMessages = new HiddenMessages(*filter, *m_dialogs, this);
    connect(m_hiddenMessages, &HiddenMessages::changed, this, &frmMain::UpdateFilter);
    menuBar()->addMenu(m_viewControls->menu());
    new MessagePane(*this, *m_viewControls->menu(), *m_grid, *m_gridModel);
    new RowMarking(*m_viewControls->menu(), *m_grid, *m_gridModel, *m_document, *m_dialogs, this);
    new CaptureMemory(*m_viewControls->menu(), *m_document, *m_dialogs, this);

    QMenu *tools = addNamedMenu(menuBar(), "mnuTools", QStringLiteral("&Tools"));
    connect(addNamedItem(tools, "mnuLoopTest", QStringLiteral("Loop Test...")), &QAction::triggered,
        this, &frmMain::mnuLoopTest_Click);

    QMenu *help = addNamedMenu(menuBar(), "mnuHelp", QStringLiteral("&Help"));
    QAction *about = addNamedItem(help, "mnuAbout", QStringLiteral("About"));
    about->setShortcut(QKeySequence(Qt::Key_F1));
    connect(about, &QAction::triggered, this, &frmMain::mnuAbout_Click);
}

void frmMain::createFileMenu()
{
    QMenu *file = addNamedMenu(menuBar(), "mnuFile", QStringLiteral("&File"));
    connect(addNamedItem(file, "mnuSaveIn", QStringLiteral("Save MIDI IN as Text")),
        &QAction::triggered, this, &frmMain::mnuSaveIn_Click);
    connect(addNamedItem(file, "mnuSaveInOut", QStringLiteral("Save MIDI IN and OUT as Text")),
        &QAction::triggered, this, &frmMain::mnuSaveInOut_Click);
    m_captureFiles->addMenuItems(file);
    m_diskRecording->addMenuItems(file);
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
}
