#include "ProfileString.h"

#include "IniText.h"
#include "files/SafeFile.h"

#include <algorithm>
#include <new>

namespace ProfileString {
namespace {

    int copyText(QByteArrayView text, QByteArray &buffer)
    {
        if (buffer.isEmpty())
            return 0;
        const int count = int(std::min<qsizetype>(text.size(), buffer.size() - 1));
        std::copy_n(text.data(), count, buffer.data());
        buffer[count] = '\0';
        return count;
    }

    // Names written straight into the caller's buffer, each followed by NUL, so that a file of
    // a million names costs no list of them.
    class NameList
    {
    public:
        explicit NameList(QByteArray &buffer)
            : m_buffer(buffer)
        { }

        // False once the buffer is full: the name is cut and the list ends in two NULs.
        bool add(QByteArrayView name)
        {
            const qsizetype size = m_buffer.size();
            if (size < 2 || m_full)
                return false;
            if (m_used + name.size() + 1 > size - 1) {
                const qsizetype room = size - 2 - m_used;
                std::copy_n(name.data(), std::max<qsizetype>(room, 0), m_buffer.data() + m_used);
                m_buffer[size - 2] = '\0';
                m_buffer[size - 1] = '\0';
                m_used = size - 2;
                m_full = true;
                return false;
            }
            std::copy_n(name.data(), name.size(), m_buffer.data() + m_used);
            m_used += name.size();
            m_buffer[m_used++] = '\0';
            return true;
        }

        // The count, leaving out the final NUL, which it writes.
        int finish()
        {
            if (m_buffer.size() < 2)
                return 0;
            if (!m_full)
                m_buffer[m_used] = '\0';
            return int(m_used);
        }

    private:
        QByteArray &m_buffer;
        qsizetype m_used = 0;
        bool m_full = false;
    };

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
        const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
        if (isBlank(name->front()) || isBlank(name->back()))
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

    SafeFile::Contents load(const QString &file)
    {
        return SafeFile::readRegular(file, MaxFileSize);
    }

    int readFrom(const IniText &ini, const Text &section, const Text &key, const Text &defaultValue,
        QByteArray &buffer)
    {
        if (!section) {
            NameList names(buffer);
            ini.forEachSectionName([&](QByteArrayView name) { return names.add(name); });
            return names.finish();
        }
        const std::optional<IniText::Section> found = ini.findSection(*section);
        if (!key) {
            NameList names(buffer);
            if (found)
                ini.forEachKeyName(*found, [&](QByteArrayView name) { return names.add(name); });
            return names.finish();
        }
        const std::optional<IniText::Line> line = found ? ini.findKey(*found, *key) : std::nullopt;
        if (line)
            return copyText(ini.valueOf(*line), buffer);
        return copyText(defaultValue ? QByteArrayView(*defaultValue) : QByteArrayView(), buffer);
    }

    // Returns false when there was nothing to remove, and so nothing to write.
    bool edit(IniText &ini, const QByteArray &section, const Text &key, const Text &value)
    {
        const std::optional<IniText::Section> found = ini.findSection(section);
        if (!key) {
            if (found)
                ini.removeSection(*found);
            return found.has_value();
        }
        const std::optional<IniText::Line> line = found ? ini.findKey(*found, *key) : std::nullopt;
        if (!value) {
            if (line)
                ini.removeLine(*line);
            return line.has_value();
        }
        const QByteArray entry = *key + '=' + *value;
        if (line)
            ini.replaceText(*line, entry);
        else if (found)
            ini.addToSection(*found, entry);
        else
            ini.addAtEnd({'[' + section + ']', entry});
        return true;
    }

    bool save(const QByteArray &bytes, const QString &file, QString *error)
    {
        // What is written must read back: a file past the limit would be refused next time.
        if (bytes.size() > MaxFileSize)
            return fail(error,
                QStringLiteral("\"%1\" would be larger than %2.")
                    .arg(file, SafeFile::sizeText(MaxFileSize)));
        const QString failure = SafeFile::saveWhole(
            file, [&](QIODevice &out) { return SafeFile::writeAll(out, bytes); });
        return failure.isEmpty() || fail(error, failure);
    }

    bool writeUnguarded(const Text &section, const Text &key, const Text &value,
        const QString &file, QString *error)
    {
        if (!section)
            return fail(error, QStringLiteral("No section was given."));
        if (holdsLineBreak(section) || holdsLineBreak(key) || holdsLineBreak(value)
            || unreadableName(section, false) || unreadableName(key, true))
            return fail(
                error, QStringLiteral("A name or value holds a character the file cannot keep."));

        // A file that is there but cannot be read must not be replaced by one without its
        // lines, and what is not a regular file is not replaced at all.
        SafeFile::Contents existing = load(file);
        if (existing.status == SafeFile::Contents::Status::Refused)
            return fail(error, existing.reason);
        IniText ini(std::move(existing.bytes));
        if (!edit(ini, *section, key, value))
            return true; // nothing to remove: the file is left untouched
        return save(ini.bytes(), file, error);
    }

} // namespace

// The size limit bounds what these functions hold to a few copies of the file, so a
// std::bad_alloc means the system itself is out of memory; it is caught all the same, as a
// failed read or write, because the callers run at start-up and at exit with no handler.
int read(const Text &section, const Text &key, const Text &defaultValue, QByteArray &buffer,
    const QString &file)
{
    try {
        SafeFile::Contents contents = load(file);
        const IniText ini(contents.status == SafeFile::Contents::Status::Read
                ? std::move(contents.bytes)
                : QByteArray());
        return readFrom(ini, section, key, defaultValue, buffer);
    } catch (const std::bad_alloc &) {
        return copyText(
            section && key && defaultValue ? QByteArrayView(*defaultValue) : QByteArrayView(),
            buffer);
    }
}

bool write(
    const Text &section, const Text &key, const Text &value, const QString &file, QString *error)
{
    try {
        return writeUnguarded(section, key, value, file, error);
    } catch (const std::bad_alloc &) {
        return fail(error, QStringLiteral("There is not enough memory to write the file."));
    }
}

QString fileProblem(const QString &file)
{
    try {
        const SafeFile::Contents contents = load(file);
        return contents.status == SafeFile::Contents::Status::Refused ? contents.reason : QString();
    } catch (const std::bad_alloc &) {
        return QStringLiteral("There is not enough memory to read the settings file.");
    }
}

} // namespace ProfileString
