#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QString>
#include <cstdint>

// Reading a file whose place anyone may have filled with something else: a FIFO that would
// block the open or the read forever, a device that never ends, a file too big to hold. Only
// a regular file (a symbolic link to one is followed) of a bounded size is read.
namespace SafeFile {

struct Contents
{
    enum class Status : std::uint8_t {
        Read, // `bytes` holds the whole file
        Missing, // nothing is there (or a folder on the way is missing)
        Refused, // something is there that was not read; `reason` says why
    };

    Status status = Status::Missing;
    QByteArray bytes;
    QString reason; // a sentence naming the path, when refused
};

// Opens without blocking and checks the opened file itself, so nothing can be swapped in
// between a check and the read. A file that grows past `maxBytes` while it is read is
// refused as well.
Contents readRegular(const QString &path, qint64 maxBytes);

// Writes all of `bytes`, or false with the device's reason in its errorString(). A full
// disk takes part of a write without a word: only the write after it says why.
bool writeAll(QIODevice &out, QByteArrayView bytes);

// A size limit as the reasons say it: "16 MiB", or "1000 bytes" when not whole MiB.
QString sizeText(qint64 bytes);

} // namespace SafeFile
