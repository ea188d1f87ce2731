#include "RecordedPaging.h"

#include "CaptureRecorder.h"
#include "capture/CaptureDocument.h"

#include <chrono>
#include <utility>

RecordedPaging::RecordedPaging(
    CaptureDocument &document, CaptureRecorder &recorder, QObject *parent)
    : QObject(parent)
    , m_document(document)
    , m_recorder(recorder)
{
    connect(&recorder, &CaptureRecorder::fileBegan, this, &RecordedPaging::fileBegan);
    // A find or a scroll reads rows back between rows stored, or with none coming: what
    // it read goes again once it gives the loop back, not a second later, when it may have
    // read hundreds of megabytes.
    m_files->onRead([this] {
        if (!m_letGoAsked.exchange(true))
            QMetaObject::invokeMethod(this, &RecordedPaging::keepToBudget, Qt::QueuedConnection);
    });
    m_whileHeld.setSingleShot(true);
    m_whileHeld.setInterval(std::chrono::seconds(1));
    connect(&m_whileHeld, &QTimer::timeout, this, &RecordedPaging::keepToBudget);
}

RecordedPaging::~RecordedPaging()
{
    m_files->onRead({}); // the stores that read from the files may outlive this
}

void RecordedPaging::fileBegan(const QString &path, bool began, std::uint64_t firstRow)
{
    if (began) {
        m_base = m_files->newBase();
        m_filesOfRecording = 0;
        m_sourcesNamed = 0;
        m_document.keepOnDisk(true);
    }
    m_files->addFile(path, m_base, firstRow);
    // The writer removes the oldest as it opens the one past what is kept.
    if (m_keepFiles > 0 && ++m_filesOfRecording > m_keepFiles)
        m_firstOnDisk = m_files->removeOldestFile(m_base);
}

void RecordedPaging::taken()
{
    const CaptureRecorder::Run run = m_recorder.recordedRun();
    if (const std::vector<QString> names = m_recorder.recordedSources();
        names.size() != m_sourcesNamed) {
        m_files->nameSources(m_base, names);
        m_sourcesNamed = names.size();
    }
    if (m_document.isHeld())
        return; // another thread reads where the rows lie
    CaptureStore &rows = m_document.store();
    if (!rows.readsBackFrom(m_files.get()))
        rows.readBackFrom(m_files);
    rows.placeOnDisk(run.firstRow, run.rows, m_base + run.recorded);
    m_document.keepOnDisk(m_recorder.isRecording());
    if (m_firstOnDisk)
        m_document.dropRecordedBefore(*m_firstOnDisk);
    keepToBudget();
}

void RecordedPaging::keepToBudget()
{
    m_letGoAsked = false;
    if (m_document.rows().failedToReadBack() && !std::exchange(m_failureTold, true))
        emit readBackFailed();
    // A save or an export reads on another thread while the rows are held.
    if (m_document.isHeld())
        m_whileHeld.start();
    m_document.letGoOfRowsOnDisk(m_keepBytes);
}
