#include "CaptureRecorder.h"

#include "RecordEncoder.h"
#include "capture/CaptureStore.h"

CaptureRecorder::CaptureRecorder(const CaptureStore &rows, QObject *parent)
    : QObject(parent)
    , m_rows(rows)
{
    m_ticks.setInterval(FlushEvery);
    connect(&m_ticks, &QTimer::timeout, this, &CaptureRecorder::tick);
}

CaptureRecorder::~CaptureRecorder()
{
    if (m_recording)
        stop();
    if (m_thread.joinable())
        m_thread.join();
}

QString CaptureRecorder::start(const Settings &settings)
{
    if (m_thread.joinable())
        m_thread.join(); // the writer of the last recording, which has ended or is ending
    m_settings = settings;
    m_failure.clear();
    m_fileNumber = 0;
    m_droppedTold = 0;
    m_queue = std::make_unique<ChunkQueue>(settings.queueBytes);
    m_encoder = std::make_unique<RecordEncoder>(
        m_rows, [this](QByteArray chunk, bool mustKeep) { return deliver(chunk, mustKeep); });
    if (!settings.withStored)
        m_encoder->skipStored();
    // The writer's thread tells this one through queued calls, which Qt lets go once the
    // recorder is gone; the destructor waits for the thread before that.
    m_writer = std::make_unique<RecordFileWriter>(*m_queue, settings.rotation.keepFiles,
        settings.write, [this](const RecordFileWriter::Report &report) {
            QMetaObject::invokeMethod(
                this, [this, report] { heard(report); }, Qt::QueuedConnection);
        });
    const QByteArray start = startFile();
    if (!m_writer->begin(m_filePath, start))
        return m_writer->failure();
    m_thread = std::thread([writer = m_writer.get()] { writer->run(); });
    m_recording = true;
    emit fileBegan(m_filePath, true, 0);
    m_ticks.start();
    return {};
}

QByteArray CaptureRecorder::startFile()
{
    m_fileBegan = QDateTime::currentDateTime();
    m_filePath = m_settings.rotation.rotates()
        ? Rotation::fileName(m_settings.path, ++m_fileNumber, m_fileBegan)
        : m_settings.path;
    const QByteArray start = m_encoder->fileStart();
    m_fileBytes = start.size();
    return start;
}

bool CaptureRecorder::deliver(QByteArray chunk, bool mustKeep)
{
    const qsizetype size = chunk.size();
    if (!m_queue->push({ChunkQueue::Item::Kind::Bytes, std::move(chunk)}, mustKeep))
        return false;
    m_fileBytes += size;
    return true;
}

void CaptureRecorder::take()
{
    if (!m_recording)
        return;
    m_encoder->take();
    // The size is looked at as chunks fill; the clock at each tick.
    if (m_settings.rotation.everyBytes && m_fileBytes >= *m_settings.rotation.everyBytes)
        nextFile();
}

void CaptureRecorder::nextFile()
{
    m_encoder->flush();
    m_queue->push({ChunkQueue::Item::Kind::Bytes, m_encoder->fileEnd()}, true);
    const QByteArray start = startFile();
    m_queue->push({ChunkQueue::Item::Kind::NewFile, start, m_filePath}, true);
    emit fileBegan(m_filePath, false, m_encoder->rowsSeen());
}

void CaptureRecorder::skipStored()
{
    if (m_recording)
        m_encoder->skipStored();
}

void CaptureRecorder::tick()
{
    m_encoder->take();
    m_encoder->flush();
    if (m_settings.rotation.due(m_fileBytes, m_fileBegan, QDateTime::currentDateTime()))
        nextFile();
    if (const std::uint64_t dropped = m_encoder->rowsDropped(); dropped != m_droppedTold)
        emit rowsDroppedChanged(m_droppedTold = dropped);
}

CaptureRecorder::Run CaptureRecorder::recordedRun() const
{
    if (!m_encoder)
        return {0, 0, 0};
    const RecordEncoder::Run run = m_encoder->run();
    return {run.firstRow, run.rows, run.recorded};
}

std::vector<QString> CaptureRecorder::recordedSources() const
{
    return m_encoder ? m_encoder->sourceNames() : std::vector<QString>();
}

std::uint64_t CaptureRecorder::rowsDropped() const
{
    return m_encoder ? m_encoder->rowsDropped() : 0;
}

void CaptureRecorder::stop()
{
    if (!m_recording)
        return;
    m_encoder->take();
    m_queue->push({ChunkQueue::Item::Kind::Bytes, m_encoder->fileEnd()}, true);
    endWriting();
}

void CaptureRecorder::endWriting()
{
    m_recording = false;
    m_ticks.stop();
    m_queue->push({ChunkQueue::Item::Kind::Stop, {}}, true);
}

void CaptureRecorder::stopAndWait()
{
    stop();
    if (m_thread.joinable())
        m_thread.join();
    if (m_failure.isEmpty() && m_writer)
        m_failure = m_writer->failure();
}

void CaptureRecorder::heard(const RecordFileWriter::Report &report)
{
    using Kind = RecordFileWriter::Report::Kind;
    if (report.kind == Kind::Stopped) {
        if (m_thread.joinable())
            m_thread.join();
        emit stopped();
        return;
    }
    if (!m_recording)
        return;
    if (report.kind == Kind::Failed)
        m_failure = report.text;
    else
        m_failure = QStringLiteral("\"%1\" was %2 while it was being recorded: the recording "
                                   "stopped there.")
                        .arg(report.text,
                            report.kind == Kind::Moved ? QStringLiteral("renamed or replaced")
                                                       : QStringLiteral("removed"));
    endWriting();
    emit failed(m_failure);
}
