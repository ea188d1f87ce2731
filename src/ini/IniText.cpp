#include "IniText.h"

#include <algorithm>

namespace {

constexpr QByteArrayView ByteOrderMark("\xEF\xBB\xBF");

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

QByteArrayView trimBlanks(QByteArrayView text)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && isBlank(text[from]))
        ++from;
    while (to > from && isBlank(text[to - 1]))
        --to;
    return text.sliced(from, to - from);
}

bool sameName(QByteArrayView a, QByteArrayView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

IniText::IniText(QByteArray bytes)
    : m_bytes(std::move(bytes))
    , m_firstLine(m_bytes.startsWith(ByteOrderMark) ? ByteOrderMark.size() : 0)
{ }

IniText::Line IniText::lineAt(qsizetype start, bool inSection) const
{
    const char *data = m_bytes.constData();
    Line line;
    line.start = start;
    line.textEnd = std::find_if(data + start, data + m_bytes.size(), isLineEnd) - data;
    line.next = line.textEnd + lineEndLength(line.textEnd);

    const QByteArrayView text = trimBlanks(textOf(line));
    if (text.startsWith('[')) {
        const qsizetype close = text.indexOf(']');
        line.kind = Kind::Section;
        line.name = trimBlanks(text.sliced(1, (close < 0 ? text.size() : close) - 1));
    } else if (inSection && !text.isEmpty() && !text.startsWith(';') && !text.startsWith('#')) {
        // A line without '=' is a key with an empty value.
        const qsizetype equals = text.indexOf('=');
        line.kind = Kind::Key;
        line.name = trimBlanks(equals < 0 ? text : text.first(equals));
    }
    return line;
}

qsizetype IniText::lineEndLength(qsizetype at) const
{
    if (at >= m_bytes.size())
        return 0;
    return m_bytes[at] == '\r' && at + 1 < m_bytes.size() && m_bytes[at + 1] == '\n' ? 2 : 1;
}

QByteArray IniText::firstLineEnd() const
{
    const char *data = m_bytes.constData();
    const qsizetype at = std::find_if(data + m_firstLine, data + m_bytes.size(), isLineEnd) - data;
    return at < m_bytes.size() ? m_bytes.sliced(at, lineEndLength(at)) : QByteArray("\r\n");
}

std::optional<IniText::Section> IniText::findSection(QByteArrayView name) const
{
    std::optional<Section> found;
    forEachLine(m_firstLine, m_bytes.size(), false, [&](const Line &line) {
        if (line.kind != Kind::Section || !sameName(line.name, name))
            return true;
        found = Section {line, sectionEnd(line.next)};
        return false;
    });
    return found;
}

qsizetype IniText::sectionEnd(qsizetype bodyStart) const
{
    qsizetype end = m_bytes.size();
    forEachLine(bodyStart, end, true, [&](const Line &line) {
        if (line.kind == Kind::Section)
            end = line.start;
        return line.kind != Kind::Section;
    });
    return end;
}

std::optional<IniText::Line> IniText::findKey(const Section &section, QByteArrayView name) const
{
    std::optional<Line> found;
    forEachLine(section.heading.next, section.end, true, [&](const Line &line) {
        if (line.kind == Kind::Key && sameName(line.name, name))
            found = line;
        return !found;
    });
    return found;
}

QByteArrayView IniText::valueOf(const Line &key) const
{
    const QByteArrayView text = textOf(key);
    const qsizetype equals = text.indexOf('=');
    if (equals < 0)
        return {};
    QByteArrayView value = trimBlanks(text.sliced(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
        && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return value;
}

void IniText::replaceText(const Line &line, QByteArrayView text)
{
    m_bytes.replace(line.start, line.textEnd - line.start, text);
}

void IniText::removeLines(qsizetype start, qsizetype end)
{
    m_bytes.remove(start, end - start);
}

void IniText::addToSection(const Section &section, QByteArrayView text)
{
    // After the section's last line that is not blank, so that blank lines parting sections
    // stay where they are.
    qsizetype at = section.heading.next;
    forEachLine(section.heading.next, section.end, true, [&](const Line &line) {
        if (!trimBlanks(textOf(line)).isEmpty())
            at = line.next;
        return true;
    });
    insertLines(at, {text});
}

void IniText::addAtEnd(std::initializer_list<QByteArrayView> texts)
{
    insertLines(m_bytes.size(), texts);
}

void IniText::insertLines(qsizetype at, std::initializer_list<QByteArrayView> texts)
{
    const QByteArray lineEnd = firstLineEnd();
    QByteArray lines;
    // A last line without a line end gets one before anything can follow it.
    if (at == m_bytes.size() && at > m_firstLine && !isLineEnd(m_bytes.back()))
        lines += lineEnd;
    for (QByteArrayView text : texts)
        lines.append(text).append(lineEnd);
    m_bytes.insert(at, lines);
}
