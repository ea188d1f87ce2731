#pragma once

#include "RecordedRows.h"

#include <QObject>
#include <QTimer>
#include <atomic>
#include <memory>
#include <optional>

class CaptureDocument;
class CaptureRecorder;

// Lets the rows that the window's recordings hold on disk go from memory, and has the store
// read them back from the files when a reader comes to them, so that a recording of days
// takes the memory of the rows being read, not of every row. Rows whose files a rotating
// recording removed are dropped as the oldest.
class RecordedPaging : public QObject
{
    Q_OBJECT

public:
    // What the rows in memory may take before those on disk are let go of.
    static constexpr std::size_t KeepBytes = std::size_t(48) << 20;

    RecordedPaging(CaptureDocument &document, CaptureRecorder &recorder, QObject *parent = nullptr);
    ~RecordedPaging() override;

    void setKeepFiles(int keepFiles) { m_keepFiles = keepFiles; }
    void setKeepBytes(std::size_t keepBytes) { m_keepBytes = keepBytes; }
    // The recorder took the rows stored: they go on disk, and may go from memory.
    void taken();
    // Where rows on disk are read back from: the recordings' files, and recorded files opened.
    const std::shared_ptr<RecordedRows> &files() const { return m_files; }
signals:
    // Rows that were let go of could not be read back: their file was removed or changed.
    void readBackFailed();

private:
    void fileBegan(const QString &path, bool began, std::uint64_t firstRow);
    // Rows read back go again once the chunks in memory pass the budget: looked at as rows
    // are stored, and after rows were read back.
    void keepToBudget();

    CaptureDocument &m_document;
    CaptureRecorder &m_recorder;
    int m_keepFiles = 0;
    std::size_t m_keepBytes = KeepBytes;
    std::shared_ptr<RecordedRows> m_files = std::make_shared<RecordedRows>();
    std::uint64_t m_base = 0; // the number of the recording's first row, over all of them
    int m_filesOfRecording = 0;
    std::optional<std::uint64_t> m_firstOnDisk; // once a rotating recording removed files
    std::size_t m_sourcesNamed = 0;
    bool m_failureTold = false;
    std::atomic<bool> m_letGoAsked {false}; // set on the reading thread
    QTimer m_whileHeld;
};
