#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <initializer_list>
#include <optional>

// The lines of an INI file, found in its bytes only when asked for: nothing is kept per line,
// so an operation costs time and memory in proportion to the file's size alone, whatever its
// shape. Lines end at CR LF, LF or a lone CR; a UTF-8 byte-order mark before the first line is
// no part of it. An edit changes the bytes it names and no others, so every other line keeps
// its bytes and its own line end.
class IniText
{
public:
    enum class Kind : std::uint8_t { Other, Section, Key };

    struct Line
    {
        qsizetype start = 0; // the first byte of its text
        qsizetype textEnd = 0; // where its line end starts, or the end of the file
        qsizetype next = 0; // past its line end, where the next line starts
        Kind kind = Kind::Other;
        QByteArrayView name; // of the section or key, without the blanks around it
    };

    // A heading and its lines, up to the next heading or the end of the file.
    struct Section
    {
        Line heading;
        qsizetype end = 0;
    };

    explicit IniText(QByteArray bytes);

    const QByteArray &bytes() const { return m_bytes; }

    // Of duplicate names (letter case aside) the first is the one found.
    std::optional<Section> findSection(QByteArrayView name) const;
    std::optional<Line> findKey(const Section &section, QByteArrayView name) const;
    // What follows '=', without the blanks around it and without matching quotes.
    QByteArrayView valueOf(const Line &key) const;

    // Calls visit(name) for every heading, or for every key of a section, in the order of the
    // file, until visit returns false.
    template<typename Visit>
    void forEachSectionName(Visit visit) const
    {
        forEachLine(m_firstLine, m_bytes.size(), false,
            [&](const Line &line) { return line.kind != Kind::Section || visit(line.name); });
    }
    template<typename Visit>
    void forEachKeyName(const Section &section, Visit visit) const
    {
        forEachLine(section.heading.next, section.end, true,
            [&](const Line &line) { return line.kind != Kind::Key || visit(line.name); });
    }

    // Edits. Lines and sections found before an edit do not hold after it.
    void replaceText(const Line &line, QByteArrayView text);
    void removeLine(const Line &line) { removeLines(line.start, line.next); }
    void removeSection(const Section &section) { removeLines(section.heading.start, section.end); }
    // Each new line ends in the file's first line end, or CR LF when it has none.
    void addToSection(const Section &section, QByteArrayView text);
    void addAtEnd(std::initializer_list<QByteArrayView> texts);

private:
    Line lineAt(qsizetype start, bool inSection) const;
    QByteArrayView textOf(const Line &line) const
    {
        return QByteArrayView(m_bytes).sliced(line.start, line.textEnd - line.start);
    }
    qsizetype lineEndLength(qsizetype at) const;
    QByteArray firstLineEnd() const;
    qsizetype sectionEnd(qsizetype bodyStart) const;
    void removeLines(qsizetype start, qsizetype end);
    void insertLines(qsizetype at, std::initializer_list<QByteArrayView> texts);

    // Calls visit(line) for the lines starting in [from, to) until it returns false;
    // `inSection` says whether a heading comes before `from`.
    template<typename Visit>
    void forEachLine(qsizetype from, qsizetype to, bool inSection, Visit visit) const
    {
        for (qsizetype at = from; at < to;) {
            const Line line = lineAt(at, inSection);
            if (!visit(line))
                return;
            inSection = inSection || line.kind == Kind::Section;
            at = line.next;
        }
    }

    QByteArray m_bytes;
    qsizetype m_firstLine = 0; // past a byte-order mark
};
