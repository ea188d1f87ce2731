#include "RecordFileWriter.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Written data reach the disk at least this often, so that a power cut costs little more.
constexpr std::chrono::seconds SyncEvery {1};

QString errorText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

} // namespace

RecordFileWriter::RecordFileWriter(ChunkQueue &queue, int keepFiles, WriteBytes write, Tell tell)
    : m_queue(queue)
    , m_keepFiles(keepFiles)
    , m_write(write ? std::move(write) : WriteBytes(::write))
    , m_tell(std::move(tell))
{ }

RecordFileWriter::~RecordFileWriter()
{
    closeFile();
}

bool RecordFileWriter::begin(const QString &path, const QByteArray &start)
{
    openFile(path, start);
    return !m_failed;
}

void RecordFileWriter::run()
{
    for (ChunkQueue::Item item = m_queue.pop(); item.kind != ChunkQueue::Item::Kind::Stop;
         item = m_queue.pop()) {
        // After a failure what comes is let go: the file stays as it was.
        if (m_failed)
            continue;
        if (item.kind == ChunkQueue::Item::Kind::NewFile)
            openFile(item.path, item.bytes);
        else
            write(item.bytes);
    }
    if (m_fd >= 0 && !m_failed)
        syncNow();
    closeFile();
    m_tell({Report::Kind::Stopped});
}

void RecordFileWriter::openFile(const QString &path, const QByteArray &start)
{
    closeFile();
    m_path = path;
    m_fd = ::open(QFile::encodeName(path).constData(),
        O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
    struct stat opened
    { };
    if (m_fd < 0 || ::fstat(m_fd, &opened) != 0)
        return fail(errorText(errno));
    m_device = opened.st_dev;
    m_inode = opened.st_ino;
    m_whole = 0;
    m_gone = false;
    m_files.push_back(path);
    removeOldFiles();
    write(start);
}

void RecordFileWriter::write(const QByteArray &bytes)
{
    const char *at = bytes.constData();
    std::size_t left = std::size_t(bytes.size());
    while (left > 0) {
        const ssize_t written = m_write(m_fd, at, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return fail(written < 0 ? errorText(errno) : QStringLiteral("the disk took nothing"));
        at += written;
        left -= std::size_t(written);
    }
    m_whole += off_t(bytes.size());
    if (std::chrono::steady_clock::now() - m_lastSync >= SyncEvery)
        syncNow();
    checkPlace();
}

void RecordFileWriter::syncNow()
{
    ::fdatasync(m_fd);
    m_lastSync = std::chrono::steady_clock::now();
}

// A file renamed or removed under the recording takes the rows on to where it went, or to
// nowhere: either way the user must know.
void RecordFileWriter::checkPlace()
{
    if (m_gone)
        return;
    struct stat now
    { };
    const bool there = ::stat(QFile::encodeName(m_path).constData(), &now) == 0;
    if (there && now.st_dev == m_device && now.st_ino == m_inode)
        return;
    m_gone = true;
    // A file with no name left is gone with its rows once closed; one renamed keeps them.
    struct stat open
    { };
    const bool removed = ::fstat(m_fd, &open) == 0 && open.st_nlink == 0;
    m_tell({removed ? Report::Kind::Removed : Report::Kind::Moved, m_path});
}

void RecordFileWriter::fail(const QString &why)
{
    m_failed = true;
    // A chunk half written would be a torn end; cut back to the whole ones where the disk
    // lets us.
    if (m_fd >= 0 && ::ftruncate(m_fd, m_whole) == 0)
        syncNow();
    m_failure = QStringLiteral("Cannot write \"%1\": %2").arg(m_path, why);
    m_tell({Report::Kind::Failed, m_failure});
}

void RecordFileWriter::closeFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void RecordFileWriter::removeOldFiles()
{
    while (m_keepFiles > 0 && m_files.size() > std::size_t(m_keepFiles)) {
        QFile::remove(m_files.front());
        m_files.pop_front();
    }
}
