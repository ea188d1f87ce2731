#pragma once

#include "recording/CaptureRecorder.h"
#include "recording/RecordedPaging.h"

#include <QObject>

class CaptureDocument;
class DialogService;
class QAction;
class QLabel;
class QMenu;
class QStatusBar;

// File > "Record to Disk...": the rows that arrive are written to a capture file as they
// come, beside the grid, until "Stop Recording"; the status bar says where, and what a slow
// disk cost. A recording that cannot go on stops with a message, and the rows go on being
// kept in memory as without one.
class DiskRecording : public QObject
{
    Q_OBJECT

public:
    DiskRecording(CaptureDocument &document, DialogService &dialogs, QStatusBar &bar,
        QObject *parent = nullptr);

    void addMenuItems(QMenu *file);
    // Asks where to record and starts, or stops the recording that goes on.
    void recordOrStop();
    // Starts recording there without asking, as the command line asks; a place that takes no
    // file is said as the menu item says it.
    void record(const QString &path, const Rotation &rotation);
    bool isRecording() const { return m_recorder.isRecording(); }
    // Where rows on disk are read back from, a recording opened's too.
    const std::shared_ptr<RecordedRows> &rowsOnDisk() const { return m_paging.files(); }

private:
    void start();
    void stop();
    void rowsAdded();
    void failed(const QString &reason);
    void showState();

    CaptureDocument &m_document;
    DialogService &m_dialogs;
    CaptureRecorder m_recorder;
    RecordedPaging m_paging;
    QAction *m_item = nullptr;
    QLabel *m_status;
    Rotation m_rotation;
    // The document's rows were replaced by a file's, with the live ones after them, which
    // were recorded already.
    bool m_rowsReplaced = false;
};
