#include "IntervalDialog.h"

#include "HistogramView.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

struct KindChoice
{
    std::uint8_t kind;
    const char *caption;
};

constexpr KindChoice KindChoices[] = {
    {0x80, "Note Off"},
    {0x90, "Note On"},
    {0xA0, "Polyphonic Key Pressure"},
    {0xB0, "Control Change"},
    {0xC0, "Program Change"},
    {0xD0, "Channel Pressure"},
    {0xE0, "Pitch Bend"},
    {0xF0, "System Exclusive"},
    {0xF1, "MTC Quarter Frame"},
    {0xF2, "Song Position"},
    {0xF3, "Song Select"},
    {0xF6, "Tune Request"},
    {0xF8, "Timing Clock"},
    {0xFA, "Start"},
    {0xFB, "Continue"},
    {0xFC, "Stop"},
    {0xFE, "Active Sensing"},
    {0xFF, "System Reset"},
};

QComboBox *namedCombo(const char *name, QWidget *parent)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    return combo;
}

// Selects the entry whose data is `value`, or the first (any) when none is.
void chooseData(QComboBox *combo, const QVariant &value)
{
    combo->setCurrentIndex(std::max(combo->findData(value), 0));
}

} // namespace

IntervalDialog::IntervalDialog(const CaptureStore &rows, QWidget *parent)
    : QDialog(parent)
    , m_rows(rows)
    , m_kind(namedCombo("cboIntervalKind", this))
    , m_channel(namedCombo("cboIntervalChannel", this))
    , m_source(namedCombo("cboIntervalSource", this))
    , m_pause(new QSpinBox(this))
    , m_selectedOnly(new QCheckBox(QStringLiteral("Only the selected rows"), this))
    , m_notice(new QLabel(this))
    , m_histogram(new HistogramView(this))
{
    setObjectName(QStringLiteral("frmIntervals"));
    setWindowTitle(QStringLiteral("Interval Statistics"));
    for (const KindChoice &choice : KindChoices)
        m_kind->addItem(QLatin1String(choice.caption), choice.kind);
    m_channel->addItem(QStringLiteral("Any"), -1);
    for (int channel = 0; channel < 16; ++channel)
        m_channel->addItem(QString::number(channel + 1), channel);
    m_pause->setObjectName(QStringLiteral("spnIntervalPause"));
    m_pause->setRange(0, 100'000);
    m_pause->setValue(IntervalStatistics::Scope::DefaultPauseIntervals);
    m_pause->setSpecialValueText(QStringLiteral("never"));
    m_pause->setSuffix(QStringLiteral(" intervals"));
    m_selectedOnly->setObjectName(QStringLiteral("chkIntervalSelectedRows"));
    m_notice->setObjectName(QStringLiteral("lblIntervalNotice"));

    layOut();
    for (QComboBox *combo : {m_kind, m_channel, m_source})
        connect(combo, &QComboBox::activated, this, &IntervalDialog::measureChosen);
    connect(m_pause, &QSpinBox::valueChanged, this, &IntervalDialog::measureChosen);
    connect(m_selectedOnly, &QCheckBox::toggled, this, &IntervalDialog::measureChosen);
}

void IntervalDialog::layOut()
{
    auto *choices = new QFormLayout;
    choices->addRow(QStringLiteral("Kind"), m_kind);
    choices->addRow(QStringLiteral("Channel"), m_channel);
    choices->addRow(QStringLiteral("Source"), m_source);
    choices->addRow(QStringLiteral("Leave out pauses longer than"), m_pause);
    choices->addRow(QString(), m_selectedOnly);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton *copy = buttons->addButton(QStringLiteral("&Copy"), QDialogButtonBox::ActionRole);
    copy->setObjectName(QStringLiteral("btnCopyIntervals"));
    connect(copy, &QPushButton::clicked, this, &IntervalDialog::copyFigures);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addLayout(figureGrid());
    layout->addWidget(m_notice);
    layout->addWidget(m_histogram, 1);
    layout->addWidget(buttons);
}

// Each figure in a place of its own, its value right-aligned in a column wide enough for
// any, so that nothing moves as the figures change.
QGridLayout *IntervalDialog::figureGrid()
{
    auto *grid = new QGridLayout;
    const int widest = fontMetrics().horizontalAdvance(QStringLiteral("-9999999999.9"));
    int row = 0;
    for (const auto &[words, value] : IntervalStatistics::lines({})) {
        grid->addWidget(new QLabel(words, this), row, 0);
        auto *shown = new QLabel(this);
        shown->setObjectName(QStringLiteral("lblIntervalFigure%1").arg(row));
        shown->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        shown->setMinimumWidth(widest);
        shown->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(shown, row++, 1);
        m_values.push_back(shown);
    }
    grid->setColumnStretch(2, 1);
    return grid;
}

void IntervalDialog::fillSources()
{
    m_source->clear();
    m_source->addItem(QStringLiteral("Any"), -1);
    for (std::size_t source = 0; source < CaptureStore::MaxSources; ++source) {
        const QString name = m_rows.sourceName(CaptureStore::Source(source));
        if (name.isEmpty())
            break;
        m_source->addItem(name, int(source));
    }
}

void IntervalDialog::measureFor(const IntervalStatistics::Selection &selection,
    std::optional<IntervalStatistics::RowRange> selectedRows)
{
    fillSources();
    chooseData(m_kind, selection.kind);
    chooseData(m_channel, selection.channel ? int(*selection.channel) : -1);
    chooseData(m_source, selection.source ? int(*selection.source) : -1);
    m_selectedRows = selectedRows;
    m_selectedOnly->setEnabled(selectedRows.has_value());
    m_selectedOnly->setText(selectedRows ? QStringLiteral("Only the selected rows (%1 to %2)")
                                               .arg(selectedRows->first + 1)
                                               .arg(selectedRows->end)
                                         : QStringLiteral("Only the selected rows"));
    const QSignalBlocker quiet(m_selectedOnly);
    m_selectedOnly->setChecked(selectedRows.has_value());
    measureChosen();
}

void IntervalDialog::measureChosen()
{
    IntervalStatistics::Selection selection;
    selection.kind = std::uint8_t(m_kind->currentData().toInt());
    const bool channelKind = selection.kind < 0xF0;
    m_channel->setEnabled(channelKind);
    if (const int channel = m_channel->currentData().toInt(); channelKind && channel >= 0)
        selection.channel = std::uint8_t(channel);
    if (const int source = m_source->currentData().toInt(); source >= 0)
        selection.source = CaptureStore::Source(source);
    IntervalStatistics::Scope scope;
    if (m_selectedOnly->isChecked())
        scope.rows = m_selectedRows;
    scope.pauseIntervals = m_pause->value();
    m_measured = IntervalStatistics::measure(m_rows, selection, scope);
    showFigures();
}

void IntervalDialog::showFigures()
{
    const auto lines
        = IntervalStatistics::lines(m_measured.value_or(IntervalStatistics::Figures {}));
    for (std::size_t line = 0; line < lines.size(); ++line)
        m_values[line]->setText(m_measured ? lines[line].second : QString());
    m_notice->setText(m_measured ? QString() : QStringLiteral("No interval to measure."));
    if (m_measured)
        m_histogram->setBins(m_measured->histogram, m_measured->minUs, m_measured->binWidthUs);
    else
        m_histogram->setBins({}, 0, 1);
}

QString IntervalDialog::figuresText() const
{
    return m_measured ? IntervalStatistics::text(*m_measured) : QString();
}

void IntervalDialog::copyFigures() const
{
    QGuiApplication::clipboard()->setText(figuresText());
}
