#include "SafeFile.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SafeFile {
namespace {

    constexpr qint64 MiB = 1024 * 1024;
    constexpr qsizetype ChunkSize = 64 * 1024;

    Contents refused(const QString &reason)
    {
        Contents contents;
        contents.status = Contents::Status::Refused;
        contents.reason = reason;
        return contents;
    }

    Contents tooLarge(const QString &path, qint64 maxBytes)
    {
        return refused(QStringLiteral("\"%1\" is larger than %2.").arg(path, sizeText(maxBytes)));
    }

    Contents systemError(const QString &path, int code)
    {
        return refused(
            QStringLiteral("\"%1\" cannot be read: %2.").arg(path, qt_error_string(code)));
    }

    // Reads to the end, never holding more than one byte past the limit: st_size is only a
    // hint (files under /proc report 0, and a file may grow while it is read).
    Contents readToEnd(int descriptor, qint64 sizeHint, qint64 maxBytes, const QString &path)
    {
        Contents contents;
        contents.status = Contents::Status::Read;
        QByteArray &bytes = contents.bytes;
        bytes.reserve(qsizetype(std::min(sizeHint, maxBytes) + 1));
        for (;;) {
            const qsizetype used = bytes.size();
            if (used > maxBytes)
                return tooLarge(path, maxBytes);
            const qsizetype room
                = std::min<qsizetype>(bytes.capacity() > used ? bytes.capacity() - used : ChunkSize,
                    qsizetype(maxBytes) + 1 - used);
            bytes.resize(used + room);
            const ssize_t got = ::read(descriptor, bytes.data() + used, std::size_t(room));
            const int code = errno;
            bytes.resize(used + std::max<qsizetype>(got, 0));
            if (got == 0)
                return contents;
            if (got < 0 && code != EINTR)
                return systemError(path, code);
        }
    }

    // A device or a FIFO is written in place: renaming a file over it would put a regular
    // file where the node was (and, run as root, over /dev/null), and neither can be
    // replaced whole anyway.
    QString writeStream(const QString &path, const std::function<bool(QIODevice &)> &write)
    {
        // Without O_NONBLOCK, opening a FIFO that nothing reads waits forever.
        const int descriptor = ::open(
            QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (descriptor < 0) {
            const int code = errno;
            return code == ENXIO ? QStringLiteral("it is a FIFO that nothing reads from")
                                 : qt_error_string(code);
        }
        // Once open, a reader that is slower than the writer makes the writer wait, not fail.
        ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
        QFile file;
        file.open(
            descriptor, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle);
        return write(file) ? QString() : file.errorString();
    }

} // namespace

void refuseWritesPastSizeLimit()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

QString sizeText(qint64 bytes)
{
    return bytes % MiB == 0 ? QStringLiteral("%1 MiB").arg(bytes / MiB)
                            : QStringLiteral("%1 bytes").arg(bytes);
}

Opened openRegular(const QString &path, qint64 maxBytes)
{
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come; O_NOCTTY
    // keeps a terminal in the file's place from becoming the program's own.
    const int descriptor
        = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    Opened opened;
    if (descriptor < 0) {
        const int code = errno;
        if (code != ENOENT && code != ENOTDIR)
            opened = {Contents::Status::Refused, nullptr, systemError(path, code).reason};
        return opened;
    }
    opened.file = std::make_unique<QFile>();
    opened.file->open(
        descriptor, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle);
    struct stat status = {};
    opened.status = Contents::Status::Refused;
    if (::fstat(descriptor, &status) != 0)
        opened.reason = systemError(path, errno).reason;
    else if (!S_ISREG(status.st_mode))
        opened.reason = QStringLiteral("\"%1\" is not a regular file.").arg(path);
    else if (status.st_size > maxBytes)
        opened.reason = tooLarge(path, maxBytes).reason;
    else
        opened.status = Contents::Status::Read;
    return opened;
}

QString unreadReason(const QString &path, Contents::Status status, const QString &reason)
{
    return status == Contents::Status::Missing
        ? QStringLiteral("\"%1\" cannot be read: it is not there.").arg(path)
        : reason;
}

Contents readRegular(const QString &path, qint64 maxBytes)
{
    const Opened opened = openRegular(path, maxBytes);
    if (opened.status != Contents::Status::Read)
        return {opened.status, {}, opened.reason};
    return readToEnd(opened.file->handle(), opened.file->size(), maxBytes, path);
}

bool isStreamedTo(const QString &path)
{
    // stat, not lstat: a link to a device or a FIFO is written through to it.
    struct stat status = {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 && !S_ISREG(status.st_mode)
        && !S_ISDIR(status.st_mode);
}

QString saveWhole(const QString &path, const std::function<bool(QIODevice &)> &write)
{
    if (isStreamedTo(path))
        return writeStream(path, write);
    // Unbuffered: a write the disk refuses part-way must be seen before the commit, which
    // would otherwise keep what reached the disk.
    QSaveFile file(path);
    const bool saved
        = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && write(file) && file.commit();
    return saved ? QString() : file.errorString();
}

bool writeAll(QIODevice &out, QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        const qint64 written = out.write(bytes.data(), bytes.size());
        if (written <= 0)
            return false;
        bytes = bytes.sliced(written);
    }
    return true;
}

} // namespace SafeFile
