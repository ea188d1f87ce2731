#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <chrono>
#include <optional>

// When a recording goes on in a new file, and how many of its files stay: as the capture
// engines people know do it, a new file after so many megabytes, after so many minutes, or
// when the clock passes a multiple of so many minutes; and a ring that keeps the newest few.
struct Rotation
{
    std::optional<qint64> everyBytes;
    std::optional<std::chrono::minutes> everyTime;
    std::optional<std::chrono::minutes> onMultiplesOf;
    int keepFiles = 0; // 0: every file stays

    bool rotates() const { return everyBytes || everyTime || onMultiplesOf; }
    // Whether the file begun at `began`, which holds `bytes`, gives way to a new one `now`.
    bool due(qint64 bytes, const QDateTime &began, const QDateTime &now) const;

    // Takes one word of the command line ("size:MB", "minutes:N", "interval:N", "files:N");
    // returns why it cannot, or an empty text.
    QString takeWord(const QString &word);

    // The file of that number of a recording to `path` that rotates, begun at `start`:
    // "take.lmc" gives "take_00001_20261207-040000.lmc". A recording that does not rotate
    // writes to `path` itself.
    static QString fileName(const QString &path, int number, const QDateTime &start);
    // The files of the recording that the file at `path` is one of, in their order; nothing
    // when its name is not one a rotating recording gives.
    static QStringList setOf(const QString &path);
};
