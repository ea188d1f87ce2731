#include "CsvLogReader.h"

#include "ImportedRows.h"
#include "capture/TaskProgress.h"
#include "rows/RowColumns.h"

#include <QByteArrayList>
#include <optional>
#include <vector>

namespace CsvLogReader {
namespace {

    using namespace RowColumns;

    constexpr QByteArrayView Header
        = "Timestamp,Status,Data 1,Data 2,Channel,Event,SysEx Data,Time of Day,Details";

    // Where the columns after Details stand: Capture Microseconds since the stamps are kept to
    // the microsecond, Source when the rows came from several inputs, Mark when some were
    // marked.
    struct Layout
    {
        std::size_t fields = 0;
        std::optional<std::size_t> microseconds;
        std::optional<std::size_t> source;
        std::optional<std::size_t> mark;
    };

    std::optional<Layout> layoutOf(const std::vector<QByteArray> &header)
    {
        constexpr std::size_t Known = Count + 2; // the grid's columns, Time of Day, Details
        if (header.size() < Known
            || QByteArrayList(header.begin(), header.begin() + Known).join(',') != Header)
            return std::nullopt;
        Layout layout {header.size(), {}, {}, {}};
        std::size_t next = Known;
        if (next < header.size() && header[next] == "Capture Microseconds")
            layout.microseconds = next++;
        if (next < header.size() && header[next] == "Source")
            layout.source = next++;
        if (next < header.size() && header[next] == "Mark")
            layout.mark = next++;
        return next == header.size() ? std::optional(layout) : std::nullopt;
    }

    // The records of a CSV, field by field; a quoted field loses its quotes.
    class Records
    {
    public:
        explicit Records(QByteArrayView text)
            : m_text(text)
        { }

        bool atEnd() const { return m_at >= m_text.size(); }
        qsizetype line() const { return m_line; }
        qsizetype offset() const { return m_at; }

        // The next record's fields, or false when a quoted field is never closed.
        bool next(std::vector<QByteArray> &fields)
        {
            fields.clear();
            for (;;) {
                QByteArray &field = fields.emplace_back();
                if (!(peek() == '"' ? quotedField(field) : plainField(field)))
                    return false;
                const char end = peek();
                ++m_at;
                if (end != ',') {
                    ++m_line;
                    return true;
                }
            }
        }

    private:
        char peek() const { return m_at < m_text.size() ? m_text[m_at] : '\n'; }

        bool plainField(QByteArray &field)
        {
            const qsizetype start = m_at;
            while (peek() != ',' && peek() != '\n')
                ++m_at;
            field = m_text.sliced(start, m_at - start).toByteArray();
            if (field.endsWith('\r'))
                field.chop(1);
            return true;
        }

        bool quotedField(QByteArray &field)
        {
            for (++m_at; m_at < m_text.size(); ++m_at) {
                const char c = m_text[m_at];
                if (c == '\n')
                    ++m_line;
                if (c != '"') {
                    field += c;
                } else if (m_at + 1 < m_text.size() && m_text[m_at + 1] == '"') {
                    field += c;
                    ++m_at;
                } else {
                    ++m_at;
                    if (peek() == '\r')
                        ++m_at;
                    return peek() == ',' || peek() == '\n';
                }
            }
            return false;
        }

        QByteArrayView m_text;
        qsizetype m_at = 0;
        qsizetype m_line = 1;
    };

    QString readRecord(const std::vector<QByteArray> &fields, const Layout &layout,
        ImportedRows &rows, std::vector<QByteArrayView> &bytes)
    {
        bytes.clear();
        if (fields[SysExData].isEmpty()) {
            bytes = {fields[Status], fields[Data1], fields[Data2]};
        } else {
            const QByteArrayView dump = fields[SysExData];
            for (qsizetype start = 0; start < dump.size();) {
                const qsizetype space = dump.indexOf(' ', start);
                const qsizetype end = space < 0 ? dump.size() : space;
                bytes.push_back(dump.sliced(start, end - start));
                start = end + 1;
            }
        }
        const QByteArrayView input
            = layout.source ? QByteArrayView(fields[*layout.source]) : QByteArrayView();
        const QString reason = rows.appendLogged(input, fields[Timestamp], bytes,
            layout.microseconds ? QByteArrayView(fields[*layout.microseconds]) : QByteArrayView());
        // The word the CSV writes for a mark without a note.
        if (reason.isEmpty() && layout.mark && !fields[*layout.mark].isEmpty())
            rows.markLastRow(fields[*layout.mark] == "marked"
                    ? QString()
                    : QString::fromUtf8(fields[*layout.mark]).left(RowMarks::LongestNote));
        return reason;
    }

} // namespace

bool isCsvLog(QByteArrayView start)
{
    return start.startsWith(Header);
}

QString read(QByteArrayView file, ImportedRows &rows, TaskProgress &progress)
{
    progress.setTotal(std::size_t(file.size()));
    Records records(file);
    std::vector<QByteArray> fields;
    records.next(fields);
    const std::optional<Layout> layout = layoutOf(fields);
    if (!layout)
        return QStringLiteral("The file's first line is not the header of a CSV that Lumetra "
                              "saved.");
    std::vector<QByteArrayView> bytes;
    while (!records.atEnd() && !progress.cancelled) {
        const qsizetype line = records.line();
        if (!records.next(fields))
            return QStringLiteral("Line %1 opens a quoted field that the file never closes.")
                .arg(line);
        progress.setDone(std::size_t(records.offset()));
        if (fields.size() == 1 && fields[0].isEmpty())
            continue;
        const QString reason = fields.size() == layout->fields
            ? readRecord(fields, *layout, rows, bytes)
            : QStringLiteral("it has %1 fields, not %2.").arg(fields.size()).arg(layout->fields);
        if (!reason.isEmpty())
            return QStringLiteral("Line %1 is no row of a Lumetra CSV: %2").arg(line).arg(reason);
    }
    return {};
}

} // namespace CsvLogReader
