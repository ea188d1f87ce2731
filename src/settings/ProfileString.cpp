#include "ProfileString.h"

#include <QFile>
#include <QSaveFile>
#include <vector>

namespace ProfileString {
namespace {

    struct Line
    {
        QByteArray text; // without its line end
        enum class Kind { Other, Section, Key } kind = Kind::Other;
        QByteArray name; // section or key name, trimmed
    };

    QByteArray trimBlanks(QByteArray text)
    {
        while (!text.isEmpty() && (text.front() == ' ' || text.front() == '\t'))
            text.remove(0, 1);
        while (!text.isEmpty() && (text.back() == ' ' || text.back() == '\t'))
            text.chop(1);
        return text;
    }

    bool sameName(const QByteArray &a, const QByteArray &b)
    {
        return a.compare(b, Qt::CaseInsensitive) == 0;
    }

    struct IniFile
    {
        std::vector<Line> lines;
        QByteArray lineEnd = "\r\n";
        bool endsWithLineEnd = true;

        static IniFile parse(const QByteArray &bytes)
        {
            IniFile file;
            if (bytes.isEmpty())
                return file;
            const qsizetype firstNewline = bytes.indexOf('\n');
            file.lineEnd = firstNewline > 0 && bytes[firstNewline - 1] == '\r' ? "\r\n" : "\n";
            file.endsWithLineEnd = bytes.endsWith('\n');
            QList<QByteArray> texts = bytes.split('\n');
            if (file.endsWithLineEnd)
                texts.removeLast();
            bool inSection = false;
            for (QByteArray &text : texts) {
                if (text.endsWith('\r'))
                    text.chop(1);
                file.lines.push_back(classify(text, inSection));
            }
            return file;
        }

        static Line classify(const QByteArray &text, bool &inSection)
        {
            Line line {text, Line::Kind::Other, {}};
            const QByteArray trimmed = trimBlanks(text);
            if (trimmed.startsWith('[')) {
                const qsizetype close = trimmed.indexOf(']');
                line.kind = Line::Kind::Section;
                line.name = trimBlanks(trimmed.mid(1, close < 0 ? -1 : close - 1));
                inSection = true;
            } else if (inSection && !trimmed.isEmpty() && !trimmed.startsWith(';')
                && !trimmed.startsWith('#')) {
                line.kind = Line::Kind::Key;
                const qsizetype equals = trimmed.indexOf('=');
                line.name = trimBlanks(equals < 0 ? trimmed : trimmed.left(equals));
            }
            return line;
        }

        QByteArray serialize() const
        {
            QByteArray bytes;
            for (std::size_t i = 0; i < lines.size(); ++i) {
                bytes += lines[i].text;
                if (i + 1 < lines.size() || endsWithLineEnd)
                    bytes += lineEnd;
            }
            return bytes;
        }

        // Index of the section's heading, or -1.
        qsizetype findSection(const QByteArray &name) const
        {
            for (std::size_t i = 0; i < lines.size(); ++i)
                if (lines[i].kind == Line::Kind::Section && sameName(lines[i].name, name))
                    return qsizetype(i);
            return -1;
        }

        // One past the section's last line.
        qsizetype sectionEnd(qsizetype heading) const
        {
            qsizetype i = heading + 1;
            while (i < qsizetype(lines.size()) && lines[std::size_t(i)].kind != Line::Kind::Section)
                ++i;
            return i;
        }

        qsizetype findKey(qsizetype heading, const QByteArray &name) const
        {
            for (qsizetype i = heading + 1; i < sectionEnd(heading); ++i)
                if (lines[std::size_t(i)].kind == Line::Kind::Key
                    && sameName(lines[std::size_t(i)].name, name))
                    return i;
            return -1;
        }
    };

    QByteArray valueOf(const Line &line)
    {
        const qsizetype equals = line.text.indexOf('=');
        if (equals < 0)
            return {};
        QByteArray value = trimBlanks(line.text.mid(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
            && value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        return value;
    }

    QByteArray readFile(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    int copyText(const QByteArray &text, QByteArray &buffer)
    {
        if (buffer.isEmpty())
            return 0;
        const int count = int(std::min<qsizetype>(text.size(), buffer.size() - 1));
        std::copy_n(text.constData(), count, buffer.data());
        buffer[count] = '\0';
        return count;
    }

    int copyNameList(const std::vector<QByteArray> &names, QByteArray &buffer)
    {
        const qsizetype size = buffer.size();
        if (size < 2)
            return 0;
        qsizetype used = 0;
        for (const QByteArray &name : names) {
            if (used + name.size() + 1 > size - 1) {
                // The last name is cut, and the list still ends in two NULs.
                const qsizetype room = size - 2 - used;
                std::copy_n(name.constData(), room, buffer.data() + used);
                buffer[size - 2] = '\0';
                buffer[size - 1] = '\0';
                return int(size - 2);
            }
            std::copy_n(name.constData(), name.size(), buffer.data() + used);
            used += name.size();
            buffer[used++] = '\0';
        }
        buffer[used] = '\0';
        return int(used);
    }

    bool holdsLineBreak(const ProfileString::Text &text)
    {
        return text && (text->contains('\n') || text->contains('\r'));
    }

    // A name the file could not give back as written: blanks at its ends are not kept, and a
    // key that starts like a heading or a comment would read as one.
    bool unreadableName(const ProfileString::Text &name, bool isKey)
    {
        if (!name || name->isEmpty())
            return false;
        if (*name != trimBlanks(*name))
            return true;
        if (!isKey)
            return name->contains(']');
        return name->contains('=') || name->startsWith('[') || name->startsWith(';')
            || name->startsWith('#');
    }

    bool fail(QString *error, const QString &reason)
    {
        if (error)
            *error = reason;
        return false;
    }

} // namespace

int read(const Text &section, const Text &key, const Text &defaultValue, QByteArray &buffer,
    const QString &file)
{
    const IniFile ini = IniFile::parse(readFile(file));
    std::vector<QByteArray> names;
    if (!section) {
        for (const Line &line : ini.lines)
            if (line.kind == Line::Kind::Section)
                names.push_back(line.name);
        return copyNameList(names, buffer);
    }
    const qsizetype heading = ini.findSection(*section);
    if (!key) {
        if (heading >= 0)
            for (qsizetype i = heading + 1; i < ini.sectionEnd(heading); ++i)
                if (ini.lines[std::size_t(i)].kind == Line::Kind::Key)
                    names.push_back(ini.lines[std::size_t(i)].name);
        return copyNameList(names, buffer);
    }
    const qsizetype line = heading < 0 ? -1 : ini.findKey(heading, *key);
    return copyText(
        line < 0 ? defaultValue.value_or(QByteArray()) : valueOf(ini.lines[std::size_t(line)]),
        buffer);
}

bool write(
    const Text &section, const Text &key, const Text &value, const QString &file, QString *error)
{
    if (!section)
        return fail(error, QStringLiteral("No section was given."));
    if (holdsLineBreak(section) || holdsLineBreak(key) || holdsLineBreak(value)
        || unreadableName(section, false) || unreadableName(key, true))
        return fail(
            error, QStringLiteral("A name or value holds a character the file cannot keep."));

    // A file that is there but cannot be read must not be replaced by one without its lines.
    QFile existing(file);
    if (existing.exists() && !existing.open(QIODevice::ReadOnly))
        return fail(error, existing.errorString());
    IniFile ini = IniFile::parse(existing.isOpen() ? existing.readAll() : QByteArray());
    existing.close();
    qsizetype heading = ini.findSection(*section);
    if (!key) {
        if (heading < 0)
            return true; // nothing to remove: the file is left untouched
        ini.lines.erase(ini.lines.begin() + heading, ini.lines.begin() + ini.sectionEnd(heading));
    } else if (!value) {
        const qsizetype line = heading < 0 ? -1 : ini.findKey(heading, *key);
        if (line < 0)
            return true;
        ini.lines.erase(ini.lines.begin() + line);
    } else {
        const Line entry {*key + '=' + *value, Line::Kind::Key, *key};
        if (heading < 0) {
            ini.lines.push_back({'[' + *section + ']', Line::Kind::Section, *section});
            ini.lines.push_back(entry);
        } else if (const qsizetype line = ini.findKey(heading, *key); line >= 0) {
            ini.lines[std::size_t(line)].text = *key + '=' + *value;
        } else {
            // After the section's last line that is not blank, so blank lines that part
            // sections stay where they are.
            qsizetype at = ini.sectionEnd(heading);
            while (at > heading + 1 && trimBlanks(ini.lines[std::size_t(at - 1)].text).isEmpty())
                --at;
            ini.lines.insert(ini.lines.begin() + at, entry);
        }
        ini.endsWithLineEnd = true;
    }

    // Unbuffered, so that a write the disk refuses part-way is seen here: QSaveFile would
    // otherwise commit what reached the disk.
    QSaveFile out(file);
    const QByteArray bytes = ini.serialize();
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(error, out.errorString());
    if (out.write(bytes) != bytes.size()) {
        const QString reason = out.errorString();
        out.cancelWriting();
        return fail(error, reason);
    }
    if (!out.commit())
        return fail(error, out.errorString());
    return true;
}

} // namespace ProfileString
