#pragma once

#include "ChunkQueue.h"
#include "RecordFileWriter.h"
#include "Rotation.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <memory>
#include <thread>

class CaptureStore;
class RecordEncoder;

// Records the rows of a store to disk as they are stored: the thread that stores them
// encodes them into chunks, a thread of the recorder's own writes them, and a bounded queue
// lies between, so that neither the window nor the JACK thread ever waits for the disk. A
// chunk goes to the writer when it fills and at least every FlushEvery, so that a crash
// costs at most the last second of rows.
class CaptureRecorder : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds FlushEvery {500};
    // About ten seconds of the fastest traffic an input takes.
    static constexpr std::size_t QueueBytes = std::size_t(64) << 20;

    struct Settings
    {
        QString path; // of the file, or the base of the names of a rotating recording's
        Rotation rotation = {};
        std::size_t queueBytes = QueueBytes;
        RecordFileWriter::WriteBytes write = {}; // a test's fault in place of ::write
        // The rows the store holds already go into the file too: the command line starts
        // recording with its first batch of rows.
        bool withStored = false;
    };

    explicit CaptureRecorder(const CaptureStore &rows, QObject *parent = nullptr);
    ~CaptureRecorder() override;

    // Records the rows stored from now on (see Settings::withStored); the reason when the
    // file cannot be written.
    QString start(const Settings &settings);
    bool isRecording() const { return m_recording; }
    // Rows were appended to the store.
    void take();
    // The store changed otherwise (emptied, or its rows replaced): the recording goes on
    // with the rows appended after now.
    void skipStored();
    // Ends the file; stopped() says when everything is written.
    void stop();
    // Ends the file and waits until everything is written: for a run with no window.
    void stopAndWait();

    QString filePath() const { return m_filePath; }
    // The rows recorded lately, and the recording's names of their sources; of the
    // recording that goes on or went last.
    struct Run
    {
        std::size_t firstRow; // of the store
        std::size_t rows;
        std::uint64_t recorded; // the recording's number of the first
    };
    Run recordedRun() const;
    std::vector<QString> recordedSources() const;
    std::uint64_t rowsDropped() const;
    // Why the recording stopped early; empty while it goes on or when it was stopped.
    QString failure() const { return m_failure; }

signals:
    // The recording goes on in a new file from its row `firstRow`, or `began` with it.
    void fileBegan(const QString &path, bool began, std::uint64_t firstRow);
    // The recording stopped before it was asked to, for that reason.
    void failed(const QString &reason);
    // Rows the writer could not keep up with were let go: `rows` in all so far.
    void rowsDroppedChanged(std::uint64_t rows);
    // Everything handed to the writer is written, and its thread has ended.
    void stopped();

private:
    bool deliver(QByteArray chunk, bool mustKeep);
    // Names the next file; what it begins with.
    QByteArray startFile();
    void nextFile();
    void tick();
    void endWriting();
    void heard(const RecordFileWriter::Report &report);

    const CaptureStore &m_rows;
    Settings m_settings;
    std::unique_ptr<RecordEncoder> m_encoder;
    std::unique_ptr<ChunkQueue> m_queue;
    std::unique_ptr<RecordFileWriter> m_writer;
    std::thread m_thread;
    QTimer m_ticks;
    QDateTime m_fileBegan;
    qint64 m_fileBytes = 0;
    int m_fileNumber = 0;
    QString m_filePath;
    QString m_failure;
    std::uint64_t m_droppedTold = 0;
    bool m_recording = false;
};
