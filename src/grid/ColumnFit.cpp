#include "ColumnFit.h"

#include "EventGridModel.h"
#include "EventView.h"
#include "decode/modFormat.h"
#include "rows/RowCells.h"

#include <QEvent>
#include <QHeaderView>
#include <algorithm>

namespace {

using namespace RowColumns;

constexpr const char *FixedNames[Count]
    = {"Timestamp", "Status", "Data1", "Data2", "Channel", "Event", "SysExData"};

// The widest each form of the time stamp usually gets (digits are alike in width): 115
// days since start, a delta of a day, 11 days in seconds; a sent row's words.
QString widestStamp(ViewSettings::Time time)
{
    switch (time) {
    case ViewSettings::Time::SinceStart:
        return QStringLiteral("8888888888");
    case ViewSettings::Time::TimeOfDay:
        return QStringLiteral("88:88:88.888");
    case ViewSettings::Time::Delta:
        return QStringLiteral("+88888888");
    case ViewSettings::Time::Seconds:
        return QStringLiteral("888888.888888");
    }
    return {};
}

// Narrower than this, a stretching column would show too little to be worth a glance.
constexpr int SysExLeastCharacters = 12;
constexpr int DetailsLeastCharacters = 20;
constexpr int SourceMostCharacters = 40;
// A mark's dot and the start of its note; the tooltip has the rest.
constexpr int MarkCharacters = 16;
// Details read longer than the bytes beside them, which most rows leave empty: they get this
// part of the room, in hundredths.
constexpr int DetailsShare = 60;

} // namespace

ColumnFit::ColumnFit(EventView &view, const EventGridModel &model)
    : QObject(&view)
    , m_view(view)
    , m_viewport(view.viewport())
    , m_model(model)
{
    m_viewport->installEventFilter(this);
    QHeaderView *header = m_view.horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    // Every width set outside fit() is the user's: a drag of an edge, or a double click on it.
    connect(header, &QHeaderView::sectionResized, this, [this](int column, int, int width) {
        if (!m_fitting)
            userResized(column, width);
    });
}

QString ColumnFit::nameOf(int column) const
{
    if (column == m_model.sourceColumn())
        return QStringLiteral("Source");
    if (column == m_model.groupColumn())
        return QStringLiteral("Group");
    if (column == m_model.markColumn())
        return QStringLiteral("Mark");
    if (isDetails(column))
        return QStringLiteral("Details");
    return column >= 0 && column < Count ? QLatin1String(FixedNames[column]) : QString();
}

void ColumnFit::setUserWidths(const Widths &widths)
{
    m_userWidths = widths;
    fit();
}

void ColumnFit::forgetUserWidths()
{
    m_userWidths.clear();
    fit();
}

void ColumnFit::fit()
{
    m_fitting = true;
    QList<int> stretching;
    int taken = 0;
    for (int column = 0; column < m_model.columnCount(); ++column) {
        const auto user = m_userWidths.constFind(nameOf(column));
        if (user == m_userWidths.cend() && stretches(column)) {
            stretching << column;
            continue;
        }
        const int width = user != m_userWidths.cend() ? *user : contentWidth(column);
        resizeSection(column, width);
        taken += width;
    }
    shareStretch(stretching, m_view.viewport()->width() - taken);
    m_sourcesFitted = m_model.store().sourceCount();
    m_fitting = false;
}

// SysEx Data and Details; with Details hidden, the Source column stands in Details' place.
bool ColumnFit::stretches(int column) const
{
    return column == SysExData || isDetails(column);
}

bool ColumnFit::isDetails(int column) const
{
    return column == EventGridModel::DetailsColumn && m_model.viewSettings().details;
}

void ColumnFit::fitNewSources()
{
    if (m_model.sourceColumn() >= 0 && m_model.store().sourceCount() != m_sourcesFitted)
        fit();
}

void ColumnFit::shareStretch(const QList<int> &stretching, int room)
{
    const int character = m_view.fontMetrics().averageCharWidth();
    int left = room;
    for (int column : stretching) {
        const bool details = isDetails(column);
        const int share = column == stretching.back() ? left
            : details                                 ? room * DetailsShare / 100
                                                      : room * (100 - DetailsShare) / 100;
        const int least
            = std::max(character * (details ? DetailsLeastCharacters : SysExLeastCharacters),
                m_view.horizontalHeader()->sectionSizeHint(column));
        resizeSection(column, std::max(share, least));
        left -= share;
    }
}

// As the item delegate draws a cell: a margin each side of the text.
void ColumnFit::resizeSection(int column, int width)
{
    m_view.horizontalHeader()->resizeSection(column, width);
}

int ColumnFit::contentWidth(int column) const
{
    return std::max(widestText(column) + m_view.textMargins() + 2,
        m_view.horizontalHeader()->sectionSizeHint(column));
}

int ColumnFit::widestText(int column) const
{
    const QFontMetrics metrics = m_view.fontMetrics();
    if (column == m_model.markColumn())
        return metrics.averageCharWidth() * MarkCharacters;
    if (column == m_model.sourceColumn()) {
        int widest = 0;
        for (std::size_t source = 0; source < m_model.store().sourceCount(); ++source)
            widest = std::max(widest,
                metrics.horizontalAdvance(
                    m_model.store().sourceName(CaptureStore::Source(source))));
        return std::min(widest, metrics.averageCharWidth() * SourceMostCharacters);
    }
    switch (column) {
    case Timestamp: {
        const ViewSettings::Time time = m_model.viewSettings().time;
        // A sent row's words come before its stamp in the views that show it.
        const QString sent = QStringLiteral("SEND ERR")
            + (time == ViewSettings::Time::SinceStart ? QString()
                                                      : QLatin1Char(' ') + widestStamp(time));
        return std::max(
            metrics.horizontalAdvance(widestStamp(time)), metrics.horizontalAdvance(sent));
    }
    case Event:
        return widestEventName();
    default:
        return metrics.horizontalAdvance(QStringLiteral("888"));
    }
}

namespace {

// Every event name the grid shows, as it shows them: found from the formatter itself, so
// that a new one is never cut.
const QStringList &eventNames()
{
    static const QStringList names = [] {
        QStringList found;
        const auto add = [&](const std::string &row) {
            found << QString::fromLatin1(RowCells::tabField(row, Event)).toUpper();
        };
        add(modFormat::SysExRowStart(0));
        for (int status = 0x80; status <= 0xFF; ++status)
            for (const std::uint8_t data1 : {0x00, 0x79}) {
                const std::uint8_t bytes[] = {std::uint8_t(status), data1, 0x40};
                add(modFormat::FormatReceivedRow(bytes, 0));
            }
        found.removeDuplicates();
        return found;
    }();
    return names;
}

} // namespace

int ColumnFit::widestEventName() const
{
    const QFontMetrics metrics = m_view.fontMetrics();
    int widest = 0;
    for (const QString &name : eventNames())
        widest = std::max(widest, metrics.horizontalAdvance(name));
    return widest;
}

void ColumnFit::userResized(int column, int width)
{
    if (const QString name = nameOf(column); !name.isEmpty())
        m_userWidths.insert(name, width);
}

// The viewport, not the view: its width is what the columns share.
bool ColumnFit::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize)
        fit();
    return QObject::eventFilter(watched, event);
}
