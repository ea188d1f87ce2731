#pragma once

#include "capture/CaptureDocument.h"
#include "capture/CaptureReader.h"
#include "frame/BackgroundTask.h"

#include <QObject>
#include <functional>
#include <memory>

class EventGrid;
class FileExports;
class InputSet;
class QMenu;
class RecentFilesMenu;
class RecordedRows;

// File > "Save Capture..." and "Open Capture...": a capture written or read whole as a
// background task, behind a progress dialog that can cancel. While a save reads the
// document, it takes no rows (as FileExports holds it); a read fills a store of its own, so
// that the rows shown stay as they were until the file is read whole, and after a cancel or a
// refusal.
class CaptureFiles : public QObject
{
    Q_OBJECT

public:
    struct Wiring
    {
        CaptureDocument &document;
        InputSet &inputs;
        EventGrid &grid;
        FileExports &exports;
        DialogService &dialogs;
        BackgroundTask &task;
        // Where the rows of a recording opened are read back from.
        std::shared_ptr<RecordedRows> rowsOnDisk;
    };

    CaptureFiles(const Wiring &wiring, QObject *parent = nullptr);

    void addMenuItems(QMenu *file);
    // File > "Open Recent", once the menu items are added.
    RecentFilesMenu &recentFiles() const { return *m_recent; }
    void saveCapture();
    void openCapture();
    // Shows the file at `path`, of any kind Lumetra opens. When rows are shown, the user
    // chooses first: save them and show the file in their place, show its rows after them,
    // or let them go; or cancel. Live rows that come meanwhile are kept after the file's.
    void open(const QString &path);

signals:
    // The grid shows the rows of the file at `path`: the live rows are to wait while the
    // user reads the file's.
    void captureShown(const QString &path);

private:
    using Outcome = BackgroundTask::Outcome;

    enum class Placing : std::uint8_t { Replace, After };

    // Saves the rows shown to `path`; `then` runs once they were saved.
    void save(const QString &path, const std::function<void()> &then);
    // Rows from `keptFrom` on were not in the question: they came after it, and are kept.
    void read(const QString &path, Placing placing, CaptureDocument::LastingRow keptFrom);
    // A recording shown in place of the rows opens by its chunks' heads, its rows left on
    // disk; put after the rows shown, or any other file, it is read whole.
    static CaptureReader::Loaded loadAll(const QStringList &paths, Placing placing,
        const std::shared_ptr<RecordedRows> &onDisk, TaskProgress &progress);
    void showRead(const QString &path, CaptureReader::Loaded &loaded, Placing placing,
        CaptureDocument::LastingRow keptFrom);

    Wiring m_wiring;
    RecentFilesMenu *m_recent = nullptr;
    QStringList m_paths; // of the capture being opened: one file, or a recording's set
};
