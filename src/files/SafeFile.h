#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QIODevice>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

// Files read and written so that nothing is lost. Reading: a file's place may hold something
// else, a FIFO that would block the open or the read forever, a device that never ends, a file
// too big to hold; only a regular file (a symbolic link to one is followed) of a bounded size
// is read. Writing: a file is replaced whole or not at all.
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

// A regular file opened for reading as readRegular() opens it, for a reader that takes it
// piece by piece: `file` is open when `status` is Read.
struct Opened
{
    Contents::Status status = Contents::Status::Missing;
    std::unique_ptr<QFile> file;
    QString reason;
};
Opened openRegular(const QString &path, qint64 maxBytes);

// "\"path\" cannot be read: it is not there.", or the reason of a refusal.
QString unreadReason(const QString &path, Contents::Status status, const QString &reason);

// Hands the writer the file at `path` and replaces the file only once the writer has put
// everything in it, so that a failure leaves an earlier file of that name as it was, and no
// partial file; a symbolic link stays a link to the file it names. A device or a FIFO there
// (or where a link leads) is never replaced: the writer writes to it as to a stream. The
// writer returns false when the device refused a write. Returns the system's reason for a
// failure, or an empty text.
QString saveWhole(const QString &path, const std::function<bool(QIODevice &)> &write);
// Whether saveWhole() writes to what is at `path` as a stream: a device or a FIFO.
bool isStreamedTo(const QString &path);

// Writes all of `bytes`, or false with the device's reason in its errorString(). A full
// disk takes part of a write without a word: only the write after it says why.
bool writeAll(QIODevice &out, QByteArrayView bytes);

// Makes a write past the process's file-size limit (ulimit -f) fail with EFBIG, so that it
// comes back as a reason like any other refused write: by default the system ends the
// process with SIGXFSZ instead, taking the unsaved capture and settings with it. Call once
// at program start, before any thread starts.
void refuseWritesPastSizeLimit();

// A size limit as the reasons say it: "16 MiB", or "1000 bytes" when not whole MiB.
QString sizeText(qint64 bytes);

} // namespace SafeFile
