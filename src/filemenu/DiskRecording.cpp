#include "DiskRecording.h"

#include "capture/CaptureDocument.h"
#include "frame/DialogService.h"
#include "frame/NamedWidgets.h"
#include "frame/NumberText.h"

#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>

namespace {

const QString Dialog = QStringLiteral("Record");
const QString Filter = QStringLiteral("Lumetra captures (*.lmc)");
const QString StartText = QStringLiteral("Record to Disk...");

} // namespace

DiskRecording::DiskRecording(
    CaptureDocument &document, DialogService &dialogs, QStatusBar &bar, QObject *parent)
    : QObject(parent)
    , m_document(document)
    , m_dialogs(dialogs)
    , m_recorder(document.rows())
    , m_paging(document, m_recorder)
    , m_status(namedLabel("lblRecording", QString(), &bar))
{
    bar.addPermanentWidget(m_status);
    m_status->hide();
    connect(&document, &CaptureDocument::rowsAdded, this, &DiskRecording::rowsAdded);
    connect(&m_paging, &RecordedPaging::readBackFailed, this, [this] {
        m_dialogs.showMessage(
            QStringLiteral("Rows recorded to disk could not be read back: their file was "
                           "removed or changed. They show as failed sends of no bytes."),
            DialogService::ApplicationTitle, DialogService::Icon::Exclamation);
    });
    connect(&document, &CaptureDocument::cleared, &m_recorder, &CaptureRecorder::skipStored);
    connect(&document, &CaptureDocument::restored, &m_recorder, &CaptureRecorder::skipStored);
    // Said after the rows that came were taken: the recording goes on after the rows kept.
    connect(&document, &CaptureDocument::oldestDropped, &m_recorder, &CaptureRecorder::skipStored);
    connect(&document, &CaptureDocument::replaced, this, [this] { m_rowsReplaced = true; });
    connect(&m_recorder, &CaptureRecorder::failed, this, &DiskRecording::failed);
    connect(&m_recorder, &CaptureRecorder::rowsDroppedChanged, this, &DiskRecording::showState);
}

void DiskRecording::addMenuItems(QMenu *file)
{
    m_item = addNamedItem(file, "mnuRecordToDisk", StartText);
    connect(m_item, &QAction::triggered, this, &DiskRecording::recordOrStop);
}

void DiskRecording::recordOrStop()
{
    if (isRecording())
        stop();
    else
        start();
}

void DiskRecording::start()
{
    const QString proposed
        = m_dialogs.folders.proposedPath(Dialog, Filter, QDateTime::currentDateTime());
    const auto choice = m_dialogs.askRecording(proposed, m_rotation);
    if (!choice)
        return;
    record(choice->path, choice->rotation);
}

void DiskRecording::record(const QString &path, const Rotation &rotation)
{
    m_dialogs.folders.remember(Dialog, path);
    m_rotation = rotation;
    m_paging.setKeepFiles(rotation.keepFiles);
    const QString why = m_recorder.start({path, m_rotation});
    if (!why.isEmpty())
        m_dialogs.showMessage(
            why, DialogService::ApplicationTitle, DialogService::Icon::Exclamation);
    showState();
}

void DiskRecording::stop()
{
    m_recorder.stop();
    showState();
}

void DiskRecording::rowsAdded()
{
    if (std::exchange(m_rowsReplaced, false))
        m_recorder.skipStored();
    else
        m_recorder.take();
    m_paging.taken();
}

void DiskRecording::failed(const QString &reason)
{
    showState();
    m_dialogs.showMessage(reason
            + QStringLiteral(" The rows recorded before are in the file; the rows that arrive are "
                             "kept in memory, and Save Capture saves them elsewhere."),
        DialogService::ApplicationTitle, DialogService::Icon::Exclamation);
}

void DiskRecording::showState()
{
    if (m_item)
        m_item->setText(isRecording() ? QStringLiteral("Stop Recording") : StartText);
    m_status->setVisible(isRecording());
    QString text
        = QStringLiteral("Recording to %1").arg(QFileInfo(m_recorder.filePath()).fileName());
    if (const std::uint64_t dropped = m_recorder.rowsDropped(); dropped > 0)
        text += QStringLiteral(", %1 rows not recorded: the disk was too slow")
                    .arg(groupedNumber(qint64(dropped)));
    m_status->setText(text);
}
