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
    void saveCapture();
    void openCapture();
    // Shows the capture at `path` in place of the rows shown, once the user agreed to let
    // those go.
    void open(const QString &path);

signals:
    // A file task ended, whatever its outcome, and the user was told.
    void taskFinished();
    // The grid shows the rows of a file: the live ports' sources are to be named in its
    // store anew.
    void captureShown();

private:
    using Outcome = std::function<void()>;

    bool mayReplaceRows();
    void run(const QString &text, std::function<Outcome(TaskProgress &)> task);
    void poll();
    void show(CaptureStore &&rows);

    Wiring m_wiring;
    std::thread m_worker;
    std::unique_ptr<TaskProgress> m_progress;
    std::atomic<bool> m_finished {false};
    Outcome m_outcome; // set by the worker before m_finished
    std::unique_ptr<DialogService::Progress> m_dialog;
    // Polled, not signalled: the dialog's setValue() may run the event loop, and the task's
    // end must not come from within it.
    QTimer m_poll;
};
