#include "LoopTestDialog.h"

#include "files/SafeFile.h"
#include "frame/DialogService.h"
#include "ports/PortSystem.h"
#include "timing/HistogramView.h"

#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

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

    auto *copy = named(new QPushButton(QStringLiteral("Copy")), "btnLoopCopy");
    auto *save = named(new QPushButton(QStringLiteral("Save as CSV...")), "btnLoopSave");
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->addButton(m_start, QDialogButtonBox::ActionRole);
    buttons->addButton(copy, QDialogButtonBox::ActionRole);
    buttons->addButton(save, QDialogButtonBox::ActionRole);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Send from:"), m_output);
    form->addRow(QStringLiteral("Read back on:"), m_input);
    form->addRow(QStringLiteral("Pattern:"), m_pattern);
    form->addRow(m_rateLabel, m_rate);
    form->addRow(QStringLiteral("SysEx size:"), m_size);
    form->addRow(QStringLiteral("Duration:"), m_seconds);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_results, 1);
    layout->addWidget(m_histogram, 1);
    layout->addWidget(buttons);

    connect(m_pattern, &QComboBox::currentIndexChanged, this, &LoopTestDialog::patternChosen);
    connect(m_start, &QPushButton::clicked, this, &LoopTestDialog::startOrStop);
    connect(copy, &QPushButton::clicked, this,
        [this] { QGuiApplication::clipboard()->setText(reportText()); });
    connect(save, &QPushButton::clicked, this, &LoopTestDialog::saveCsv);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(&m_test, &LoopTest::progressed, this, &LoopTestDialog::showResults);
    connect(
        &m_test, &LoopTest::finished, this, [this] { m_start->setText(QStringLiteral("Start")); });
    connect(m_ports.get(), &PortSystem::devicesChanged, this, &LoopTestDialog::refreshPorts);
    patternChosen();
    refreshPorts();
}

void LoopTestDialog::refreshPorts()
{
    refill(*m_output, m_ports->names(PortDirection::Output));
    refill(*m_input, m_ports->names(PortDirection::Input));
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
