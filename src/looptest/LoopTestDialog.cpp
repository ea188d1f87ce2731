#include "LoopTestDialog.h"

#include "files/SafeFile.h"
#include "frame/DialogService.h"
#include "ports/PortError.h"
#include "ports/PortSystem.h"
#include "timing/HistogramView.h"

#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>
#include <utility>

namespace {

struct PatternChoice
{
    LoopSettings::Pattern pattern;
    const char *caption;
    const char *rateCaption;
};

constexpr PatternChoice PatternChoices[] = {
    {LoopSettings::Pattern::Channel, "Channel messages at a rate", "Messages a second:"},
    {LoopSettings::Pattern::Burst, "A burst every second", "Messages a burst:"},
    {LoopSettings::Pattern::SysEx, "SysEx dumps", "Dumps a second:"},
};

template<typename T>
T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

void refill(QComboBox &list, const QStringList &names)
{
    const QString chosen = list.currentText();
    list.clear();
    list.addItems(names);
    if (names.contains(chosen))
        list.setCurrentText(chosen);
}

} // namespace

LoopTestDialog::LoopTestDialog(
    std::shared_ptr<PortSystem> ports, DialogService &dialogs, QWidget *parent)
    : QDialog(parent)
    , m_ports(std::move(ports))
    , m_dialogs(dialogs)
    , m_test(m_ports)
    , m_output(named(new QComboBox, "cboLoopOutput"))
    , m_input(named(new QComboBox, "cboLoopInput"))
    , m_pattern(named(new QComboBox, "cboLoopPattern"))
    , m_rateLabel(new QLabel)
    , m_rate(named(new QSpinBox, "spnLoopRate"))
    , m_size(named(new QSpinBox, "spnLoopSysExSize"))
    , m_seconds(named(new QDoubleSpinBox, "spnLoopSeconds"))
    , m_start(named(new QPushButton(QStringLiteral("Start")), "btnLoopStart"))
    , m_results(named(new QPlainTextEdit, "txtLoopResults"))
    , m_histogram(new HistogramView)
{
    setWindowTitle(QStringLiteral("Loop Test"));
    setUpFields();
    layOut();
    connect(m_pattern, &QComboBox::currentIndexChanged, this, &LoopTestDialog::patternChosen);
    connect(m_start, &QPushButton::clicked, this, &LoopTestDialog::startOrStop);
    connect(&m_test, &LoopTest::progressed, this, &LoopTestDialog::showResults);
    connect(
        &m_test, &LoopTest::finished, this, [this] { m_start->setText(QStringLiteral("Start")); });
    connect(m_ports.get(), &PortSystem::devicesChanged, this, &LoopTestDialog::refreshPorts);
    for (QComboBox *list : {m_output, m_input})
        connect(list, &QComboBox::currentTextChanged, this, &LoopTestDialog::holdChosenPorts);
    patternChosen();
    refreshPorts();
}

void LoopTestDialog::setUpFields()
{
    for (const PatternChoice &choice : PatternChoices)
        m_pattern->addItem(QLatin1String(choice.caption));
    m_rate->setRange(1, 1'000'000);
    m_rate->setValue(1000);
    m_size->setRange(int(LoadMessages::SmallestSysEx), int(LoadMessages::LargestSysEx));
    m_size->setValue(256);
    m_size->setSuffix(QStringLiteral(" bytes"));
    m_seconds->setRange(0.1, 3600);
    m_seconds->setValue(5);
    m_seconds->setSuffix(QStringLiteral(" s"));
    m_results->setReadOnly(true);
    m_results->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // Enter starts a run, from whichever field has the focus.
    m_start->setDefault(true);
}

// The results on top, beside their histogram, where a run is watched; the choices below in
// two columns, so that the whole dialog fits a small screen at a large scale.
void LoopTestDialog::layOut()
{
    auto *copy = named(new QPushButton(QStringLiteral("Copy")), "btnLoopCopy");
    auto *save = named(new QPushButton(QStringLiteral("Save as CSV...")), "btnLoopSave");
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->addButton(m_start, QDialogButtonBox::ActionRole);
    buttons->addButton(copy, QDialogButtonBox::ActionRole);
    buttons->addButton(save, QDialogButtonBox::ActionRole);
    buttons->button(QDialogButtonBox::Close)->setAutoDefault(false);
    auto *path = new QFormLayout;
    path->addRow(QStringLiteral("Send from:"), m_output);
    path->addRow(QStringLiteral("Read back on:"), m_input);
    path->addRow(QStringLiteral("Pattern:"), m_pattern);
    auto *run = new QFormLayout;
    run->addRow(m_rateLabel, m_rate);
    run->addRow(QStringLiteral("SysEx size:"), m_size);
    run->addRow(QStringLiteral("Duration:"), m_seconds);
    auto *results = new QHBoxLayout;
    results->addWidget(m_results, 3);
    results->addWidget(m_histogram, 2);
    auto *choices = new QHBoxLayout;
    choices->addLayout(path, 3);
    choices->addLayout(run, 2);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(results, 1);
    layout->addLayout(choices);
    layout->addWidget(buttons);
    connect(copy, &QPushButton::clicked, this,
        [this] { QGuiApplication::clipboard()->setText(reportText()); });
    connect(save, &QPushButton::clicked, this, &LoopTestDialog::saveCsv);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

// While the dialog is open, the chosen path's ports are: other programs can be connected to
// Lumetra's virtual ports before a run starts.
void LoopTestDialog::holdChosenPorts()
{
    if (!isVisible() || m_test.isRunning())
        return;
    try {
        m_test.holdPorts({m_output->currentText(), m_input->currentText()});
        if (std::exchange(m_holdFailed, false))
            m_results->clear();
    } catch (const PortError &error) {
        // Start says so again, in a message box, if the port is still missing then.
        m_results->setPlainText(error.description());
        m_holdFailed = true;
    }
}

void LoopTestDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    holdChosenPorts();
}

void LoopTestDialog::hideEvent(QHideEvent *event)
{
    m_test.releasePorts();
    QDialog::hideEvent(event);
}

void LoopTestDialog::refreshPorts()
{
    {
        // The lists are emptied and filled again: the ports held follow the outcome alone.
        const QSignalBlocker outputs(m_output);
        const QSignalBlocker inputs(m_input);
        refill(*m_output, m_ports->names(PortDirection::Output));
        refill(*m_input, m_ports->names(PortDirection::Input));
    }
    holdChosenPorts();
}

void LoopTestDialog::patternChosen()
{
    const PatternChoice &choice = PatternChoices[std::max(m_pattern->currentIndex(), 0)];
    m_rateLabel->setText(QLatin1String(choice.rateCaption));
    m_size->setEnabled(choice.pattern == LoopSettings::Pattern::SysEx);
}

void LoopTestDialog::startOrStop()
{
    if (m_test.isRunning()) {
        m_test.stop();
        return;
    }
    LoopSettings settings;
    settings.pattern = PatternChoices[std::max(m_pattern->currentIndex(), 0)].pattern;
    settings.rate = m_rate->value();
    settings.seconds = m_seconds->value();
    settings.sysExSize = std::size_t(m_size->value());
    try {
        m_test.start({m_output->currentText(), m_input->currentText()}, settings);
        m_start->setText(QStringLiteral("Stop"));
    } catch (const std::exception &error) {
        m_dialogs.showMessage(QString::fromLocal8Bit(error.what()), DialogService::ApplicationTitle,
            DialogService::Icon::Exclamation);
    }
}

QString LoopTestDialog::reportText() const
{
    return LoopReport::text(m_test.path(), m_test.results());
}

void LoopTestDialog::showResults()
{
    const LoopResults results = m_test.results();
    m_results->setPlainText(LoopReport::text(m_test.path(), results));
    if (results.latency)
        m_histogram->setBins(
            results.latency->histogram, results.latency->minUs, results.latency->binWidthUs);
}

void LoopTestDialog::saveCsv()
{
    const QString path
        = m_dialogs.askSavePath(QStringLiteral("LoopTest"), QStringLiteral("CSV files (*.csv)"));
    if (path.isEmpty())
        return;
    const QByteArray csv = LoopReport::csv(m_test.path(), m_test.results()).toUtf8();
    if (const QString error
        = SafeFile::saveWhole(path, [&](QIODevice &out) { return SafeFile::writeAll(out, csv); });
        !error.isEmpty())
        m_dialogs.showMessage(QStringLiteral("Cannot save \"%1\": %2").arg(path, error));
}
