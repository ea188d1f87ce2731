#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <optional>

// The two profile-string operations of INI files: names match without
// regard to letter case, everything else in the file is kept as it was, and a write goes
// to a temporary file that replaces the old one only once it is complete.
//
// What the format leaves open is settled the way the classic operations behave:
// - "[name]" opens a section; blanks around the name, the key and the value are ignored.
// - Lines starting with ';' or '#' are comments, and blank lines are blank; both are kept.
// - A value in matching double or single quotes reads without them.
// - A line inside a section without '=' is a key with an empty value.
// - Of duplicate sections or keys the first is the one read, written and deleted.
// - Lines end at CR LF, LF or a lone CR, mixed as the file has them; a line a write does not
//   change keeps its bytes and its own line end. New lines take the file's first line end
//   (CR LF for a file without one).
// - A UTF-8 byte-order mark at the start stays there and is no part of the first line.
//
// Only a regular file (or a symbolic link to one) of at most MaxFileSize bytes is read or
// replaced. Anything else in its place (a FIFO, a device, a folder, a larger file) reads as a
// missing file, and writes to it fail: whatever sits in the file's place cannot block the
// program, exhaust its memory or be destroyed. No exception leaves these functions.
namespace ProfileString {

constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

using Text = std::optional<QByteArray>; // an absent argument is std::nullopt

// Fills `buffer` (its size is the size given to the operation) and returns the count:
// - section and key: the value, or the default when missing, at most size - 1 characters;
// - no key: the key names of the section, each followed by NUL, plus a final NUL; the count
//   leaves out the final NUL; a list that does not fit ends in a cut name and counts size - 2;
// - no section and no key: the same for the section names of the file.
int read(const Text &section, const Text &key, const Text &defaultValue, QByteArray &buffer,
    const QString &file);

// Sets a value (creating file, section and key as needed), removes a key (no value), or
// removes a section (no key). Returns false when the file could not be written, or when a
// name or value holds a line break, which would otherwise smuggle lines into the file, or
// when the file would grow past MaxFileSize; `error`, when given, receives the reason.
bool write(const Text &section, const Text &key, const Text &value, const QString &file,
    QString *error = nullptr);

// Why the file cannot be used, in a sentence naming it, or empty when it is fine or absent.
QString fileProblem(const QString &file);

} // namespace ProfileString
