#pragma once

#include "TaskProgress.h"
#include "frame/DialogService.h"

#include <QObject>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

class CaptureStore;
class EventGrid;
class EventGridModel;
class FileExports;
class InputSet;
class QMenu;
class RecentFilesMenu;

// File > "Save Capture..." and "Open Capture...": a capture written or read whole on a thread
// of its own, behind a progress dialog that holds the window and can cancel. While a save
// reads the store, the store takes no rows (as FileExports holds it); a read fills a store of
// its own, so that the rows shown stay as they were until the file is read whole, and after
// a cancel or a refusal.
class CaptureFiles : public QObject
{
    Q_OBJECT

public:
    static constexpr int ProgressSteps = 1000;

    struct Wiring
    {
        InputSet &inputs;
        EventGrid &grid;
        EventGridModel &rows;
        FileExports &exports;
        DialogService &dialogs;
    };

    CaptureFiles(const Wiring &wiring, QObject *parent = nullptr);
    ~CaptureFiles() override;
    // Cancels a task going on and waits for it to end, so that what it reads can go: a
    // cancelled save leaves no file, a cancelled read no rows.
    void endTask();

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
    // A file task ended, whatever its outcome, and the user was told.
    void taskFinished();
    // The grid shows the rows of the file at `path`: the live ports' sources are to be named
    // in its store anew, and the live rows are to wait while the user reads the file's.
    void captureShown(const QString &path);

private:
    using Outcome = std::function<void()>;

    enum class Placing : std::uint8_t { Replace, After };

    // Saves the rows shown to `path`; `then` runs once they were saved.
    void save(const QString &path, const std::function<void()> &then);
    // Rows from `keptFrom` on were not in the question: they came after it, and are kept.
    void read(const QString &path, Placing placing, std::size_t keptFrom);
    void run(const QString &text, std::function<Outcome(TaskProgress &)> task);
    void poll();

    Wiring m_wiring;
    RecentFilesMenu *m_recent = nullptr;
    std::thread m_worker;
    std::unique_ptr<TaskProgress> m_progress;
    std::atomic<bool> m_finished {false};
    Outcome m_outcome; // set by the worker before m_finished
    std::unique_ptr<DialogService::Progress> m_dialog;
    // Polled, not signalled: the dialog's setValue() may run the event loop, and the task's
    // end must not come from within it.
    QTimer m_poll;
};
