#include "TimeOfDay.h"

#include <QDateTime>

QString TimeOfDay::of(const CaptureStore &rows, std::size_t row) const
{
    std::string text;
    append(text, rows, row);
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

void TimeOfDay::append(std::string &out, const CaptureStore &rows, std::size_t row) const
{
    if (const std::optional<std::int64_t> ms = rows.wallMs(row))
        appendMs(out, *ms);
}

void TimeOfDay::appendMs(std::string &out, std::int64_t ms) const
{
    const auto millisecond = int((ms % 1000 + 1000) % 1000);
    const std::int64_t second = (ms - millisecond) / 1000;
    // The calendar only where the second changes: a zone's offset changes on whole seconds.
    if (second != m_second) {
        m_second = second;
        m_secondText = QDateTime::fromSecsSinceEpoch(second)
                           .toString(QStringLiteral("HH:mm:ss."))
                           .toStdString();
    }
    out += m_secondText;
    out += char('0' + millisecond / 100);
    out += char('0' + millisecond / 10 % 10);
    out += char('0' + millisecond % 10);
}
