#pragma once

#include "DialogService.h"
#include "capture/TaskProgress.h"

#include <QFutureWatcher>
#include <QObject>
#include <functional>
#include <memory>

// The one way the window runs work that would hold it (saving, opening, exporting): on a
// thread of the pool, one task at a time, behind a dialog that shows its progress and can
// cancel it; what the task made of it runs back on the window's thread. The window waits for
// a task going on when it closes, in waitForEnd().
class BackgroundTask : public QObject
{
    Q_OBJECT

public:
    static constexpr int ProgressSteps = 1000;

    // What a task tells the user once it is done: made on the task's thread, run on the
    // window's.
    using Outcome = std::function<void()>;
    using Work = std::function<Outcome(TaskProgress &progress)>;
    // A busy dialog for work that cannot say how far it got; a progress dialog with Cancel
    // for work that can.
    enum class Display : std::uint8_t { Busy, Progress };

    explicit BackgroundTask(DialogService &dialogs, QObject *parent = nullptr);
    ~BackgroundTask() override;

    bool isRunning() const { return m_progress != nullptr; }
    // Starts `work` unless a task is running; false when one is.
    bool run(const QString &text, Display display, Work work);
    // Cancels a task going on and waits for it to end, without its outcome, so that what it
    // reads can go: a cancelled save leaves no file, a cancelled read no rows.
    void waitForEnd();

signals:
    // A task ended and its outcome ran.
    void finished();

private:
    void finish();

    DialogService &m_dialogs;
    QFutureWatcher<Outcome> m_watcher;
    std::unique_ptr<TaskProgress> m_progress; // while a task runs
    std::unique_ptr<DialogService::Progress> m_dialog;
};
