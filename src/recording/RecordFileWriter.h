#pragma once

#include "ChunkQueue.h"

#include <QString>
#include <chrono>
#include <deque>
#include <functional>
#include <sys/types.h>

// The writer of a recording, on a thread of its own: takes what the queue holds to the files
// of the recording, in order, and says what went wrong. A failed write stops it with the
// file cut back to its last whole chunk, so that the file stays one a reader takes whole.
class RecordFileWriter
{
public:
    // How bytes reach a file: ::write, or a fault a test puts in its place.
    using WriteBytes = std::function<ssize_t(int fd, const void *bytes, std::size_t size)>;

    struct Report
    {
        enum class Kind : std::uint8_t { Failed, Moved, Removed, Stopped };
        Kind kind;
        QString text = {};
    };
    using Tell = std::function<void(const Report &report)>;

    // `keepFiles`: at most that many files of the recording stay, the oldest removed; 0 keeps
    // them all. `tell` is called on the writer's thread.
    RecordFileWriter(ChunkQueue &queue, int keepFiles, WriteBytes write, Tell tell);
    ~RecordFileWriter();

    // Opens the first file and writes what it begins with, before the thread starts, so
    // that a file that cannot be written is said at once. False when it could not.
    bool begin(const QString &path, const QByteArray &start);
    // The thread's work, until the queue hands it Stop.
    void run();
    // Why the writing stopped early; read it once the thread has ended.
    QString failure() const { return m_failure; }

private:
    void openFile(const QString &path, const QByteArray &start);
    void write(const QByteArray &bytes);
    void fail(const QString &why);
    void checkPlace();
    void syncNow();
    void closeFile();
    void removeOldFiles();

    ChunkQueue &m_queue;
    const int m_keepFiles;
    const WriteBytes m_write;
    const Tell m_tell;
    int m_fd = -1;
    QString m_path;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    off_t m_whole = 0; // the bytes of whole chunks in the file
    bool m_failed = false;
    QString m_failure;
    bool m_gone = false; // the file was renamed or removed, and that was said
    std::chrono::steady_clock::time_point m_lastSync;
    std::deque<QString> m_files; // of this recording, oldest first
};
