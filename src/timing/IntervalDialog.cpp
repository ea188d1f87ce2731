#include "IntervalDialog.h"

#include "HistogramView.h"

#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
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
    , m_figures(new QLabel(this))
    , m_histogram(new HistogramView(this))
{
    setObjectName(QStringLiteral("frmIntervals"));
    setWindowTitle(QStringLiteral("Interval Statistics"));
    for (const KindChoice &choice : KindChoices)
        m_kind->addItem(QLatin1String(choice.caption), choice.kind);
    m_channel->addItem(QStringLiteral("Any"), -1);
    for (int channel = 0; channel < 16; ++channel)
        m_channel->addItem(QString::number(channel + 1), channel);
    m_figures->setObjectName(QStringLiteral("lblIntervalFigures"));
    m_figures->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *choices = new QFormLayout;
    choices->addRow(QStringLiteral("Kind"), m_kind);
    choices->addRow(QStringLiteral("Channel"), m_channel);
    choices->addRow(QStringLiteral("Source"), m_source);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton *copy = buttons->addButton(QStringLiteral("&Copy"), QDialogButtonBox::ActionRole);
    copy->setObjectName(QStringLiteral("btnCopyIntervals"));
    connect(copy, &QPushButton::clicked, this, &IntervalDialog::copyFigures);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(m_figures);
    layout->addWidget(m_histogram, 1);
    layout->addWidget(buttons);
    for (QComboBox *combo : {m_kind, m_channel, m_source})
        connect(combo, &QComboBox::activated, this, &IntervalDialog::measureChosen);
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

void IntervalDialog::measureFor(const IntervalStatistics::Selection &selection)
{
    fillSources();
    chooseData(m_kind, selection.kind);
    chooseData(m_channel, selection.channel ? int(*selection.channel) : -1);
    chooseData(m_source, selection.source ? int(*selection.source) : -1);
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
    m_measured = IntervalStatistics::measure(m_rows, selection);
    m_figures->setText(m_measured ? IntervalStatistics::text(*m_measured).trimmed()
                                  : QStringLiteral("Fewer than two such messages."));
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
